#include "tovrin/utils/float_format.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
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

// |value| as odd * 2^exponent, exactly, for a finite non-zero value.
struct BinaryValue {
  std::uint64_t odd = 0;
  int exponent = 0;
};

BinaryValue binary_value(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(std::fabs(value));
  const int biased_exponent = static_cast<int>(bits >> 52);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int exponent = -1074;
  if (biased_exponent != 0) {
    mantissa |= std::uint64_t{1} << 52;
    exponent = biased_exponent - 1075;
  }
  const int zeros = std::countr_zero(mantissa);
  return {mantissa >> zeros, exponent + zeros};
}

// Multiplies by 5^power; false when the product does not fit in 64 bits.
bool multiply_by_power_of_five(std::uint64_t& number, int power) {
  for (int i = 0; i < power; ++i) {
    if (number > UINT64_MAX / 5) return false;
    number *= 5;
  }
  return true;
}

// Whether |value| lies exactly halfway between the digits D (scaled to D * 10^k) and the next
// candidate of the same length above them, (D + 1) * 10^k. std::to_chars resolves such a tie
// towards the even last digit.
bool lies_halfway_above(const ShortestDigits& d, double value) {
  // The midpoint (2D + 1) * 10^k / 2 is (2D + 1) * 5^k * 2^(k - 1) with an odd first factor, so
  // it equals odd * 2^exponent only when the powers of two agree and the odd parts do.
  const int k = d.exponent - static_cast<int>(d.length);
  const BinaryValue binary = binary_value(value);
  if (binary.exponent != k - 1) return false;
  std::uint64_t digits = 0;  // below 10^17
  for (char c : d.view()) {
    digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
  }
  std::uint64_t decimal_odd = 2 * digits + 1;
  std::uint64_t binary_odd = binary.odd;
  // A product beyond 64 bits exceeds the other side, which fits.
  const bool fits = k >= 0 ? multiply_by_power_of_five(decimal_odd, k)
                           : multiply_by_power_of_five(binary_odd, -k);
  return fits && decimal_odd == binary_odd;
}

// The digits one unit in the last place further from zero, without trailing zeros.
ShortestDigits next_digits_up(const ShortestDigits& d) {
  ShortestDigits up = d;
  std::size_t i = up.length;
  while (i > 0 && up.digits[i - 1] == '9') {
    --i;
  }
  if (i == 0) {
    // 99...9 becomes 10...0, that is one digit 1 a decimal place higher.
    up.digits[0] = '1';
    up.length = 1;
    up.exponent += 1;
    return up;
  }
  ++up.digits[i - 1];
  up.length = i;
  return up;
}

bool reads_back_as(const ShortestDigits& d, double value) {
  char buffer[48];
  char* end = std::copy(d.digits, d.digits + d.length, buffer);
  *end++ = 'e';
  end = std::to_chars(end, buffer + sizeof buffer, d.exponent - static_cast<int>(d.length)).ptr;
  double parsed = 0;
  std::from_chars(buffer, end, parsed);
  return parsed == std::fabs(value);
}

// The shortest round-trip digits of a finite non-zero value; of two equally short candidates
// equally near the value, the one farther from zero.
ShortestDigits nearest_shortest_digits(double value) {
  const ShortestDigits digits = shortest_digits(value);
  if (!lies_halfway_above(digits, value)) return digits;
  // Only a candidate that reads back as the value counts. The rounding interval of a value reaches
  // at least as far above it as below, so the one above should always qualify; it is checked
  // rather than assumed, as is its length (carrying past trailing nines shortens it).
  const ShortestDigits up = next_digits_up(digits);
  return up.length == digits.length && reads_back_as(up, value) ? up : digits;
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
  const ShortestDigits digits = nearest_shortest_digits(value);
  const double magnitude = std::fabs(value);
  if (debug && !(magnitude >= 1e-4 && magnitude < 1e16)) {
    append_exponent(out, digits);
  } else {
    append_plain(out, digits, debug);
  }
}

}  // namespace tovrin
