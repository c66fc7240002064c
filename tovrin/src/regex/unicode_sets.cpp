#include "unicode_sets.hpp"

#include <unicode/uchar.h>
#include <unicode/uniset.h>

#include <algorithm>
#include <map>
#include <vector>

#include "icu_sets.hpp"

namespace tovrin::regex {

namespace {

// Chars grouped by their simple case folding: each orbit lists every char that folds to the
// same target (the target included). Only chars with at least one partner are kept.
struct CaseFoldTable {
  std::vector<std::vector<char32_t>> orbits;
  std::vector<std::pair<char32_t, std::size_t>> member_orbit;  // sorted by char

  CaseFoldTable() {
    std::map<char32_t, std::vector<char32_t>> by_target;
    for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
      UChar32 folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
      if (folded != c) by_target[static_cast<char32_t>(folded)].push_back(static_cast<char32_t>(c));
    }
    for (auto& [target, members] : by_target) {
      members.push_back(target);
      std::sort(members.begin(), members.end());
      for (char32_t m : members)
        member_orbit.emplace_back(m, orbits.size());
      orbits.push_back(std::move(members));
    }
    std::sort(member_orbit.begin(), member_orbit.end());
  }
};

const CaseFoldTable& case_fold_table() {
  static const CaseFoldTable table;
  return table;
}

}  // namespace

const CodepointSet& perl_digit_set() {
  static const CodepointSet set = icu_general_category_set(U_GC_ND_MASK);
  return set;
}

const CodepointSet& perl_space_set() {
  static const CodepointSet set = icu_binary_property_set(UCHAR_WHITE_SPACE);
  return set;
}

const CodepointSet& perl_word_set() {
  static const CodepointSet set = [] {
    CodepointSet word = icu_binary_property_set(UCHAR_ALPHABETIC);
    word.add(icu_general_category_set(U_GC_M_MASK | U_GC_ND_MASK | U_GC_PC_MASK));
    word.add(icu_binary_property_set(UCHAR_JOIN_CONTROL));
    return word;
  }();
  return set;
}

CodepointSet ascii_class_set(AsciiKind kind) {
  switch (kind) {
    case AsciiKind::Alnum:
      return {{'0', '9'}, {'A', 'Z'}, {'a', 'z'}};
    case AsciiKind::Alpha:
      return {{'A', 'Z'}, {'a', 'z'}};
    case AsciiKind::Ascii:
      return {{0, 0x7F}};
    case AsciiKind::Blank:
      return {{'\t', '\t'}, {' ', ' '}};
    case AsciiKind::Cntrl:
      return {{0, 0x1F}, {0x7F, 0x7F}};
    case AsciiKind::Digit:
      return {{'0', '9'}};
    case AsciiKind::Graph:
      return {{'!', '~'}};
    case AsciiKind::Lower:
      return {{'a', 'z'}};
    case AsciiKind::Print:
      return {{' ', '~'}};
    case AsciiKind::Punct:
      return {{'!', '/'}, {':', '@'}, {'[', '`'}, {'{', '~'}};
    case AsciiKind::Space:
      return {{'\t', '\r'}, {' ', ' '}};
    case AsciiKind::Upper:
      return {{'A', 'Z'}};
    case AsciiKind::Word:
      return {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}};
    case AsciiKind::Xdigit:
      return {{'0', '9'}, {'A', 'F'}, {'a', 'f'}};
  }
  return {};
}

void add_simple_case_folds(CodepointSet& set) {
  const CaseFoldTable& table = case_fold_table();
  std::vector<CodepointRange> extra;
  for (const CodepointRange& r : set.ranges()) {
    auto it = std::lower_bound(table.member_orbit.begin(), table.member_orbit.end(),
                               std::pair<char32_t, std::size_t>{r.lo, 0});
    for (; it != table.member_orbit.end() && it->first <= r.hi; ++it) {
      for (char32_t m : table.orbits[it->second])
        extra.push_back({m, m});
    }
  }
  if (!extra.empty()) set.add(CodepointSet::from_ranges(std::move(extra)));
}

void add_ascii_case_folds(CodepointSet& set) {
  std::vector<CodepointRange> extra;
  for (const CodepointRange& r : set.ranges()) {
    char32_t lo = std::max<char32_t>(r.lo, 'A');
    char32_t hi = std::min<char32_t>(r.hi, 'Z');
    if (lo <= hi) extra.push_back({lo + 32, hi + 32});
    lo = std::max<char32_t>(r.lo, 'a');
    hi = std::min<char32_t>(r.hi, 'z');
    if (lo <= hi) extra.push_back({lo - 32, hi - 32});
  }
  if (!extra.empty()) set.add(CodepointSet::from_ranges(std::move(extra)));
}

bool has_simple_case_folds(char32_t c) {
  const CaseFoldTable& table = case_fold_table();
  return std::binary_search(table.member_orbit.begin(), table.member_orbit.end(),
                            std::pair<char32_t, std::size_t>{c, 0},
                            [](const auto& a, const auto& b) { return a.first < b.first; });
}

}  // namespace tovrin::regex
