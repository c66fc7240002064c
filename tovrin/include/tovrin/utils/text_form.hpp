#pragma once

#include <string>
#include <string_view>

#include "tovrin/types/text.hpp"
#include "tovrin/types/value.hpp"

namespace tovrin {

// Appends the user-facing text of a value, as `string`, `join` and `format` show it: a top-level
// string as its bare text, numbers in plain notation (never an exponent), truth values and null
// as words, and arrays and objects in a notation close to JSON whose string values (not keys) are
// quoted and escaped by escape_str_for_json.
void text_form_to(std::string& out, const Value& value);
std::string text_form(const Value& value);

// The text with each TAB, LF, CR, double quote and backslash replaced by its two-character
// escape; every other byte is kept. Borrows `text` when none of the five occurs, so the result
// must not outlive the input.
Text escape_str_for_json(std::string_view text);

}  // namespace tovrin
