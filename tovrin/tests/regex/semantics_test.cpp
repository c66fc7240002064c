#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "regex/regex.hpp"
#include "tovrin/internal_failure.hpp"

namespace tovrin::regex {
namespace {

struct MatchCase {
  std::string pattern;
  std::string text;
  bool expected;
};

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
    words += "w" + std::to_string(1000000 + i);
  }
  auto compiled = compile(words);
  ASSERT_TRUE(compiled);
  EXPECT_TRUE((*compiled)->is_match("x w1099999 y"));
  EXPECT_FALSE(compile("x(?:" + words + ")"));
}

// What the RE2 path cannot answer exactly must fail loudly, and only when the text needs it.
TEST(RegexSemantics, UnsupportedSearchesFailLoudly) {
  auto boundary = compile("\\bé");
  ASSERT_TRUE(boundary);
  EXPECT_THROW((void)(*boundary)->is_match(" é"), InternalFailure);
  auto ascii_boundary = compile("\\bx");
  ASSERT_TRUE(ascii_boundary);
  EXPECT_TRUE((*ascii_boundary)->is_match("a x"));
  EXPECT_THROW((void)(*ascii_boundary)->is_match("é x"), InternalFailure);
  auto crlf = compile("(?mR)^b");
  ASSERT_TRUE(crlf);
  EXPECT_THROW((void)(*crlf)->is_match("a\rb"), InternalFailure);
  auto word_start = compile("\\<a");
  ASSERT_TRUE(word_start);
  EXPECT_THROW((void)(*word_start)->is_match("a"), InternalFailure);
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
