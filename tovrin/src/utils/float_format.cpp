#include "tovrin/utils/float_format.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace tovrin {

namespace {

// The shortest decimal digits d1...dn and exponent e with 0.d1...dn x 10^e == |value|, for a
// finite non-zero value.
struct ShortestDigits {
  char digits[20];
  std::size_t length = 0;
  int exponent = 0;

  std::string_view view() const { return {digits, length}; }
};

ShortestDigits shortest_digits(double value) {
  // std::to_chars in scientific form without a precision gives the shortest round-trip digits,
  // e.g. "1.2345e+17".
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const auto e_pos = text.find('e');
  ShortestDigits out;
  for (char c : text.substr(0, e_pos)) {
    if (c != '.') out.digits[out.length++] = c;
  }
  int exponent10 = 0;
  const char* exponent_start = text.data() + e_pos + (text[e_pos + 1] == '+' ? 2 : 1);
  std::from_chars(exponent_start, text.data() + text.size(), exponent10);
  out.exponent = exponent10 + 1;
  return out;
}

void append_plain(std::string& out, const ShortestDigits& d, bool always_fraction) {
  const auto digits = d.view();
  const int n = static_cast<int>(d.length);
  const int e = d.exponent;
  if (e <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-e), '0');
    out += digits;
  } else if (e < n) {
    out += digits.substr(0, static_cast<std::size_t>(e));
    out += '.';
    out += digits.substr(static_cast<std::size_t>(e));
  } else {
    out += digits;
    out.append(static_cast<std::size_t>(e - n), '0');
    if (always_fraction) out += ".0";
  }
}

void append_exponent(std::string& out, const ShortestDigits& d) {
  const auto digits = d.view();
  out += digits[0];
  if (digits.size() > 1) {
    out += '.';
    out += digits.substr(1);
  }
  out += 'e';
  char buffer[8];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, d.exponent - 1);
  out.append(buffer, result.ptr);
}

}  // namespace

void append_float(std::string& out, double value, FloatStyle style) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return;
  }
  const bool debug = style == FloatStyle::Debug;
  if (value == 0.0) {
    if (std::signbit(value)) out += '-';
    out += debug ? "0.0" : "0";
    return;
  }
  if (value < 0) out += '-';
  const ShortestDigits digits = shortest_digits(value);
  const double magnitude = std::fabs(value);
  if (debug && !(magnitude >= 1e-4 && magnitude < 1e16)) {
    append_exponent(out, digits);
  } else {
    append_plain(out, digits, debug);
  }
}

}  // namespace tovrin
