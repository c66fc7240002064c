#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovrin::regex {

// A place in the pattern: byte offset, 1-based line (counted by LF) and 1-based column (in chars).
struct Position {
  std::size_t offset = 0;
  std::uint32_t line = 1;
  std::uint32_t column = 1;

  friend bool operator==(const Position&, const Position&) = default;
  friend auto operator<=>(const Position& a, const Position& b) { return a.offset <=> b.offset; }
};

struct Span {
  Position start;
  Position end;

  bool is_one_line() const { return start.line == end.line; }
  friend bool operator==(const Span&, const Span&) = default;
};

enum class AstKind : std::uint8_t {
  Empty,
  Flags,  // a `(?flags)` directive
  Literal,
  Dot,
  Assertion,
  UnicodeClass,
  PerlClass,
  Bracketed,  // `[...]`; its one child is the class set (an item, a union or a binary op)
  Repetition,
  Group,
  Alternation,
  Concat,
  // Only inside bracketed classes:
  ClassRange,     // children: the two literal ends
  AsciiClass,     // `[:name:]`
  ClassUnion,     // two or more items
  ClassBinaryOp,  // children: lhs, rhs
};

enum class AssertionKind : std::uint8_t {
  StartLine,
  EndLine,
  StartText,
  EndText,
  WordBoundary,
  NotWordBoundary,
  WordStart,
  WordEnd,
  WordStartHalf,
  WordEndHalf,
};

enum class PerlKind : std::uint8_t { Digit, Space, Word };

enum class AsciiKind : std::uint8_t {
  Alnum,
  Alpha,
  Ascii,
  Blank,
  Cntrl,
  Digit,
  Graph,
  Lower,
  Print,
  Punct,
  Space,
  Upper,
  Word,
  Xdigit,
};

enum class UnicodeClassForm : std::uint8_t { OneLetter, Named, NamedValue };

enum class ClassOp : std::uint8_t { Intersection, Difference, SymmetricDifference };

enum class GroupKind : std::uint8_t { Capture, NamedCapture, NonCapturing };

enum class Flag : std::uint8_t {
  CaseInsensitive,
  MultiLine,
  DotMatchesNewLine,
  SwapGreed,
  Unicode,
  IgnoreWhitespace,
  Crlf,
};

struct FlagItem {
  Span span;
  bool is_negation = false;  // the `-` item
  Flag flag = Flag::CaseInsensitive;
};

using NodeId = std::uint32_t;

// One node of the syntax tree. Nodes live in one arena (Ast::nodes) and refer to their children by
// index, so that neither building nor dropping a deeply nested tree recurses.
struct AstNode {
  AstKind kind = AstKind::Empty;
  Span span;
  std::vector<NodeId> children;

  // Literal: the char; `is_byte_escape` marks a two-digit `\xHH`, the only form that names a
  // byte rather than a char when Unicode mode is off.
  char32_t c = 0;
  bool is_byte_escape = false;

  // Negatable classes (Unicode, Perl, ASCII, bracketed). For a Unicode class with `!=` the
  // negation is already folded in.
  bool negated = false;

  AssertionKind assertion = AssertionKind::StartLine;
  PerlKind perl = PerlKind::Digit;
  AsciiKind ascii = AsciiKind::Alnum;

  UnicodeClassForm unicode_form = UnicodeClassForm::OneLetter;
  std::string name;   // Unicode class name (or property name of name=value)
  std::string value;  // Unicode class value of name=value

  // Repetition: min and max count; `unbounded` for `*`, `+` and `{n,}`; `lazy` when a `?`
  // follows the operator.
  std::uint32_t min = 0;
  std::uint32_t max = 0;
  bool unbounded = false;
  bool lazy = false;

  GroupKind group = GroupKind::Capture;
  // Flags node and non-capturing group: the flag items as written.
  std::vector<FlagItem> flags;

  ClassOp op = ClassOp::Intersection;
};

struct Ast {
  std::vector<AstNode> nodes;
  NodeId root = 0;

  const AstNode& operator[](NodeId id) const { return nodes[id]; }
};

}  // namespace tovrin::regex
