#pragma once

// The few building blocks every parser of the engine is made of. Each takes the remaining text
// and returns the rest after what it consumed, or a failure positioned at the step that failed.

#include <cstddef>
#include <string_view>

#include "tovrin/parser/parse_result.hpp"

namespace tovrin::parser::combinators {

inline ParseError recoverable(ErrorKind kind, std::string_view at) noexcept {
  return ParseError{Severity::Recoverable, kind, at};
}

// Character classes as function objects, so that the scanning loops below inline them.
inline constexpr auto is_ascii_digit = [](char c) noexcept { return c >= '0' && c <= '9'; };
inline constexpr auto is_identifier_char = [](char c) noexcept {
  return is_ascii_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
};
// Space, TAB, LF and CR; not VT or FF.
inline constexpr auto is_ascii_blank = [](char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
};

inline bool starts_with(std::string_view input, char c) noexcept {
  return !input.empty() && input.front() == c;
}

// The longest prefix of bytes that satisfy `pred`; never fails.
template <class Pred>
Parsed<std::string_view> take_while(std::string_view input, Pred pred) noexcept {
  std::size_t length = 0;
  while (length < input.size() && pred(input[length]))
    ++length;
  return {input.substr(length), input.substr(0, length)};
}

// As take_while, but the prefix must not be empty; fails with `kind` at the input otherwise.
template <class Pred>
ParseResult<std::string_view> take_while1(std::string_view input, Pred pred,
                                          ErrorKind kind) noexcept {
  auto taken = take_while(input, pred);
  if (taken.value.empty()) return Err{recoverable(kind, input)};
  return taken;
}

inline std::string_view skip_ascii_blanks(std::string_view input) noexcept {
  return take_while(input, is_ascii_blank).rest;
}

inline ParseResult<std::string_view> digits(std::string_view input) noexcept {
  return take_while1(input, is_ascii_digit, ErrorKind::Digit);
}

// The exact text `expected`; fails with `Tag`.
inline ParseResult<std::string_view> tag(std::string_view input,
                                         std::string_view expected) noexcept {
  if (!input.starts_with(expected)) return Err{recoverable(ErrorKind::Tag, input)};
  return Parsed<std::string_view>{input.substr(expected.size()), input.substr(0, expected.size())};
}

// One given character; fails with `Char`. The rest is returned directly.
inline Result<std::string_view, ParseError> character(std::string_view input, char expected) {
  if (!starts_with(input, expected)) return Err{recoverable(ErrorKind::Char, input)};
  return input.substr(1);
}

}  // namespace tovrin::parser::combinators
