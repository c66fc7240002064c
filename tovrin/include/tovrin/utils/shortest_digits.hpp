#pragma once

#include <string>

namespace tovrin {

// The shortest decimal digits d1...dn and exponent e with 0.d1...dn x 10^e == |value|, for a
// finite non-zero value.
struct ShortestDigits {
  std::string digits;
  int exponent;
};

ShortestDigits shortest_digits(double value);

}  // namespace tovrin
