#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

#include "parser/combinators.hpp"
#include "parser/exp_parser.hpp"
#include "tovrin/parser/lexical.hpp"

namespace tovrin::parser::grammar {

using combinators::recoverable;

namespace {

std::size_t sign_length(std::string_view input) noexcept {
  return combinators::starts_with(input, '+') || combinators::starts_with(input, '-') ? 1 : 0;
}

// The nearest double to a decimal text of the form [sign] digits "." digits. Beyond the finite
// range the nearest is infinity; below the smallest subnormal it is zero.
double float_value(std::string_view text, std::string_view whole_digits) noexcept {
  const bool negative = text.front() == '-';
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    const bool huge = whole_digits.find_first_not_of('0') != std::string_view::npos;
    value = huge ? std::numeric_limits<double>::infinity() : 0.0;
    if (negative) value = -value;
  }
  return value;
}

// [sign] digits "." digits: no exponent, and digits on both sides of the point.
ParseResult<Value> parse_float(std::string_view input) {
  const std::size_t sign = sign_length(input);
  auto whole = combinators::digits(input.substr(sign));
  if (!whole) return Err{whole.error()};
  auto point = combinators::character(whole->rest, '.');
  if (!point) return Err{point.error()};
  auto fraction = combinators::digits(*point);
  if (!fraction) return Err{fraction.error()};
  const std::string_view text = input.substr(0, input.size() - fraction->rest.size());
  return Parsed<Value>{fraction->rest, Value::Float(float_value(text, whole->value))};
}

// [sign] digits as a signed 64-bit integer; a value outside that range is no integer literal.
ParseResult<Value> parse_integer(std::string_view input) {
  const std::size_t sign = sign_length(input);
  auto run = combinators::digits(input.substr(sign));
  if (!run) return Err{run.error()};
  const bool negative = input.front() == '-';
  const std::uint64_t limit =
      static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
  std::uint64_t magnitude = 0;
  for (const char digit_char : run->value) {
    const auto digit = static_cast<std::uint64_t>(digit_char - '0');
    if (magnitude > (limit - digit) / 10) return Err{recoverable(ErrorKind::MapRes, input)};
    magnitude = magnitude * 10 + digit;
  }
  const auto value = static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
  return Parsed<Value>{run->rest, Value::Int(value)};
}

// A keyword counts only as a whole word: `nullable` and `true_flag` are names.
ParseResult<Value> parse_word(std::string_view input, std::string_view word, Value value) {
  auto matched = combinators::tag(input, word);
  if (!matched) return Err{matched.error()};
  if (!matched->rest.empty() && combinators::is_identifier_char(matched->rest.front())) {
    return Err{recoverable(ErrorKind::Tag, input)};
  }
  return Parsed<Value>{matched->rest, std::move(value)};
}

ParseResult<Value> parse_string_value(std::string_view input) {
  auto literal = parse_string_literal(input);
  if (!literal) return Err{literal.error()};
  return Parsed<Value>{literal->rest, Value::String(std::move(literal->value))};
}

}  // namespace

// The forms are tried in order: a float, an integer, `true`, `false`, `null`, a string. Each
// begins with characters of its own, so the first character picks the ones worth trying.
ParseResult<Value> parse_literal_value(std::string_view input) {
  const char first = input.empty() ? '\0' : input.front();
  if (combinators::is_ascii_digit(first) || first == '+' || first == '-') {
    if (auto number = parse_float(input)) return number;
    return parse_integer(input);
  }
  switch (first) {
    case 't':
      return parse_word(input, "true", Value::Bool(true));
    case 'f':
      return parse_word(input, "false", Value::Bool(false));
    case 'n':
      return parse_word(input, "null", Value::Null());
    case 'r':
    case '\'':
    case '"':
      return parse_string_value(input);
    default:
      return Err{recoverable(ErrorKind::Char, input)};
  }
}

}  // namespace tovrin::parser::grammar
