#include "tovrin/utils/float_format.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>

namespace tovrin {
namespace {

std::string render(double value, FloatStyle style) {
  std::string out;
  append_float(out, value, style);
  return out;
}

// A value halfway between two equally short candidates is written with the one farther from
// zero; its neighbours one unit in the last place away are not ties and keep their nearest digits.
TEST(FloatFormat, TiesTakeTheCandidateFartherFromZero) {
  const struct {
    double value;
    const char* text;
    const char* debug;
  } cases[] = {
      // 2^50 + 0.25 and its neighbours.
      {0x1.0000000000001p+50, "1125899906842624.3", "1125899906842624.3"},
      {0x1.0000000000000p+50, "1125899906842624", "1125899906842624.0"},
      {0x1.0000000000002p+50, "1125899906842624.5", "1125899906842624.5"},
      {1165918887683901.25, "1165918887683901.3", "1165918887683901.3"},
      {1165918887683901.0, "1165918887683901", "1165918887683901.0"},
      // A tie whose even candidate is already the one farther from zero.
      {1165918887683901.75, "1165918887683901.8", "1165918887683901.8"},
      {1165918887683902.0, "1165918887683902", "1165918887683902.0"},
      // Two digits after the point, and the near values either side.
      {133248895781108.625, "133248895781108.63", "133248895781108.63"},
      {0x1.e4c1b46623d27p+46, "133248895781108.61", "133248895781108.61"},
      {0x1.e4c1b46623d29p+46, "133248895781108.64", "133248895781108.64"},
      // Exact at its shortest length: no tie.
      {2251799813685248.5, "2251799813685248.5", "2251799813685248.5"},
      // Ties among small values, written in exponent notation by the debug form; 2^-25 has a
      // narrower rounding interval below it than above.
      {0x1.02p-14, "0.00006151199340820313", "6.151199340820313e-5"},
      {0x1.01fffffffffffp-14, "0.00006151199340820311", "6.151199340820311e-5"},
      {0x1.0200000000001p-14, "0.00006151199340820314", "6.151199340820314e-5"},
      {0x1p-25, "0.000000029802322387695313", "2.9802322387695313e-8"},
      {0x1.fffffffffffffp-26, "0.00000002980232238769531", "2.980232238769531e-8"},
      {0x1.0000000000001p-25, "0.00000002980232238769532", "2.980232238769532e-8"},
      {0x1.4p-21, "0.0000005960464477539063", "5.960464477539063e-7"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(render(c.value, FloatStyle::Text), c.text) << c.text;
    EXPECT_EQ(render(-c.value, FloatStyle::Text), std::string("-") + c.text) << c.text;
    EXPECT_EQ(render(c.value, FloatStyle::Debug), c.debug) << c.text;
    EXPECT_EQ(render(-c.value, FloatStyle::Debug), std::string("-") + c.debug) << c.text;
  }
}

// Exact reference for positive floats in [2^40, 2^57]. Every such float, its neighbours and the
// midpoints between them are whole multiples of 2^-14, and every candidate of at most 17
// significant digits is a whole multiple of 10^-5, so all of them are integers in units of
// 2^-14 * 10^-5.
__extension__ using Int128 = __int128;

constexpr int kFractionDigits = 5;

Int128 power_of_ten(int exponent) {
  Int128 result = 1;
  for (int i = 0; i < exponent; ++i)
    result *= 10;
  return result;
}

Int128 in_units(double value) {
  return static_cast<Int128>(std::ldexp(value, 14)) * power_of_ten(kFractionDigits);
}

struct ReferenceDigits {
  Int128 value = 0;  // in units
  bool tie = false;  // two equally short candidates were equally near
};

// The shortest candidates are the multiples of the largest power of ten that has one reading back
// as x; of those, only the two around x can be nearest.
ReferenceDigits reference_digits(double x) {
  const Int128 exact = in_units(x);
  const Int128 below = in_units(std::nextafter(x, 0.0));
  const Int128 above = in_units(std::nextafter(x, std::numeric_limits<double>::infinity()));
  const bool bounds_read_back = (std::bit_cast<std::uint64_t>(x) & 1) == 0;
  const auto reads_back = [&](Int128 candidate) {
    const Int128 twice = 2 * candidate;
    if (bounds_read_back) return exact + below <= twice && twice <= exact + above;
    return exact + below < twice && twice < exact + above;
  };
  for (int exponent = 18; exponent >= -kFractionDigits; --exponent) {
    const Int128 step = power_of_ten(exponent + kFractionDigits) << 14;
    const Int128 lower = exact / step * step;
    const Int128 upper = lower + step;
    const bool lower_ok = reads_back(lower);
    const bool upper_ok = reads_back(upper);
    if (lower_ok && upper_ok) {
      const Int128 to_lower = exact - lower;
      const Int128 to_upper = upper - exact;
      if (to_lower == to_upper) return {upper, true};
      return {to_lower < to_upper ? lower : upper, false};
    }
    if (lower_ok) return {lower, false};
    if (upper_ok) return {upper, false};
  }
  ADD_FAILURE() << "no candidate of at most 17 digits for " << x;
  return {};
}

// The plain decimal text of a positive float, in units; nothing when it is not such a text.
std::optional<Int128> parse_in_units(const std::string& text) {
  Int128 digits = 0;
  int fraction_digits = -1;
  for (char c : text) {
    if (c == '.' && fraction_digits < 0) {
      fraction_digits = 0;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    digits = digits * 10 + (c - '0');
    if (fraction_digits >= 0) ++fraction_digits;
  }
  fraction_digits = std::max(fraction_digits, 0);
  if (fraction_digits > kFractionDigits) return std::nullopt;
  return (digits * power_of_ten(kFractionDigits - fraction_digits)) << 14;
}

// The significant digits of a rendering: no sign, point, exponent, leading or trailing zeros.
std::string significant_digits(const std::string& text) {
  std::string digits;
  for (char c : text.substr(0, text.find('e'))) {
    if (c >= '0' && c <= '9' && !(digits.empty() && c == '0')) digits += c;
  }
  while (!digits.empty() && digits.back() == '0')
    digits.pop_back();
  return digits;
}

// Floats k + j/8 over the magnitudes where ties occur: the written digits are the reference's,
// so they read back as x, no shorter digits do, and a tie goes to the candidate farther from zero.
TEST(FloatFormat, RandomFloatsWithBinaryFractionsGetTheNearestShortestDigits) {
  std::mt19937_64 random(0x5eed'f10a7);
  int ties = 0;
  for (int i = 0; i < 200000; ++i) {
    const int magnitude = 40 + static_cast<int>(random() % 17);
    const std::uint64_t whole = (std::uint64_t{1} << magnitude) + (random() >> (64 - magnitude));
    const double x = static_cast<double>(whole) + static_cast<double>(random() % 8) / 8;

    const std::string text = render(x, FloatStyle::Text);
    const ReferenceDigits expected = reference_digits(x);
    ties += expected.tie;
    const auto written = parse_in_units(text);
    ASSERT_TRUE(written.has_value()) << text;
    ASSERT_TRUE(*written == expected.value)
        << std::hexfloat << x << " written as " << text << (expected.tie ? " (a tie)" : "");
    double read_back = 0;
    std::from_chars(text.data(), text.data() + text.size(), read_back);
    ASSERT_EQ(read_back, x) << text;

    ASSERT_EQ(render(-x, FloatStyle::Text), "-" + text);
    ASSERT_EQ(significant_digits(render(x, FloatStyle::Debug)), significant_digits(text)) << text;
  }
  // The draw must actually reach the ties it is about.
  EXPECT_GT(ties, 10000);
}

}  // namespace
}  // namespace tovrin
