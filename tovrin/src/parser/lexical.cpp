#include "tovrin/parser/lexical.hpp"

#include <cstddef>
#include <optional>
#include <string>

#include "parser/combinators.hpp"

namespace tovrin::parser {

using combinators::character;
using combinators::recoverable;
using combinators::starts_with;

namespace {

// The byte length of the White_Space character at the start of the text, or 0. Matching the
// encodings directly avoids decoding: the set is small and fixed.
std::size_t unicode_whitespace_length(std::string_view text) noexcept {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead == 0x20 || (lead >= 0x09 && lead <= 0x0D)) return 1;
  if (lead == 0xC2) {
    return text.size() >= 2 && (byte(1) == 0x85 || byte(1) == 0xA0) ? 2 : 0;
  }
  if (text.size() < 3) return 0;
  const unsigned char second = byte(1);
  const unsigned char third = byte(2);
  switch (lead) {
    case 0xE1:  // U+1680
      return second == 0x9A && third == 0x80 ? 3 : 0;
    case 0xE2:  // U+2000..U+200A, U+2028, U+2029, U+202F, U+205F
      if (second == 0x80) {
        return (third >= 0x80 && third <= 0x8A) || third == 0xA8 || third == 0xA9 || third == 0xAF
                   ? 3
                   : 0;
      }
      return second == 0x81 && third == 0x9F ? 3 : 0;
    case 0xE3:  // U+3000
      return second == 0x80 && third == 0x80 ? 3 : 0;
    default:
      return 0;
  }
}

// r'...' or r"...": a backslash takes the next character with it, so the body ends at the first
// quote it does not take. Nothing is translated and the body is borrowed.
ParseResult<Text> raw_literal(std::string_view input, char quote) {
  const char opening[] = {'r', quote};
  if (!input.starts_with(std::string_view(opening, 2))) {
    return Err{recoverable(ErrorKind::Char, input)};
  }
  const std::string_view body = input.substr(2);
  std::size_t i = 0;
  while (i < body.size() && body[i] != quote) {
    if (body[i] == '\\') {
      if (i + 1 == body.size()) return Err{recoverable(ErrorKind::Char, body.substr(i))};
      ++i;
    }
    ++i;
  }
  if (i == body.size()) return Err{recoverable(ErrorKind::Char, body.substr(i))};
  return Parsed<Text>{body.substr(i + 1), Text::borrowed(body.substr(0, i))};
}

std::optional<char> escape_meaning(char escaped, char quote) noexcept {
  switch (escaped) {
    case '\\':
      return '\\';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    case '0':
      return '\0';
    default:
      if (escaped == quote) return quote;
      return std::nullopt;
  }
}

// '...' or "...". A body that cannot be read (a bad escape, a backslash at the end) counts as no
// body at all, so the failure is the missing closing quote right after the opening one; an
// unterminated body fails at the end of the input.
ParseResult<Text> escaped_literal(std::string_view input, char quote) {
  auto body = character(input, quote);
  if (!body) return Err{body.error()};
  const std::string_view rest = *body;
  if (starts_with(rest, quote))
    return Parsed<Text>{rest.substr(1), Text::borrowed(rest.substr(0, 0))};

  std::string text;
  std::size_t i = 0;
  while (i < rest.size() && rest[i] != quote) {
    std::size_t run_end = i;
    while (run_end < rest.size() && rest[run_end] != quote && rest[run_end] != '\\')
      ++run_end;
    text.append(rest, i, run_end - i);
    i = run_end;
    if (i < rest.size() && rest[i] == '\\') {
      const auto meaning = i + 1 < rest.size() ? escape_meaning(rest[i + 1], quote) : std::nullopt;
      if (!meaning) return Err{recoverable(ErrorKind::Char, rest)};
      text.push_back(*meaning);
      i += 2;
    }
  }
  if (i == rest.size()) return Err{recoverable(ErrorKind::Char, rest.substr(i))};
  return Parsed<Text>{rest.substr(i + 1), Text::owned(std::move(text))};
}

}  // namespace

Parsed<std::string_view> skip_unicode_whitespace(std::string_view input) noexcept {
  std::size_t skipped = 0;
  while (skipped < input.size()) {
    const std::size_t length = unicode_whitespace_length(input.substr(skipped));
    if (length == 0) break;
    skipped += length;
  }
  return {input.substr(skipped), input.substr(0, skipped)};
}

ParseResult<Text> parse_string_literal(std::string_view input) {
  if (auto literal = raw_literal(input, '\'')) return literal;
  if (auto literal = raw_literal(input, '"')) return literal;
  if (auto literal = escaped_literal(input, '\'')) return literal;
  return escaped_literal(input, '"');
}

ParseResult<std::string_view> parse_non_keyword(std::string_view input) noexcept {
  auto run = combinators::take_while1(input, combinators::is_identifier_char, ErrorKind::MapRes);
  if (!run) return run;
  const std::string_view word = run->value;
  if (word == "true" || word == "false" || word == "null") {
    return Err{recoverable(ErrorKind::MapRes, input)};
  }
  return run;
}

}  // namespace tovrin::parser
