#pragma once

#include <unicode/uchar.h>

#include <string_view>

#include "codepoint_set.hpp"

namespace tovrin::regex {

// Thin wrappers that read one set out of ICU's data (no caching).
CodepointSet icu_binary_property_set(UProperty property);
CodepointSet icu_general_category_set(std::uint32_t mask);
CodepointSet icu_int_property_set(UProperty property, int value);
// A set written as an ICU set pattern, such as "[:Age=6.0:]"; empty if ICU rejects it.
CodepointSet icu_pattern_set(std::u16string_view pattern);

}  // namespace tovrin::regex
