#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/literal_search.hpp"
#include "regex/regex.hpp"
#include "regex/translated.hpp"

namespace tovrin::regex {
namespace {

const std::string kTooLarge = "Compiled regex exceeds size limit of 10485760 bytes.";
// A piece that can never match but whose automaton alone passes the size limit.
const std::string kDead = "[a&&b]\\w{1000}";

using test::translated;

// "<too large>", or the answers for the texts.
std::string outcome(const std::string& pattern, const std::vector<std::string>& texts) {
  auto compiled = compile(pattern);
  if (!compiled) return compiled.error() == kTooLarge ? "<too large>" : compiled.error();
  std::string out;
  for (const std::string& text : texts)
    out += (*compiled)->is_match(text) ? 'T' : 'F';
  return out;
}

TEST(RegexLiteralSearch, NeverMatchingBranchesDropOutOfTheLiteralSet) {
  const struct {
    std::string pattern;
    std::vector<std::string> texts;
    std::string expected;
  } cases[] = {
      {"[a&&b]\\w{1000}|b", {"b", "a", "xbx", ""}, "TFTF"},
      {"b(?:[^\\s\\S]\\w{1000})?", {"b", "a", "ab"}, "TFT"},
      {"(?:[a&&b]\\w{1000}|b)c", {"bc", "b", "c", "abcd"}, "TFFT"},
      {"([a&&b]\\w{1000})|b", {"b"}, "<too large>"},
      {"^(?:[a&&b]\\w{1000}|b)", {"b"}, "<too large>"},
      {"[a&&b]\\w{1000}", {"b"}, "<too large>"},
      // Far too large to ever build, and never built.
      {"[a&&b]\\w{4294967295}|b", {"b", "c"}, "TF"},
      {"(?:[^\\s\\S]\\pL{2000}|x)?y", {"y", "xy", "x"}, "TTF"},
      // The extraction stops at a piece too large to list, before the class that never matches.
      {"(?:\\pL{2000}[^\\s\\S]|x)?y", {"y"}, "<too large>"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(outcome(c.pattern, c.texts), c.expected) << c.pattern;
}

// Each pattern holds a piece whose automaton would be too large, so it compiles exactly when a
// literal search answers it.
TEST(RegexLiteralSearch, ConditionsEitherSide) {
  const std::string literals_250 = "[a-e][a-e][a-j]";
  const struct {
    std::string pattern;
    bool answered_by_literals;
  } cases[] = {
      // Capture groups, also around the literals, and groups repeated zero times.
      {"(?:" + kDead + "|b)", true},
      {"(" + kDead + "|b)", false},
      {"(?:" + kDead + "|(b))", false},
      {"(?:" + kDead + "|b)(x){0}", true},
      // Anchors and the other assertions, also where a literal does not need them.
      {"^(?:" + kDead + "|b)", false},
      {"(?:" + kDead + "|b)$", false},
      {"\\A(?:" + kDead + "|b)", false},
      {"(?m:^)(?:" + kDead + "|b)", false},
      {"(?:" + kDead + "|b)\\b", false},
      {"(?:" + kDead + "|b\\B)", false},
      {"(?:" + kDead + "|b)(?:\\b){0}", true},
      // Classes of 10 and 11 chars, also through case folding or alternations of chars.
      {"[a-j]|" + kDead, true},
      {"[a-k]|" + kDead, false},
      {"(?i)[a-e]|" + kDead, true},
      {"(?i)[a-f]|" + kDead, false},
      {"(?:a|b|c|d|e|f|g|h|i|j)(?:" + kDead + ")?", true},
      {"(?:a|b|c|d|e|f|g|h|i|j|k)(?:" + kDead + ")?", false},
      {"(?i)k|" + kDead, true},
      // 10 and 11 copies.
      {"a{10}|" + kDead, true},
      {"a{11}|" + kDead, false},
      {"(?:ab){10}|" + kDead, true},
      {"(?:ab){10,11}|" + kDead, false},
      // 250 and 251 literals, from a product and from a union.
      {literals_250 + "|" + kDead, true},
      {literals_250 + "|z|" + kDead, false},
      {"[a-e][a-e][a-i]|[v-z][a-e]|" + kDead, true},
      {"[a-f][a-f][a-g]|" + kDead, false},
      // Literals of 100 and 101 bytes.
      {std::string(100, 'x') + "|" + kDead, true},
      {std::string(101, 'x') + "|" + kDead, false},
      // An empty literal, or no literal at all.
      {"b?|" + kDead, false},
      {"(?:" + kDead + ")?", false},
      {"(?:|b)(?:" + kDead + ")?", false},
      {kDead + "|[^\\s\\S]", false},
      // Optimising the set for a prefix search: a rare common first byte or a long common
      // prefix make it inexact, and so does the preference between `x?` and `x??`.
      {"Qa??|" + kDead, true},
      {"Qa?|" + kDead, false},
      {"(?U)Qa?|" + kDead, true},
      {"hell1|hell2|" + kDead, true},
      {"hello1|hello2|" + kDead, false},
      // A common leading item of concatenations is factored out, which merges these classes
      // into one of 20 chars.
      {"ab[a-j]|ac[k-t]|" + kDead, true},
      {"(?:ab[a-j]|ab[k-t])(?:" + kDead + ")?", false},
  };
  for (const auto& c : cases) {
    auto compiled = compile(c.pattern);
    EXPECT_EQ(compiled.has_value(), c.answered_by_literals) << c.pattern;
    if (!compiled) {
      EXPECT_EQ(compiled.error(), kTooLarge) << c.pattern;
    }
    EXPECT_EQ(literal_search_set(translated(c.pattern)).has_value(), c.answered_by_literals)
        << c.pattern;
  }
}

}  // namespace
}  // namespace tovrin::regex
