#include "icu_sets.hpp"

#include <unicode/uniset.h>
#include <unicode/unistr.h>

#include <vector>

namespace tovrin::regex {

namespace {

CodepointSet from_icu(const icu::UnicodeSet& set) {
  std::vector<CodepointRange> ranges;
  ranges.reserve(static_cast<std::size_t>(set.getRangeCount()));
  for (int32_t i = 0; i < set.getRangeCount(); ++i) {
    ranges.push_back(
        {static_cast<char32_t>(set.getRangeStart(i)), static_cast<char32_t>(set.getRangeEnd(i))});
  }
  return CodepointSet::from_ranges(std::move(ranges));
}

}  // namespace

CodepointSet icu_binary_property_set(UProperty property) {
  return icu_int_property_set(property, 1);
}

CodepointSet icu_int_property_set(UProperty property, int value) {
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeSet set;
  set.applyIntPropertyValue(property, value, status);
  if (U_FAILURE(status)) return {};
  return from_icu(set);
}

CodepointSet icu_general_category_set(std::uint32_t mask) {
  return icu_int_property_set(UCHAR_GENERAL_CATEGORY_MASK, static_cast<int>(mask));
}

CodepointSet icu_pattern_set(std::u16string_view pattern) {
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeSet set(icu::UnicodeString(pattern.data(), static_cast<int32_t>(pattern.size())),
                      status);
  if (U_FAILURE(status)) return {};
  return from_icu(set);
}

}  // namespace tovrin::regex
