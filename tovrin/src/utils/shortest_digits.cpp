#include "tovrin/utils/shortest_digits.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tovrin {

ShortestDigits shortest_digits(double value) {
  // std::to_chars in scientific form without a precision gives the shortest round-trip digits,
  // e.g. "1.2345e+17".
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                              std::chars_format::scientific);
  std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  ShortestDigits out;
  const auto e_pos = text.find('e');
  for (char c : text.substr(0, e_pos)) {
    if (c != '.') out.digits.push_back(c);
  }
  int exponent10 = 0;
  std::from_chars(text.data() + e_pos + (text[e_pos + 1] == '+' ? 2 : 1), text.data() + text.size(),
                  exponent10);
  out.exponent = exponent10 + 1;
  return out;
}

}  // namespace tovrin
