#pragma once

#include <string>
#include <string_view>

namespace tovrin {

// Appends the debug form of a float: shortest round-trip digits, plain notation for
// 1e-4 <= |x| < 1e16 (always with a fractional part), exponent notation otherwise.
void append_debug_float(std::string& out, double value);

// Appends text in double quotes with the escapes of the debug form.
void append_debug_quoted(std::string& out, std::string_view text);

}  // namespace tovrin
