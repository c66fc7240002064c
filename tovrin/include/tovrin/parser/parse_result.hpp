#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>

#include "tovrin/result.hpp"

namespace tovrin::parser {

// Why a parser gave up. Users see the kind by its name in "error {} at: {}", so the names are
// part of the interface: `Char` (an expected character or atom is missing), `Count` (three or
// more operands of `==` or `!=` in one run), `Eof` (text left over after a complete parse),
// `MapRes` (a name or index that was read but cannot be used), `Digit` (a name that begins with
// a digit), `TooLarge` (nesting deeper than the parser allows). `Tag` and `OneOf` name failures
// of steps inside alternatives that are tried and dropped; no parse reports them to its caller.
enum class ErrorKind : std::uint8_t { Tag, MapRes, Count, Digit, Eof, OneOf, Char, TooLarge };

std::string_view error_kind_name(ErrorKind kind) noexcept;
std::ostream& operator<<(std::ostream& out, ErrorKind kind);

// A recoverable failure lets the caller try its next alternative, end a repetition or leave an
// optional part out. A hard failure ends the whole parse: every list, level and choice passes it
// up unchanged.
enum class Severity : std::uint8_t { Recoverable, Hard };

// `input` is the rest of the text at the step that failed: always a suffix of the parsed text.
struct ParseError {
  Severity severity;
  ErrorKind kind;
  std::string_view input;

  bool is_hard() const noexcept { return severity == Severity::Hard; }
  friend bool operator==(const ParseError&, const ParseError&) = default;
};

// A successful step: the unconsumed rest (a suffix of the input) and what was read.
template <class T>
struct Parsed {
  std::string_view rest;
  T value;
};

template <class T>
using ParseResult = Result<Parsed<T>, ParseError>;

}  // namespace tovrin::parser
