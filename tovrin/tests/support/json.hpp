#pragma once

#include <string_view>

#include "py_types/jsonobj.hpp"

namespace tovrin::testing {

// Reads JSON text into a PyJsonValue the way values arrive from Python: non-negative integers
// become UInt, negative ones Int, numbers with a fraction or exponent Float, and object keys keep
// their order. Also accepts NaN and Infinity. Malformed text is a test bug and fails loudly.
py::PyJsonValue json(std::string_view text);

}  // namespace tovrin::testing
