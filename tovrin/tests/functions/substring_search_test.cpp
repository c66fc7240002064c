#include "functions/substring_search.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tovrin::functions {
namespace {

TEST(SubstringSearcher, FindsLeftmostOccurrenceFromAPosition) {
  const struct {
    const char* haystack;
    const char* needle;
    std::size_t from;
    std::size_t expected;
  } cases[] = {
      {"hello world", "world", 0, 6},
      {"hello world", "o", 5, 7},
      {"aaa", "aa", 0, 0},
      {"aaa", "aa", 1, 1},
      {"aaa", "aa", 2, std::string_view::npos},
      {"abc", "", 3, 3},
      {"abc", "", 4, std::string_view::npos},
      {"abc", "abcd", 0, std::string_view::npos},
      {"", "a", 0, std::string_view::npos},
      {"abababc", "ababc", 0, 2},
      {"aabaabaabaaab", "aabaaab", 0, 6},
      {"zzzzabcabcabd", "abcabd", 0, 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SubstringSearcher(c.needle).find(c.haystack, c.from), c.expected)
        << c.haystack << " / " << c.needle << " from " << c.from;
  }
}

// Small alphabets make periodic needles and near-misses frequent, which is where the two
// branches of the algorithm and its shift memory can go wrong.
TEST(SubstringSearcher, AgreesWithNaiveSearchOnRandomTexts) {
  std::mt19937 random(12345);
  for (const std::string alphabet : {"ab", "abc", "a\xff"}) {
    std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1);
    const auto make = [&](std::size_t length) {
      std::string text;
      for (std::size_t i = 0; i < length; ++i)
        text += alphabet[letter(random)];
      return text;
    };
    for (int round = 0; round < 4000; ++round) {
      const std::string needle = make(std::uniform_int_distribution<std::size_t>(0, 9)(random));
      const std::string haystack = make(std::uniform_int_distribution<std::size_t>(0, 60)(random));
      const std::size_t from = std::uniform_int_distribution<std::size_t>(0, 3)(random);
      const std::size_t expected = from <= haystack.size()
                                       ? std::string_view(haystack).find(needle, from)
                                       : std::string_view::npos;
      ASSERT_EQ(SubstringSearcher(needle).find(haystack, from), expected)
          << haystack << " / " << needle << " from " << from;
    }
  }
}

// A long text is searched a window at a time; an occurrence across a window's edge, or starting
// right after one, is found all the same, from any starting point.
TEST(SubstringSearcher, FindsOccurrencesAtTheEdgesOfItsWindows) {
  constexpr std::size_t kEdge = std::size_t{1} << 16;
  const std::vector<std::string> needles = {"x", "xy", "abcabd", std::string(100000, 'y') + "z"};
  for (const std::string& needle : needles) {
    const std::size_t edge = std::max(kEdge, needle.size());
    for (const std::size_t at : {edge - needle.size(), edge - 1, edge, edge + 1, 3 * edge - 2}) {
      std::string haystack(4 * edge, 'y');
      haystack.replace(at, needle.size(), needle);
      // The needle occurs only where it was put.
      for (const std::size_t from : {std::size_t{0}, at, at + 1}) {
        EXPECT_EQ(SubstringSearcher(needle).find(haystack, from),
                  from <= at ? at : std::string_view::npos)
            << needle.size() << " bytes at " << at << " from " << from;
      }
    }
  }
}

}  // namespace
}  // namespace tovrin::functions
