#include "regex/hir_props.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "regex/translated.hpp"

namespace tovrin::regex {
namespace {

using test::translated;

// A long text is searched by RE2 in windows that reach one longest match past their starts, so
// the bound must never fall short of a real match.
TEST(RegexHirProps, MaxMatchBytes) {
  const std::optional<std::uint64_t> kUnbounded;
  const struct {
    std::string pattern;
    std::optional<std::uint64_t> expected;
  } cases[] = {
      {"", 0},
      {"^$\\b", 0},
      {"abc", 3},
      // A class counts its longest encoding.
      {"é", 2},
      {"€", 3},
      {"[a-é]", 2},
      {"\\w", 4},
      {"(?-u:\\w)", 1},
      {"a|bcd|ef", 3},
      {"(a)b{2,5}", 6},
      {"a*", kUnbounded},
      {"xa{3,}", kUnbounded},
      // Pieces that match nothing but the empty string, or nothing at all, add nothing, however
      // often they are repeated.
      {"(?:)*", 0},
      {"(?:\\b)+", 0},
      {"[a&&b]*", 0},
      {"x[a&&b]{1000}", 1},
      {"a{0}", 0},
      {"(?:a*){0}", 0},
      // Counts multiply up to 2^48 bytes; beyond that a match counts as unbounded.
      {"a{4294967295}", 4294967295},
      {"(?:a{16777216}){16777216}", std::uint64_t{1} << 48},
      {"(?:a{16777216}){16777217}", kUnbounded},
      {"(?:a{4294967295}){65536}b{65536}", std::uint64_t{1} << 48},
      {"(?:a{4294967295}){65536}b{65537}", kUnbounded},
      {"(?:a{16777216}){16777216}|b", std::uint64_t{1} << 48},
      {"b|(?:a{16777216}){16777217}", kUnbounded},
  };
  for (const auto& c : cases)
    EXPECT_EQ(max_match_bytes(translated(c.pattern)), c.expected) << c.pattern;
}

// RE2's DFA is at risk from a large count of a piece that consumes chars, wherever it stands.
TEST(RegexHirProps, LargestRepeatCount) {
  const struct {
    std::string pattern;
    std::uint32_t expected;
  } cases[] = {
      {"abc", 1},
      // An unbounded repetition counts its lower count.
      {"a*b+c?", 1},
      {"a{20,}", 20},
      {"a{17}", 17},
      {"a{3,17}", 17},
      {"x(?:y{5}|(z{30})){2}", 30},
      // Pieces that consume nothing are not counted.
      {"(?:\\b){50}", 1},
      {"(?:^|(?:)|a{0}){50}", 1},
      {"a{0}", 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(largest_repeat_count(translated(c.pattern)), c.expected) << c.pattern;
}

}  // namespace
}  // namespace tovrin::regex
