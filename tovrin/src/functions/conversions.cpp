// The built-ins bool, string, int and float.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "functions/arguments.hpp"
#include "tovrin/utils/text_form.hpp"

namespace tovrin::functions {

namespace {

EvalError conversion_error(std::string_view target, const Value& subject) {
  std::string message = "Expected a value that can be converted to '";
  message += target;
  message += "', got '";
  subject.debug_to(message);
  message += '\'';
  return EvalError::TypeError{std::move(message)};
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Removes a leading "+" or "-" and tells whether it was "-".
bool take_sign(std::string_view& text) {
  if (text.empty() || (text[0] != '+' && text[0] != '-')) return false;
  const bool negative = text[0] == '-';
  text.remove_prefix(1);
  return negative;
}

// An optional sign and one or more ASCII digits, within the signed 64-bit range.
std::optional<std::int64_t> parse_int(std::string_view text) {
  const bool negative = take_sign(text);
  if (text.empty()) return std::nullopt;
  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 63 : std::uint64_t{std::numeric_limits<std::int64_t>::max()};
  std::uint64_t magnitude = 0;
  for (char c : text) {
    if (!is_digit(c)) return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (magnitude > (limit - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  // Two's complement: the negation of 2^63 as an unsigned word is the smallest integer.
  return negative ? static_cast<std::int64_t>(~magnitude + 1)
                  : static_cast<std::int64_t>(magnitude);
}

bool equals_ignoring_ascii_case(std::string_view text, std::string_view lower_word) {
  if (text.size() != lower_word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != lower_word[i]) return false;
  }
  return true;
}

std::size_t count_digits(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && is_digit(text[end]))
    ++end;
  return end - from;
}

// The decimal exponent of the leading non-zero digit of a number that matched the mantissa and
// exponent grammar, clamped far beyond the range of doubles; only its sign is needed.
std::int64_t leading_digit_exponent(std::string_view number) {
  constexpr std::int64_t kClamp = std::int64_t{1} << 40;
  std::size_t pos = 0;
  std::int64_t exponent = -1;
  bool seen_nonzero = false;
  for (; pos < number.size() && is_digit(number[pos]); ++pos) {
    if (seen_nonzero || number[pos] != '0') {
      seen_nonzero = true;
      ++exponent;
    }
  }
  if (pos < number.size() && number[pos] == '.') {
    for (++pos; pos < number.size() && is_digit(number[pos]); ++pos) {
      if (seen_nonzero) continue;
      if (number[pos] != '0')
        seen_nonzero = true;
      else
        --exponent;
    }
  }
  if (pos < number.size()) {  // the exponent part
    std::string_view digits = number.substr(pos + 1);
    const bool negative = take_sign(digits);
    std::int64_t value = 0;
    for (char c : digits)
      value = std::min(value * 10 + (c - '0'), kClamp);
    exponent += negative ? -value : value;
  }
  return exponent;
}

// Digits with an optional point (at least one digit in all), then an optional exponent.
bool is_decimal_number(std::string_view text) {
  const std::size_t whole = count_digits(text, 0);
  std::size_t pos = whole;
  std::size_t fraction = 0;
  if (pos < text.size() && text[pos] == '.') {
    fraction = count_digits(text, pos + 1);
    pos += 1 + fraction;
  }
  if (whole + fraction == 0) return false;
  if (pos == text.size()) return true;
  if (text[pos] != 'e' && text[pos] != 'E') return false;
  ++pos;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  const std::size_t exponent = count_digits(text, pos);
  return exponent > 0 && pos + exponent == text.size();
}

std::optional<double> parse_float(std::string_view text) {
  const bool negative = take_sign(text);
  double magnitude;
  if (equals_ignoring_ascii_case(text, "inf") || equals_ignoring_ascii_case(text, "infinity")) {
    magnitude = std::numeric_limits<double>::infinity();
  } else if (equals_ignoring_ascii_case(text, "nan")) {
    magnitude = std::numeric_limits<double>::quiet_NaN();
  } else if (is_decimal_number(text)) {
    // from_chars rounds correctly; out of range it leaves the value alone, and the magnitude of
    // the written number then tells overflow from underflow.
    const auto result = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (result.ec == std::errc::result_out_of_range) {
      magnitude = leading_digit_exponent(text) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
      return std::nullopt;
    }
  } else {
    return std::nullopt;
  }
  return negative ? -magnitude : magnitude;
}

// Truncation toward zero, NaN to 0, and saturation at both ends of the range.
std::int64_t truncate_float(double value) {
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (std::isnan(value)) return 0;
  if (value >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
  if (value < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

}  // namespace

BuiltinResult to_bool(Args args) {
  if (auto error = count_error(args, 1)) return Err{std::move(*error)};
  return Value::Bool(truthy(args[0]));
}

BuiltinResult to_string(Args args) {
  if (auto error = count_error(args, 1)) return Err{std::move(*error)};
  return Value::owned_string(text_form(args[0]));
}

BuiltinResult into_int(Args args) {
  if (auto error = count_error(args, 1)) return Err{std::move(*error)};
  const Value& subject = args[0];
  switch (subject.kind()) {
    case Value::Kind::Int:
      return Value::Int(*subject.as_int());
    case Value::Kind::Float:
      return Value::Int(truncate_float(*subject.as_float()));
    case Value::Kind::Bool:
      return Value::Int(*subject.as_bool() ? 1 : 0);
    case Value::Kind::String:
      if (const auto parsed = parse_int(subject.string_view())) return Value::Int(*parsed);
      break;
    default:
      break;
  }
  return Err{conversion_error("i64", subject)};
}

BuiltinResult into_float(Args args) {
  if (auto error = count_error(args, 1)) return Err{std::move(*error)};
  const Value& subject = args[0];
  switch (subject.kind()) {
    case Value::Kind::Int:
      return Value::Float(static_cast<double>(*subject.as_int()));
    case Value::Kind::Float:
      return Value::Float(*subject.as_float());
    case Value::Kind::Bool:
      return Value::Float(*subject.as_bool() ? 1.0 : 0.0);
    case Value::Kind::String:
      if (const auto parsed = parse_float(subject.string_view())) return Value::Float(*parsed);
      break;
    default:
      break;
  }
  return Err{conversion_error("f64", subject)};
}

}  // namespace tovrin::functions
