#pragma once

#include <string>
#include <string_view>

namespace tovrin {

// Appends text in double quotes with the escapes of the debug form.
void append_debug_quoted(std::string& out, std::string_view text);

}  // namespace tovrin
