#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "regex/regex.hpp"

namespace tovrin::regex {
namespace {

struct MatchCase {
  std::string pattern;
  std::string text;
  bool expected;
};

std::string repeat(const std::string& piece, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i)
    out += piece;
  return out;
}

bool matches(const std::string& pattern, const std::string& text) {
  auto compiled = compile(pattern);
  if (!compiled) ADD_FAILURE() << pattern << ": " << compiled.error();
  return compiled && (*compiled)->is_match(text);
}

TEST(RegexSemantics, Table) {
  const MatchCase cases[] = {
      // Perl classes are Unicode-aware, and differ from RE2's own tables.
      {"^\\d$", "²", false},
      {"^\\s$", "\x0B", true},
      {"^\\s$", "\u200B", false},
      {"^\\w$", "\u200D", true},
      {"^\\w$", "Ⅷ", true},
      {"^\\w$", "€", false},
      {"^(?-u:\\s)$", "\x0B", true},
      {"(?-u:\\w)", "é", false},
      // Case folding: simple folding, closed over the whole class, before negation.
      {"(?i)s", "\u017F", true},
      {"(?i)ß", "\u1E9E", true},
      {"(?i)σ", "ς", true},
      {"(?i)ω", "\u2126", true},
      {"(?i)straße", "STRASSE", false},
      {"(?i)i", "İ", false},
      {"(?i)\\p{Lu}", "a", true},
      {"(?i)\\P{Lu}", "a", false},
      {"(?i)[[:lower:]]", "\u212A", true},
      {"(?i)[^k]", "\u212A", false},
      {"(?i)[a-z--k]", "K", false},
      {"(?i-u)k", "K", true},
      {"(?i-u)k", "\u212A", false},
      {"(?i:a)b", "AB", false},
      {"a(?i)b|c", "C", true},
      // Classes and set operations.
      {"[a-z&&b-y--c]", "c", false},
      {"[a-z&&b-y--c]", "d", true},
      {"[a-c~~b-d]", "b", false},
      {"[a-c~~b-d]", "d", true},
      {"[]a]", "]", true},
      {"[--a]", "-", true},
      {"[a&&b]", "a", false},
      {"\\P{Any}", "a", false},
      {"[^\\s\\S]", "", false},
      {"[[:^digit:]&&\\d]", "5", false},
      // Unicode properties and loose names.
      {"^\\p{ G r-e_e k }$", "λ", true},
      {"\\p{IsGreek}", "λ", true},
      {"\\p{Greek}", "\u0345", false},
      {"\\p{scx=Greek}", "\u0345", true},
      {"\\p{Lower}", "ª", true},
      {"\\p{Ll}", "ª", false},
      {"\\p{sc}", "€", true},
      {"\\p{gc!=L}", "a", false},
      {"\\p{Age=5.2}", "\u20B9", false},
      {"\\p{Age=6.0}", "a", true},
      {"\\p{Assigned}", "\u0378", false},
      {"\\p{Other_Lowercase}", "ª", true},
      // Dot, anchors, CRLF mode.
      {"(?R).", "\r", false},
      {"(?s).", "\r", true},
      {"(?m)^b", "a\nb", true},
      {"^b", "a\nb", false},
      {"(?m)a$", "a\nb", true},
      {"\\Aa\\z", "a\n", false},
      {"(?mR)^b", "a\nb", true},
      // Repetitions, including counts RE2 cannot take directly.
      {"^a{1001}$", std::string(1001, 'a'), true},
      {"^a{1001}$", std::string(1000, 'a'), false},
      {"^(?:a{100}){11}$", std::string(1100, 'a'), true},
      {"^a{2}{3}$", "aaaaaa", true},
      {"^a{2,}$", "a", false},
      {"^a{0,1500}b$", std::string(1500, 'a') + "b", true},
      {"^a**$", "aaa", true},
      {"^\\b{5}a", "a", true},
      {"^x{0}$", "", true},
      // Word boundaries on ASCII text.
      {"\\bk", " k", true},
      {"a\\Bb", "ab", true},
      {"(?-u:\\b)x", "éx", true},
      // Verbose mode and escapes.
      {"(?x) a b # comment", "ab", true},
      {"(?x)\\x { 4 1 }", "A", true},
      {"(?x)[ ^a]", "a", false},
      {"(?x)a\\ b", "a b", true},
      {"\\u{1F600}", "\U0001F600", true},
      {"a\\x00b", std::string("a\0b", 3), true},
      {"", "", true},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(matches(c.pattern, c.text), c.expected) << c.pattern << " on " << c.text;
  }
}

TEST(RegexSemantics, LargeLiteralAlternationIsNeverTooLarge) {
  std::string words;
  for (int i = 0; i < 100000; ++i) {
    if (i > 0) words += '|';
    // A char, not a one-character literal: g++ 12 at -O3 reports a false -Wrestrict for that.
    words += 'w' + std::to_string(1000000 + i);
  }
  auto compiled = compile(words);
  ASSERT_TRUE(compiled);
  EXPECT_TRUE((*compiled)->is_match("x w1099999 y"));
  EXPECT_FALSE(compile("x(?:" + words + ")"));
}

// Assertions RE2 cannot express, or not on every text, are answered by the own matcher.
TEST(RegexSemantics, AssertionsBeyondRe2) {
  const MatchCase cases[] = {
      // Unicode word boundaries next to non-ASCII letters, digits and marks.
      {"\\bé", " é", true},
      {"\\bé", "xé", false},
      {"é\\b", "é٣", false},
      {"\\bx", "é x", true},
      {"\\bx", "éx", false},
      {"a\\b", "a\u0301", false},  // a combining mark is a word char
      {"\\B", "", true},
      {"\\B€\\B", "€", true},
      {"\\b", "€ ", false},
      {"x\\B", "xé", true},
      // ASCII boundaries work on chars: a non-ASCII char is never a word char there.
      {"(?-u:\\B)", "aéa", false},
      {"(?-u:\\b)é", "aé", true},
      {"a(?-u:\\b)", "aé", true},
      {"a(?-u:\\B)é", "aé", false},
      // Word start and end, and the half forms.
      {"\\<a", "a", true},
      {"\\<a", "ba", false},
      {"a\\>", "ab", false},
      {"a\\>", "a-", true},
      {"\\b{start}ü", "xü", false},
      {"\\b{end}", "", false},
      {"\\b{start-half}", "", true},
      {"^\\b{end-half}x", "x", false},
      {"x\\b{end-half}", "xy", false},
      {"x\\b{end-half}", "x", true},
      {"\\b{start-half}λ", "λλ", true},
      {"(?-u:\\b{start})é", "é", false},
      {"(?-u:\\<)x", "éx", true},
      // CRLF-aware line anchors.
      {"(?mR)^b", "a\rb", true},
      {"(?mR)a$", "a\r\nb", true},
      {"(?mR)^$", "\r\n", true},
      {"(?mR)^$", "a\r\nb", false},
      {"(?mR)\\r^", "\r\n", false},
      {"(?mR)$\\n", "\r\n", false},
      {"(?mR)\\n^", "\r\n", true},
      {"(?m)a$", "a\r\nb", false},
      {"(?R)^b", "a\rb", false},
      // Large counted repetitions and assertions together.
      {"^(?:\\bé\\b ){3000}$", repeat("é ", 3000), true},
      {"^(?:\\bé\\b ){3000}$", repeat("é ", 2999), false},
      {"\\<a{2000,}\\>", "x " + std::string(2000, 'a') + " y", true},
      {"\\<a{2000,}\\>", "x " + std::string(1999, 'a') + " y", false},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(matches(c.pattern, c.text), c.expected) << c.pattern << " on " << c.text;
  }
}

TEST(RegexSemantics, ConcurrentSearches) {
  auto compiled = compile("\\p{Greek}+\\d");
  ASSERT_TRUE(compiled);
  std::shared_ptr<const Matcher> matcher = *compiled;
  std::vector<std::thread> threads;
  std::vector<int> hits(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i)
        hits[t] += matcher->is_match("xx λλ٣ yy") ? 1 : 0;
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  for (int count : hits)
    EXPECT_EQ(count, 2000);
}

}  // namespace
}  // namespace tovrin::regex
