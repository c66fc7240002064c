#pragma once

namespace tovrin::regex {

// Single-char Unicode tests the parser needs (as defined by the White_Space and Alphabetic
// properties and the Number general categories).
bool is_white_space(char32_t c);
bool is_alphabetic(char32_t c);
bool is_alphanumeric(char32_t c);

}  // namespace tovrin::regex
