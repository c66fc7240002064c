#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "regex/regex.hpp"

namespace tovrin::regex {
namespace {

const std::string kTooLarge = "Compiled regex exceeds size limit of 10485760 bytes.";

bool too_large(const std::string& pattern) {
  auto compiled = compile(pattern);
  if (compiled) return false;
  EXPECT_EQ(compiled.error(), kTooLarge) << pattern;
  return true;
}

struct Boundary {
  std::string before;  // the pattern is before + n + after
  std::string after;
  std::uint32_t largest;  // the largest n that compiles
};

// The largest counts that still compile, for classes whose chars are the same in every Unicode
// version the data may come from: the counting must be exact there.
TEST(RegexSizeLimit, ExactBoundaries) {
  const Boundary boundaries[] = {
      {"a{", "}", 327673},     {"a{", ",}", 327672},       {"a{0,", "}", 145631},
      {"(?i)a{", "}", 131069}, {"é{", "}", 163836},        {"\\x{10FFFF}{", "}", 81918},
      {"[a-z]{", "}", 145632}, {"(?:a|b){", "}", 145632},  {"(a){", "}", 109224},
      {".{", "}", 10485},      {"[^a]{", "}", 10485},      {"(?s:.){", "}", 10877},
      {"\\s{", "}", 15419},    {"\\p{Greek}{", "}", 4667}, {"(?:\\w{100}){", "}", 2},
  };
  for (const Boundary& b : boundaries) {
    EXPECT_FALSE(too_large(b.before + std::to_string(b.largest) + b.after)) << b.before;
    EXPECT_TRUE(too_large(b.before + std::to_string(b.largest + 1) + b.after)) << b.before;
  }
}

// Classes whose data grew in later Unicode versions (digits, letters, word chars) are counted
// with the tables at hand, so their boundaries are near, not at, the reference ones; half and
// twice those are always on the right side.
TEST(RegexSizeLimit, BoundariesOfLargeClassesWithinAFactorOfTwo) {
  const Boundary boundaries[] = {
      {"\\d{", "}", 2046},  {"\\pL{", "}", 244}, {"\\w{", "}", 209},    {"(?i)\\w{", "}", 209},
      {"\\w{0,", "}", 209}, {"\\W{", "}", 225},  {"\\w{", "}{10}", 20},
  };
  for (const Boundary& b : boundaries) {
    EXPECT_FALSE(too_large(b.before + std::to_string(b.largest / 2) + b.after)) << b.before;
    EXPECT_TRUE(too_large(b.before + std::to_string(b.largest * 2) + b.after)) << b.before;
  }
}

TEST(RegexSizeLimit, EmptyWidthRepetitionsCostNothing) {
  EXPECT_FALSE(too_large("\\b{2000000}"));
  EXPECT_FALSE(too_large("(?:^$){4294967295}"));
  EXPECT_FALSE(too_large("(?:a{0}){4294967295}"));
  EXPECT_FALSE(too_large("(?:\\b|\\B){4294967295}x"));
  EXPECT_TRUE(too_large("(?:\\b|a){4294967295}"));
}

TEST(RegexSizeLimit, AnchoredPatternsSkipTheSearchLoop) {
  // The loop that lets an unanchored search start anywhere costs 80 bytes, two and a half `a`s;
  // the anchors themselves cost one `a` each.
  EXPECT_FALSE(too_large("^a{327674}$"));
  EXPECT_TRUE(too_large("^a{327675}$"));
  EXPECT_TRUE(too_large("a{327674}"));
}

// `count` distinct pseudo-random lower-case words of `length` letters, joined by `|`.
std::string word_alternation(std::size_t count, std::size_t length) {
  std::string pattern;
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) pattern += '|';
    for (std::size_t j = 0; j < length; ++j) {
      state = state * 1103515245u + 12345u;
      pattern += static_cast<char>('a' + (state >> 16) % 26);
    }
  }
  return pattern;
}

// At least 3000 plain literal branches are searched for with a multi-literal searcher, which
// never builds the automaton; fewer branches build it like any other pattern.
TEST(RegexSizeLimit, LargePlainAlternationsAreSearchedAsLiterals) {
  const std::string branches3000 = word_alternation(3000, 200);
  EXPECT_FALSE(too_large(branches3000));
  EXPECT_TRUE(too_large(word_alternation(2999, 200)));
  EXPECT_TRUE(too_large("x(?:" + branches3000 + ")"));

  const std::string words = word_alternation(5000, 8);
  auto compiled = compile(words);
  ASSERT_TRUE(compiled);
  EXPECT_TRUE((*compiled)->is_match("--" + words.substr(words.rfind('|') + 1) + "--"));
  EXPECT_FALSE((*compiled)->is_match("--"));
}

// Deciding is quick even for patterns that would build far too large an automaton.
TEST(RegexSizeLimit, RejectsQuickly) {
  const std::string patterns[] = {
      "a{4294967295}",
      "\\w{1000}{1000}",
      "\\pL{2000}",
      "[\\s\\S]{100000}",
      "(?:a{1000}){1000}{1000}",
      "\\d{100}{100}",
      "(?:\\w|\\d){4294967295}",
      "(?i)\\w{300}",
      "(?:\\b\\w\\B){4294967295}",
  };
  for (const std::string& pattern : patterns) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(too_large(pattern)) << pattern;
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(300)) << pattern;
  }
}

}  // namespace
}  // namespace tovrin::regex
