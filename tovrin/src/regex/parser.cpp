#include "parser.hpp"

#include <limits>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "char_props.hpp"
#include "nest_check.hpp"
#include "tovrin/utils/utf8.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::regex {

namespace {

constexpr NodeId kNoNode = std::numeric_limits<NodeId>::max();
constexpr char32_t kEof = 0xFFFFFFFF;

bool is_hex_digit(char32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::uint32_t hex_value(char32_t c) {
  if (c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

bool is_meta_character(char32_t c) {
  switch (c) {
    case '\\':
    case '.':
    case '+':
    case '*':
    case '?':
    case '(':
    case ')':
    case '|':
    case '[':
    case ']':
    case '{':
    case '}':
    case '^':
    case '$':
    case '#':
    case '&':
    case '-':
    case '~':
      return true;
    default:
      return false;
  }
}

// Escaping any other ASCII char that is neither a letter, a digit nor `<`/`>` means the char.
bool is_escapeable_character(char32_t c) {
  if (is_meta_character(c)) return true;
  if (c >= 0x80) return false;
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return false;
  return c != '<' && c != '>';
}

bool is_capture_char(char32_t c, bool first) {
  if (c == '_') return true;
  if (first) return is_alphabetic(c);
  return c == '.' || c == '[' || c == ']' || is_alphanumeric(c);
}

std::optional<AsciiKind> ascii_kind_from_name(std::string_view name) {
  static constexpr std::pair<std::string_view, AsciiKind> kNames[] = {
      {"alnum", AsciiKind::Alnum}, {"alpha", AsciiKind::Alpha},   {"ascii", AsciiKind::Ascii},
      {"blank", AsciiKind::Blank}, {"cntrl", AsciiKind::Cntrl},   {"digit", AsciiKind::Digit},
      {"graph", AsciiKind::Graph}, {"lower", AsciiKind::Lower},   {"print", AsciiKind::Print},
      {"punct", AsciiKind::Punct}, {"space", AsciiKind::Space},   {"upper", AsciiKind::Upper},
      {"word", AsciiKind::Word},   {"xdigit", AsciiKind::Xdigit},
  };
  for (const auto& [text, kind] : kNames) {
    if (text == name) return kind;
  }
  return std::nullopt;
}

// A concatenation being collected.
struct ConcatBuilder {
  Span span;
  std::vector<NodeId> asts;
};

// A union of class items being collected.
struct UnionBuilder {
  Span span;
  std::vector<NodeId> items;
};

struct GroupState {
  bool is_alternation = false;
  // Group: the concatenation before the group, the group node and the verbose setting to
  // restore when the group closes.
  ConcatBuilder concat;
  NodeId group = kNoNode;
  bool ignore_whitespace = false;
  // Alternation: the branches so far.
  Span alternation_span;
  std::vector<NodeId> branches;
};

struct ClassState {
  bool is_open = false;
  // Open: the parent's union and the bracketed node.
  UnionBuilder parent_union;
  NodeId set = kNoNode;
  // Op: the operator and its left side.
  ClassOp op = ClassOp::Intersection;
  NodeId lhs = kNoNode;
};

class Parser {
 public:
  explicit Parser(std::string_view pattern) : pattern_(pattern) {}

  Result<Ast, SyntaxError> run() {
    NodeId root = parse_with_comments();
    if (root == kNoNode) return Err{*error_};
    ast_.root = root;
    if (auto nest_error = check_nest_limit(ast_, kNestLimit)) return Err{*nest_error};
    return std::move(ast_);
  }

 private:
  // ---- position helpers

  bool is_eof() const { return pos_.offset >= pattern_.size(); }
  char32_t ch() const { return is_eof() ? kEof : utf8::decode_valid_at(pattern_, pos_.offset); }

  Position next_position(Position p) const {
    char32_t c = utf8::decode_valid_at(pattern_, p.offset);
    if (c == '\n') {
      ++p.line;
      p.column = 1;
    } else {
      ++p.column;
    }
    p.offset += utf8::encoded_length(c);
    return p;
  }

  bool bump() {
    if (is_eof()) return false;
    pos_ = next_position(pos_);
    return !is_eof();
  }

  bool bump_if(std::string_view prefix) {
    if (pattern_.substr(pos_.offset).substr(0, prefix.size()) != prefix) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
      bump();
    return true;
  }

  bool is_lookaround_prefix() {
    return bump_if("?=") || bump_if("?!") || bump_if("?<=") || bump_if("?<!");
  }

  bool bump_and_bump_space() {
    if (!bump()) return false;
    bump_space();
    return !is_eof();
  }

  void bump_space() {
    if (!ignore_whitespace_) return;
    while (!is_eof()) {
      char32_t c = ch();
      if (is_white_space(c)) {
        bump();
      } else if (c == '#') {
        bump();
        while (!is_eof()) {
          char32_t in_comment = ch();
          bump();
          if (in_comment == '\n') break;
        }
      } else {
        break;
      }
    }
  }

  std::optional<char32_t> peek() const {
    if (is_eof()) return std::nullopt;
    std::size_t next = pos_.offset + utf8::encoded_length(ch());
    if (next >= pattern_.size()) return std::nullopt;
    return utf8::decode_valid_at(pattern_, next);
  }

  // Like peek, but in verbose mode skips white space and comments first. It reproduces a quirk
  // of the reference: after a `#`, the first non-space char of the comment is what is seen.
  std::optional<char32_t> peek_space() const {
    if (!ignore_whitespace_) return peek();
    if (is_eof()) return std::nullopt;
    std::size_t start = pos_.offset + utf8::encoded_length(ch());
    bool in_comment = false;
    for (std::size_t i = start; i < pattern_.size();) {
      char32_t c = utf8::decode_valid_at(pattern_, i);
      if (is_white_space(c)) {
        i += utf8::encoded_length(c);
        continue;
      }
      if (!in_comment && c == '#') {
        in_comment = true;
        i += utf8::encoded_length(c);
        continue;
      }
      start = i;
      break;
    }
    if (start >= pattern_.size()) return std::nullopt;
    return utf8::decode_valid_at(pattern_, start);
  }

  Span span() const { return Span{pos_, pos_}; }
  Span span_char() const { return Span{pos_, next_position(pos_)}; }

  // ---- errors and nodes

  template <class T = NodeId>
  T fail(ErrorKind kind, Span span, std::optional<Span> aux = std::nullopt) {
    error_ = SyntaxError{kind, span, aux};
    if constexpr (std::is_same_v<T, bool>) {
      return false;
    } else {
      return kNoNode;
    }
  }

  NodeId add(AstNode node) {
    spend_work(1);
    ast_.nodes.push_back(std::move(node));
    return static_cast<NodeId>(ast_.nodes.size() - 1);
  }
  AstNode& node(NodeId id) { return ast_.nodes[id]; }

  NodeId simple_node(AstKind kind, Span span) {
    AstNode n;
    n.kind = kind;
    n.span = span;
    return add(std::move(n));
  }

  NodeId concat_into_ast(ConcatBuilder& concat) {
    if (concat.asts.empty()) return simple_node(AstKind::Empty, concat.span);
    if (concat.asts.size() == 1) return concat.asts.front();
    NodeId id = simple_node(AstKind::Concat, concat.span);
    node(id).children = std::move(concat.asts);
    return id;
  }

  NodeId union_into_item(UnionBuilder& u) {
    if (u.items.empty()) return simple_node(AstKind::Empty, u.span);
    if (u.items.size() == 1) return u.items.front();
    NodeId id = simple_node(AstKind::ClassUnion, u.span);
    node(id).children = std::move(u.items);
    return id;
  }

  void union_push(UnionBuilder& u, NodeId item) {
    if (u.items.empty()) u.span.start = node(item).span.start;
    u.span.end = node(item).span.end;
    u.items.push_back(item);
  }

  // ---- the main loop

  NodeId parse_with_comments() {
    ConcatBuilder concat{span(), {}};
    for (;;) {
      bump_space();
      if (is_eof()) break;
      bool ok = true;
      switch (ch()) {
        case '(':
          ok = push_group(concat);
          break;
        case ')':
          ok = pop_group(concat);
          break;
        case '|':
          push_alternate(concat);
          break;
        case '[': {
          NodeId cls = parse_set_class();
          ok = cls != kNoNode;
          if (ok) concat.asts.push_back(cls);
          break;
        }
        case '?':
          ok = parse_uncounted_repetition(concat, 0, 1, false);
          break;
        case '*':
          ok = parse_uncounted_repetition(concat, 0, 0, true);
          break;
        case '+':
          ok = parse_uncounted_repetition(concat, 1, 0, true);
          break;
        case '{':
          ok = parse_counted_repetition(concat);
          break;
        default: {
          NodeId prim = parse_primitive();
          ok = prim != kNoNode;
          if (ok) concat.asts.push_back(prim);
          break;
        }
      }
      if (!ok) return kNoNode;
    }
    return pop_group_end(concat);
  }

  // ---- groups and alternation

  bool push_group(ConcatBuilder& concat) {
    bool is_set_flags = false;
    NodeId parsed = parse_group(is_set_flags);
    if (parsed == kNoNode) return false;
    if (is_set_flags) {
      if (auto state = flag_state(node(parsed).flags, Flag::IgnoreWhitespace)) {
        ignore_whitespace_ = *state;
      }
      concat.asts.push_back(parsed);
      return true;
    }
    bool old_ignore = ignore_whitespace_;
    bool new_ignore = old_ignore;
    if (node(parsed).group == GroupKind::NonCapturing) {
      new_ignore = flag_state(node(parsed).flags, Flag::IgnoreWhitespace).value_or(old_ignore);
    }
    GroupState state;
    state.concat = std::move(concat);
    state.group = parsed;
    state.ignore_whitespace = old_ignore;
    groups_.push_back(std::move(state));
    ignore_whitespace_ = new_ignore;
    concat = ConcatBuilder{span(), {}};
    return true;
  }

  static std::optional<bool> flag_state(const std::vector<FlagItem>& items, Flag flag) {
    bool negated = false;
    for (const FlagItem& item : items) {
      if (item.is_negation) {
        negated = true;
      } else if (item.flag == flag) {
        return !negated;
      }
    }
    return std::nullopt;
  }

  NodeId parse_group(bool& is_set_flags) {
    Span open_span = span_char();
    bump();
    bump_space();
    if (is_lookaround_prefix()) {
      return fail(ErrorKind::UnsupportedLookAround, Span{open_span.start, pos_});
    }
    Span inner_span = span();
    bool named = bump_if("?P<") || bump_if("?<");
    if (named) {
      AstNode group;
      group.kind = AstKind::Group;
      group.group = GroupKind::NamedCapture;
      group.span = open_span;
      if (!parse_capture_name()) return kNoNode;
      return add(std::move(group));
    }
    if (bump_if("?")) {
      if (is_eof()) return fail(ErrorKind::GroupUnclosed, open_span);
      std::vector<FlagItem> flags;
      if (!parse_flags(flags)) return kNoNode;
      char32_t end_char = ch();
      bump();
      AstNode out;
      out.flags = std::move(flags);
      if (end_char == ')') {
        if (out.flags.empty()) return fail(ErrorKind::RepetitionMissing, inner_span);
        out.kind = AstKind::Flags;
        out.span = Span{open_span.start, pos_};
        is_set_flags = true;
      } else {
        out.kind = AstKind::Group;
        out.group = GroupKind::NonCapturing;
        out.span = open_span;
      }
      return add(std::move(out));
    }
    AstNode group;
    group.kind = AstKind::Group;
    group.group = GroupKind::Capture;
    group.span = open_span;
    return add(std::move(group));
  }

  bool parse_capture_name() {
    if (is_eof()) return fail<bool>(ErrorKind::GroupNameUnexpectedEof, span());
    Position start = pos_;
    for (;;) {
      if (ch() == '>') break;
      if (!is_capture_char(ch(), pos_.offset == start.offset)) {
        return fail<bool>(ErrorKind::GroupNameInvalid, span_char());
      }
      if (!bump()) break;
    }
    Position end = pos_;
    if (is_eof()) return fail<bool>(ErrorKind::GroupNameUnexpectedEof, span());
    bump();
    std::string name(pattern_.substr(start.offset, end.offset - start.offset));
    if (name.empty()) return fail<bool>(ErrorKind::GroupNameEmpty, Span{start, start});
    Span name_span{start, end};
    auto [it, inserted] = capture_names_.emplace(std::move(name), name_span);
    if (!inserted) return fail<bool>(ErrorKind::GroupNameDuplicate, name_span, it->second);
    return true;
  }

  bool parse_flags(std::vector<FlagItem>& items) {
    std::optional<Span> last_was_negation;
    while (ch() != ':' && ch() != ')') {
      FlagItem item;
      item.span = span_char();
      if (ch() == '-') {
        last_was_negation = span_char();
        item.is_negation = true;
        for (const FlagItem& existing : items) {
          if (existing.is_negation) {
            return fail<bool>(ErrorKind::FlagRepeatedNegation, span_char(), existing.span);
          }
        }
      } else {
        last_was_negation.reset();
        switch (ch()) {
          case 'i':
            item.flag = Flag::CaseInsensitive;
            break;
          case 'm':
            item.flag = Flag::MultiLine;
            break;
          case 's':
            item.flag = Flag::DotMatchesNewLine;
            break;
          case 'U':
            item.flag = Flag::SwapGreed;
            break;
          case 'u':
            item.flag = Flag::Unicode;
            break;
          case 'x':
            item.flag = Flag::IgnoreWhitespace;
            break;
          case 'R':
            item.flag = Flag::Crlf;
            break;
          default:
            return fail<bool>(ErrorKind::FlagUnrecognized, span_char());
        }
        for (const FlagItem& existing : items) {
          if (!existing.is_negation && existing.flag == item.flag) {
            return fail<bool>(ErrorKind::FlagDuplicate, span_char(), existing.span);
          }
        }
      }
      items.push_back(item);
      if (!bump()) return fail<bool>(ErrorKind::FlagUnexpectedEof, span());
    }
    if (last_was_negation) return fail<bool>(ErrorKind::FlagDanglingNegation, *last_was_negation);
    return true;
  }

  void push_alternate(ConcatBuilder& concat) {
    concat.span.end = pos_;
    Position concat_start = concat.span.start;
    NodeId branch = concat_into_ast(concat);
    if (!groups_.empty() && groups_.back().is_alternation) {
      groups_.back().branches.push_back(branch);
    } else {
      GroupState state;
      state.is_alternation = true;
      state.alternation_span = Span{concat_start, pos_};
      state.branches.push_back(branch);
      groups_.push_back(std::move(state));
    }
    bump();
    concat = ConcatBuilder{span(), {}};
  }

  NodeId alternation_into_ast(GroupState& alt) {
    if (alt.branches.empty()) return simple_node(AstKind::Empty, alt.alternation_span);
    if (alt.branches.size() == 1) return alt.branches.front();
    NodeId id = simple_node(AstKind::Alternation, alt.alternation_span);
    node(id).children = std::move(alt.branches);
    return id;
  }

  bool pop_group(ConcatBuilder& group_concat) {
    std::optional<GroupState> alt;
    if (!groups_.empty() && groups_.back().is_alternation) {
      alt = std::move(groups_.back());
      groups_.pop_back();
    }
    if (groups_.empty() || groups_.back().is_alternation) {
      return fail<bool>(ErrorKind::GroupUnopened, span_char());
    }
    GroupState group_state = std::move(groups_.back());
    groups_.pop_back();
    ignore_whitespace_ = group_state.ignore_whitespace;
    group_concat.span.end = pos_;
    bump();
    NodeId group = group_state.group;
    node(group).span.end = pos_;
    NodeId inner;
    if (alt) {
      alt->alternation_span.end = group_concat.span.end;
      alt->branches.push_back(concat_into_ast(group_concat));
      inner = alternation_into_ast(*alt);
    } else {
      inner = concat_into_ast(group_concat);
    }
    node(group).children = {inner};
    group_concat = std::move(group_state.concat);
    group_concat.asts.push_back(group);
    return true;
  }

  NodeId pop_group_end(ConcatBuilder& concat) {
    concat.span.end = pos_;
    NodeId result;
    if (groups_.empty()) {
      return concat_into_ast(concat);
    }
    GroupState top = std::move(groups_.back());
    groups_.pop_back();
    if (!top.is_alternation) return fail(ErrorKind::GroupUnclosed, node(top.group).span);
    top.alternation_span.end = pos_;
    top.branches.push_back(concat_into_ast(concat));
    result = simple_node(AstKind::Alternation, top.alternation_span);
    node(result).children = std::move(top.branches);
    if (!groups_.empty()) return fail(ErrorKind::GroupUnclosed, node(groups_.back().group).span);
    return result;
  }

  // ---- repetition

  bool parse_uncounted_repetition(ConcatBuilder& concat, std::uint32_t min, std::uint32_t max,
                                  bool unbounded) {
    if (concat.asts.empty()) return fail<bool>(ErrorKind::RepetitionMissing, span());
    NodeId operand = concat.asts.back();
    AstKind operand_kind = node(operand).kind;
    if (operand_kind == AstKind::Empty || operand_kind == AstKind::Flags) {
      return fail<bool>(ErrorKind::RepetitionMissing, span());
    }
    concat.asts.pop_back();
    bool lazy = bump() && ch() == '?';
    if (lazy) bump();
    concat.asts.push_back(repetition_node(operand, min, max, unbounded, lazy));
    return true;
  }

  NodeId repetition_node(NodeId operand, std::uint32_t min, std::uint32_t max, bool unbounded,
                         bool lazy) {
    AstNode rep;
    rep.kind = AstKind::Repetition;
    rep.span = Span{node(operand).span.start, pos_};
    rep.min = min;
    rep.max = max;
    rep.unbounded = unbounded;
    rep.lazy = lazy;
    rep.children = {operand};
    return add(std::move(rep));
  }

  struct Decimal {
    std::optional<std::uint32_t> value;
    std::optional<SyntaxError> error;
  };

  // Reads a decimal count; white space around it is always skipped.
  Decimal parse_decimal() {
    while (!is_eof() && is_white_space(ch()))
      bump();
    Position start = pos_;
    std::uint64_t value = 0;
    bool overflow = false;
    bool any = false;
    while (!is_eof() && ch() >= '0' && ch() <= '9') {
      any = true;
      value = value * 10 + (ch() - '0');
      if (value > std::numeric_limits<std::uint32_t>::max()) {
        overflow = true;
        value = 0;
      }
      bump_and_bump_space();
    }
    Span digits{start, pos_};
    while (!is_eof() && is_white_space(ch()))
      bump_and_bump_space();
    if (!any)
      return {std::nullopt, SyntaxError{ErrorKind::RepetitionCountDecimalEmpty, digits, {}}};
    if (overflow) return {std::nullopt, SyntaxError{ErrorKind::DecimalInvalid, digits, {}}};
    return {static_cast<std::uint32_t>(value), std::nullopt};
  }

  bool take_decimal(const Decimal& d, std::uint32_t& out) {
    if (d.error) {
      error_ = *d.error;
      return false;
    }
    out = *d.value;
    return true;
  }

  bool parse_counted_repetition(ConcatBuilder& concat) {
    Position start = pos_;
    if (concat.asts.empty()) return fail<bool>(ErrorKind::RepetitionMissing, span());
    NodeId operand = concat.asts.back();
    AstKind operand_kind = node(operand).kind;
    if (operand_kind == AstKind::Empty || operand_kind == AstKind::Flags) {
      return fail<bool>(ErrorKind::RepetitionMissing, span());
    }
    concat.asts.pop_back();
    auto unclosed = [&] {
      return fail<bool>(ErrorKind::RepetitionCountUnclosed, Span{start, pos_});
    };
    if (!bump_and_bump_space()) return unclosed();
    Decimal count_start = parse_decimal();
    if (is_eof()) return unclosed();
    std::uint32_t min = 0;
    std::uint32_t max = 0;
    bool unbounded = false;
    if (ch() == ',') {
      if (!bump_and_bump_space()) return unclosed();
      if (ch() != '}') {
        if (!take_decimal(count_start, min)) return false;
        Decimal count_end = parse_decimal();
        if (!take_decimal(count_end, max)) return false;
      } else {
        if (!take_decimal(count_start, min)) return false;
        unbounded = true;
      }
    } else {
      if (!take_decimal(count_start, min)) return false;
      max = min;
    }
    if (is_eof() || ch() != '}') return unclosed();
    bool lazy = bump_and_bump_space() && ch() == '?';
    if (lazy) bump();
    Span op_span{start, pos_};
    if (!unbounded && min > max) return fail<bool>(ErrorKind::RepetitionCountInvalid, op_span);
    concat.asts.push_back(repetition_node(operand, min, max, unbounded, lazy));
    return true;
  }

  // ---- primitives and escapes

  NodeId parse_primitive() {
    switch (ch()) {
      case '\\':
        return parse_escape();
      case '.': {
        NodeId id = simple_node(AstKind::Dot, span_char());
        bump();
        return id;
      }
      case '^':
      case '$': {
        NodeId id = simple_node(AstKind::Assertion, span_char());
        node(id).assertion = ch() == '^' ? AssertionKind::StartLine : AssertionKind::EndLine;
        bump();
        return id;
      }
      default:
        return literal_here();
    }
  }

  NodeId literal_here() {
    NodeId id = literal_node(span_char(), ch());
    bump();
    return id;
  }

  NodeId literal_node(Span span, char32_t c) {
    NodeId id = simple_node(AstKind::Literal, span);
    node(id).c = c;
    return id;
  }

  NodeId assertion_node(Span span, AssertionKind kind) {
    NodeId id = simple_node(AstKind::Assertion, span);
    node(id).assertion = kind;
    return id;
  }

  NodeId parse_escape() {
    Position start = pos_;
    if (!bump()) return fail(ErrorKind::EscapeUnexpectedEof, Span{start, pos_});
    char32_t c = ch();
    if (c >= '0' && c <= '9') {
      return fail(ErrorKind::UnsupportedBackreference, Span{start, span_char().end});
    }
    if (c == 'x' || c == 'u' || c == 'U') {
      NodeId lit = parse_hex();
      if (lit != kNoNode) node(lit).span.start = start;
      return lit;
    }
    if (c == 'p' || c == 'P') {
      NodeId cls = parse_unicode_class();
      if (cls != kNoNode) node(cls).span.start = start;
      return cls;
    }
    if (c == 'd' || c == 's' || c == 'w' || c == 'D' || c == 'S' || c == 'W') {
      NodeId cls = simple_node(AstKind::PerlClass, Span{start, span_char().end});
      node(cls).negated = c == 'D' || c == 'S' || c == 'W';
      char32_t lower = c | 0x20;
      node(cls).perl = lower == 'd'   ? PerlKind::Digit
                       : lower == 's' ? PerlKind::Space
                                      : PerlKind::Word;
      bump();
      return cls;
    }
    bump();
    Span esc{start, pos_};
    if (is_escapeable_character(c)) return literal_node(esc, c);
    switch (c) {
      case 'a':
        return literal_node(esc, 0x07);
      case 'f':
        return literal_node(esc, 0x0C);
      case 't':
        return literal_node(esc, '\t');
      case 'n':
        return literal_node(esc, '\n');
      case 'r':
        return literal_node(esc, '\r');
      case 'v':
        return literal_node(esc, 0x0B);
      case 'A':
        return assertion_node(esc, AssertionKind::StartText);
      case 'z':
        return assertion_node(esc, AssertionKind::EndText);
      case 'b': {
        AssertionKind kind = AssertionKind::WordBoundary;
        if (!is_eof() && ch() == '{') {
          std::optional<AssertionKind> special;
          if (!maybe_parse_special_word_boundary(start, special)) return kNoNode;
          if (special) {
            kind = *special;
            esc.end = pos_;
          }
        }
        return assertion_node(esc, kind);
      }
      case 'B':
        return assertion_node(esc, AssertionKind::NotWordBoundary);
      case '<':
        return assertion_node(esc, AssertionKind::WordStart);
      case '>':
        return assertion_node(esc, AssertionKind::WordEnd);
      default:
        return fail(ErrorKind::EscapeUnrecognized, esc);
    }
  }

  bool maybe_parse_special_word_boundary(Position wb_start, std::optional<AssertionKind>& out) {
    auto is_valid_char = [](char32_t c) {
      return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-';
    };
    Position start = pos_;
    if (!bump_and_bump_space()) {
      return fail<bool>(ErrorKind::SpecialWordOrRepetitionUnexpectedEof, Span{wb_start, pos_});
    }
    Position start_contents = pos_;
    if (!is_valid_char(ch())) {
      pos_ = start;
      return true;
    }
    std::string name;
    while (!is_eof() && is_valid_char(ch())) {
      name += static_cast<char>(ch());
      bump_and_bump_space();
    }
    if (is_eof() || ch() != '}') {
      return fail<bool>(ErrorKind::SpecialWordBoundaryUnclosed, Span{start, pos_});
    }
    Position end = pos_;
    bump();
    if (name == "start") {
      out = AssertionKind::WordStart;
    } else if (name == "end") {
      out = AssertionKind::WordEnd;
    } else if (name == "start-half") {
      out = AssertionKind::WordStartHalf;
    } else if (name == "end-half") {
      out = AssertionKind::WordEndHalf;
    } else {
      return fail<bool>(ErrorKind::SpecialWordBoundaryUnrecognized, Span{start_contents, end});
    }
    return true;
  }

  NodeId parse_hex() {
    std::size_t fixed_digits = ch() == 'x' ? 2 : ch() == 'u' ? 4 : 8;
    bool is_x = ch() == 'x';
    if (!bump_and_bump_space()) return fail(ErrorKind::EscapeUnexpectedEof, span());
    if (ch() == '{') return parse_hex_brace();
    return parse_hex_digits(fixed_digits, is_x);
  }

  NodeId hex_literal(Span span, std::uint64_t value, bool overflow, Span invalid_span) {
    bool valid = !overflow && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
    if (!valid) return fail(ErrorKind::EscapeHexInvalid, invalid_span);
    return literal_node(span, static_cast<char32_t>(value));
  }

  NodeId parse_hex_digits(std::size_t digits, bool is_x) {
    Position start = pos_;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
      if (i > 0 && !bump_and_bump_space()) return fail(ErrorKind::EscapeUnexpectedEof, span());
      if (!is_hex_digit(ch())) return fail(ErrorKind::EscapeHexInvalidDigit, span_char());
      value = value * 16 + hex_value(ch());
    }
    bump_and_bump_space();
    Span literal{start, pos_};
    NodeId id = hex_literal(literal, value, false, literal);
    if (id != kNoNode) node(id).is_byte_escape = is_x;
    return id;
  }

  NodeId parse_hex_brace() {
    Position brace_pos = pos_;
    Position start = span_char().end;
    std::uint64_t value = 0;
    bool overflow = false;
    bool empty = true;
    while (bump_and_bump_space() && ch() != '}') {
      if (!is_hex_digit(ch())) return fail(ErrorKind::EscapeHexInvalidDigit, span_char());
      empty = false;
      value = value * 16 + hex_value(ch());
      if (value > std::numeric_limits<std::uint32_t>::max()) {
        overflow = true;
        value = 0;
      }
    }
    if (is_eof()) return fail(ErrorKind::EscapeUnexpectedEof, Span{brace_pos, pos_});
    Position end = pos_;
    bump_and_bump_space();
    if (empty) return fail(ErrorKind::EscapeHexEmpty, Span{brace_pos, pos_});
    return hex_literal(Span{start, pos_}, value, overflow, Span{start, end});
  }

  NodeId parse_unicode_class() {
    bool negated = ch() == 'P';
    if (!bump_and_bump_space()) return fail(ErrorKind::EscapeUnexpectedEof, span());
    AstNode cls;
    cls.kind = AstKind::UnicodeClass;
    Position start;
    if (ch() == '{') {
      start = span_char().end;
      std::string text;
      while (bump_and_bump_space() && ch() != '}') {
        std::size_t len = utf8::encoded_length(ch());
        text.append(pattern_.substr(pos_.offset, len));
      }
      if (is_eof()) return fail(ErrorKind::EscapeUnexpectedEof, span());
      bump();
      if (std::size_t i = text.find("!="); i != std::string::npos) {
        cls.unicode_form = UnicodeClassForm::NamedValue;
        cls.name = text.substr(0, i);
        cls.value = text.substr(i + 2);
        negated = !negated;
      } else if (std::size_t j = text.find_first_of(':'); j != std::string::npos) {
        cls.unicode_form = UnicodeClassForm::NamedValue;
        cls.name = text.substr(0, j);
        cls.value = text.substr(j + 1);
      } else if (std::size_t k = text.find('='); k != std::string::npos) {
        cls.unicode_form = UnicodeClassForm::NamedValue;
        cls.name = text.substr(0, k);
        cls.value = text.substr(k + 1);
      } else {
        cls.unicode_form = UnicodeClassForm::Named;
        cls.name = std::move(text);
      }
    } else {
      start = pos_;
      if (ch() == '\\') return fail(ErrorKind::UnicodeClassInvalid, span_char());
      cls.unicode_form = UnicodeClassForm::OneLetter;
      cls.name = std::string(pattern_.substr(pos_.offset, utf8::encoded_length(ch())));
      bump_and_bump_space();
    }
    cls.negated = negated;
    cls.span = Span{start, pos_};
    return add(std::move(cls));
  }

  // ---- bracketed classes

  NodeId parse_set_class() {
    UnionBuilder u{span(), {}};
    for (;;) {
      bump_space();
      if (is_eof()) return unclosed_class_error();
      switch (ch()) {
        case '[': {
          if (!classes_.empty()) {
            NodeId ascii = maybe_parse_ascii_class();
            if (ascii != kNoNode) {
              union_push(u, ascii);
              continue;
            }
          }
          if (!push_class_open(u)) return kNoNode;
          break;
        }
        case ']': {
          NodeId finished = kNoNode;
          if (pop_class(u, finished)) return finished;
          break;
        }
        case '&':
        case '-':
        case '~': {
          char32_t c = ch();
          if (peek() == c) {
            bump();
            bump();
            push_class_op(c == '&'   ? ClassOp::Intersection
                          : c == '-' ? ClassOp::Difference
                                     : ClassOp::SymmetricDifference,
                          u);
            break;
          }
          NodeId item = parse_set_class_range();
          if (item == kNoNode) return kNoNode;
          union_push(u, item);
          break;
        }
        default: {
          NodeId item = parse_set_class_range();
          if (item == kNoNode) return kNoNode;
          union_push(u, item);
          break;
        }
      }
    }
  }

  NodeId unclosed_class_error() {
    for (auto it = classes_.rbegin(); it != classes_.rend(); ++it) {
      if (it->is_open) return fail(ErrorKind::ClassUnclosed, node(it->set).span);
    }
    return fail(ErrorKind::ClassUnclosed, span());
  }

  bool push_class_open(UnionBuilder& parent_union) {
    Position start = pos_;
    auto unclosed = [&](Span s) { return fail<bool>(ErrorKind::ClassUnclosed, s); };
    if (!bump_and_bump_space()) return unclosed(Span{start, pos_});
    bool negated = false;
    if (ch() == '^') {
      negated = true;
      if (!bump_and_bump_space()) return unclosed(Span{start, pos_});
    }
    UnionBuilder nested{span(), {}};
    while (ch() == '-') {
      union_push(nested, literal_node(span_char(), '-'));
      if (!bump_and_bump_space()) return unclosed(Span{start, start});
    }
    if (nested.items.empty() && ch() == ']') {
      union_push(nested, literal_node(span_char(), ']'));
      if (!bump_and_bump_space()) return unclosed(Span{start, pos_});
    }
    NodeId set = simple_node(AstKind::Bracketed, Span{start, pos_});
    node(set).negated = negated;
    ClassState state;
    state.is_open = true;
    state.parent_union = std::move(parent_union);
    state.set = set;
    classes_.push_back(std::move(state));
    parent_union = std::move(nested);
    return true;
  }

  // Closes the innermost class. Returns true with `finished` set when it was the outermost one.
  bool pop_class(UnionBuilder& nested_union, NodeId& finished) {
    NodeId item = union_into_item(nested_union);
    NodeId set_kind = pop_class_op(item);
    ClassState state = std::move(classes_.back());
    classes_.pop_back();
    bump();
    AstNode& set = node(state.set);
    set.span.end = pos_;
    set.children = {set_kind};
    if (classes_.empty()) {
      finished = state.set;
      return true;
    }
    nested_union = std::move(state.parent_union);
    union_push(nested_union, state.set);
    return false;
  }

  NodeId pop_class_op(NodeId rhs) {
    if (classes_.empty() || classes_.back().is_open) return rhs;
    ClassState state = std::move(classes_.back());
    classes_.pop_back();
    NodeId op =
        simple_node(AstKind::ClassBinaryOp, Span{node(state.lhs).span.start, node(rhs).span.end});
    node(op).op = state.op;
    node(op).children = {state.lhs, rhs};
    return op;
  }

  void push_class_op(ClassOp kind, UnionBuilder& next_union) {
    NodeId item = union_into_item(next_union);
    NodeId new_lhs = pop_class_op(item);
    ClassState state;
    state.op = kind;
    state.lhs = new_lhs;
    classes_.push_back(std::move(state));
    next_union = UnionBuilder{span(), {}};
  }

  NodeId maybe_parse_ascii_class() {
    Position start = pos_;
    auto back_up = [&] {
      pos_ = start;
      return kNoNode;
    };
    if (!bump() || ch() != ':') return back_up();
    if (!bump()) return back_up();
    bool negated = false;
    if (ch() == '^') {
      negated = true;
      if (!bump()) return back_up();
    }
    std::size_t name_start = pos_.offset;
    while (ch() != ':' && bump()) {
    }
    if (is_eof()) return back_up();
    std::string_view name = pattern_.substr(name_start, pos_.offset - name_start);
    if (!bump_if(":]")) return back_up();
    std::optional<AsciiKind> kind = ascii_kind_from_name(name);
    if (!kind) return back_up();
    NodeId id = simple_node(AstKind::AsciiClass, Span{start, pos_});
    node(id).ascii = *kind;
    node(id).negated = negated;
    return id;
  }

  NodeId parse_set_class_range() {
    NodeId prim1 = parse_set_class_item();
    if (prim1 == kNoNode) return kNoNode;
    bump_space();
    if (is_eof()) return unclosed_class_error();
    if (ch() != '-' || peek_space() == U']' || peek_space() == U'-') {
      return into_class_set_item(prim1);
    }
    if (!bump_and_bump_space()) return unclosed_class_error();
    NodeId prim2 = parse_set_class_item();
    if (prim2 == kNoNode) return kNoNode;
    Span range_span{node(prim1).span.start, node(prim2).span.end};
    if (node(prim1).kind != AstKind::Literal) {
      return fail(ErrorKind::ClassRangeLiteral, node(prim1).span);
    }
    if (node(prim2).kind != AstKind::Literal) {
      return fail(ErrorKind::ClassRangeLiteral, node(prim2).span);
    }
    if (node(prim1).c > node(prim2).c) return fail(ErrorKind::ClassRangeInvalid, range_span);
    NodeId range = simple_node(AstKind::ClassRange, range_span);
    node(range).children = {prim1, prim2};
    return range;
  }

  NodeId parse_set_class_item() {
    if (ch() == '\\') return parse_escape();
    return literal_here();
  }

  NodeId into_class_set_item(NodeId prim) {
    AstKind kind = node(prim).kind;
    if (kind == AstKind::Assertion || kind == AstKind::Dot) {
      return fail(ErrorKind::ClassEscapeInvalid, node(prim).span);
    }
    return prim;
  }

  std::string_view pattern_;
  Position pos_;
  bool ignore_whitespace_ = false;
  Ast ast_;
  std::vector<GroupState> groups_;
  std::vector<ClassState> classes_;
  std::map<std::string, Span, std::less<>> capture_names_;
  std::optional<SyntaxError> error_;
};

}  // namespace

Result<Ast, SyntaxError> parse(std::string_view pattern) {
  return Parser(pattern).run();
}

}  // namespace tovrin::regex
