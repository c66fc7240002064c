#pragma once

#include <string_view>

#include "tovrin/parser/parse_result.hpp"
#include "tovrin/types/text.hpp"

namespace tovrin::parser {

// Skips the longest run of characters with the Unicode White_Space property; `value` is the
// skipped run (possibly empty). It cannot fail.
Parsed<std::string_view> skip_unicode_whitespace(std::string_view input) noexcept;

// A string literal: r'...' or r"..." (raw: the body as written, borrowed), '...' or "..."
// (escapes \\ \' or \" \n \r \t \0 replaced; a non-empty body yields an owned text, an empty one
// a borrowed empty text). Fails with `Char`.
ParseResult<Text> parse_string_literal(std::string_view input);

// A run of ASCII letters, digits and `_` that is not exactly `true`, `false` or `null`, borrowed
// from the input. The run may begin with a digit. Fails with `MapRes` at the input.
ParseResult<std::string_view> parse_non_keyword(std::string_view input) noexcept;

}  // namespace tovrin::parser
