// A long text is searched by RE2 in windows when the pattern's program is large. A match at or
// across a window's edge, and the assertions that look past the edges, must give the answers of
// one search of the whole text.
#include <gtest/gtest.h>
#include <re2/re2.h>

#include <string>

#include "regex/parser.hpp"
#include "regex/re2_emit.hpp"
#include "regex/regex.hpp"
#include "regex/translate.hpp"

namespace tovrin::regex {
namespace {

// Thousands of alternatives that never match make the program large and so the windows short
// (a few KB); the last alternative is the one under test.
std::string with_large_program(std::string_view tested) {
  std::string pattern = "(?:";
  // Appended piece by piece: g++ 12 at -O3 warns wrongly (-Wrestrict) about "w" + std::string.
  for (int i = 0; i < 3000; ++i) {
    pattern += 'w';
    pattern += std::to_string(i);
    pattern += "x|";
  }
  pattern += tested;
  pattern += ')';
  return pattern;
}

// One RE2 search of the whole text with the same emitted pattern.
class WholeTextSearch {
 public:
  explicit WholeTextSearch(const std::string& pattern)
      : re2_(emit_re2(*translate(*parse(pattern))).pattern, options()) {}
  bool matches(const std::string& text) const { return re2::RE2::PartialMatch(text, re2_); }

 private:
  static re2::RE2::Options options() {
    re2::RE2::Options options;
    options.set_max_mem(std::int64_t{64} << 20);
    return options;
  }
  re2::RE2 re2_;
};

TEST(SearchWindows, AgreeWithOneSearchWhereverTheMatchLies) {
  constexpr std::size_t kLength = 4000;
  constexpr std::size_t kEverywhere = kLength + 1;
  const struct {
    const char* tested;
    const char* placed;    // put into a text of 'a's at every offset
    std::size_t matching;  // how many of those texts match
  } cases[] = {
      {"\\bneedle\\b", " needle ", kEverywhere},
      {"\\bneedle\\b", "aneedle ", 0},
      {"\\bneedle\\b", " needlea", 0},
      {"^needle", "needle", 1},
      {"needle$", "needle", 1},
      {"(?m:^needle$)", "\nneedle\n", kEverywhere},
      {"ne{2,3}dle", "needle", kEverywhere},
      {"ne{2,3}dle", "neeeedle", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tested);
    const std::string pattern = with_large_program(c.tested);
    auto matcher = compile(pattern);
    ASSERT_TRUE(matcher.has_value());
    const WholeTextSearch whole(pattern);
    std::size_t matching = 0;
    for (std::size_t offset = 0; offset <= kLength; ++offset) {
      std::string text(kLength, 'a');
      text.insert(offset, c.placed);
      const bool expected = whole.matches(text);
      ASSERT_EQ((*matcher)->is_match(text), expected) << "at offset " << offset;
      matching += expected;
    }
    EXPECT_EQ(matching, c.matching);
  }
}

}  // namespace
}  // namespace tovrin::regex
