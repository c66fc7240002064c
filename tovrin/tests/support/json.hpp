#pragma once

#include <string_view>

#include "support/host_value.hpp"

namespace tovrin::testing {

// Reads JSON text into a HostValue the way the binding hands values over: non-negative integers
// become UInt, negative ones Int, numbers with a fraction or exponent Float, and object keys keep
// their order. Also accepts NaN and Infinity. Malformed text is a test bug and fails loudly.
HostValue json(std::string_view text);

}  // namespace tovrin::testing
