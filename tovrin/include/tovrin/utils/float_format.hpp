#pragma once

#include <string>

namespace tovrin {

enum class FloatStyle {
  // Debug form: "0.0" and "-0.0" for zeros; plain notation with at least one fractional digit
  // for 1e-4 <= |x| < 1e16, exponent notation ("1e16", "5e-324") otherwise.
  Debug,
  // Text form: "0" and "-0" for zeros; always plain notation, with no fractional part for whole
  // numbers ("1", "100000000000000000000", "0.000...5").
  Text,
};

// Appends a float from its shortest round-trip digits; NaN is "NaN", infinities "inf" and "-inf".
void append_float(std::string& out, double value, FloatStyle style);

}  // namespace tovrin
