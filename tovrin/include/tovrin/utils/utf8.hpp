#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovrin::utf8 {

// Decodes the code point that starts at `pos` and advances `pos` past it. Text in the engine is
// valid UTF-8; a malformed byte is still consumed (as U+FFFD) so that no input can stall a loop.
char32_t decode_next(std::string_view text, std::size_t& pos) noexcept;

// Appends the UTF-8 encoding of a Unicode scalar value.
void append(std::string& out, char32_t code_point);

// The number of Unicode scalar values in valid UTF-8 text.
std::size_t count_scalars(std::string_view text) noexcept;

}  // namespace tovrin::utf8
