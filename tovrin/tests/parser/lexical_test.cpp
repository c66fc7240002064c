#include "tovrin/parser/lexical.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "parser/tree_builders.hpp"
#include "tovrin/utils/utf8.hpp"

namespace tovrin::parser {
namespace {

using parser_test::expect_failures;
using parser_test::is_suffix_view;

std::string utf8_of(char32_t code_point) {
  std::string out;
  utf8::append(out, code_point);
  return out;
}

TEST(SkipUnicodeWhitespace, SkipsExactlyTheWhiteSpaceCharacters) {
  const char32_t white_space[] = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,
                                  0xA0,   0x1680, 0x2000, 0x2001, 0x2002, 0x2003, 0x2004,
                                  0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A, 0x2028,
                                  0x2029, 0x202F, 0x205F, 0x3000};
  std::string all;
  for (const char32_t c : white_space) {
    const std::string input = utf8_of(c) + "x";
    EXPECT_EQ(skip_unicode_whitespace(input).rest, "x") << "U+" << std::hex << int(c);
    all += utf8_of(c);
  }
  const std::string input = all + "x" + all;
  const auto skipped = skip_unicode_whitespace(input);
  EXPECT_EQ(skipped.value, all);
  EXPECT_EQ(skipped.rest, "x" + all);

  // Neighbours of the set and characters that merely look blank are not skipped.
  for (const char32_t c : {0x08u,   0x0Eu,   0x1Fu,   0x84u,   0x86u,   0x9Fu,   0xA1u,
                           0x167Fu, 0x1681u, 0x180Eu, 0x1FFFu, 0x200Bu, 0x2027u, 0x202Au,
                           0x202Eu, 0x2030u, 0x205Eu, 0x2060u, 0x2FFFu, 0x3001u, 0xFEFFu}) {
    const std::string other = utf8_of(c) + "x";
    EXPECT_EQ(skip_unicode_whitespace(other).rest, other) << "U+" << std::hex << int(c);
  }
}

TEST(SkipUnicodeWhitespace, NothingToSkip) {
  const auto plain = skip_unicode_whitespace("x");
  EXPECT_EQ(plain.rest, "x");
  EXPECT_TRUE(plain.value.empty());
  EXPECT_EQ(skip_unicode_whitespace("").rest, "");
  // A truncated encoding at the end of the text is not whitespace and is not read past.
  EXPECT_EQ(skip_unicode_whitespace("\xE3\x80").rest, "\xE3\x80");
}

struct LiteralCase {
  std::string_view input;
  std::string_view text;
  bool borrowed;
  std::string_view rest;
};

TEST(ParseStringLiteral, Forms) {
  const LiteralCase cases[] = {
      {"'it\\'s'", "it's", false, ""},
      {"\"a\\\"b\"", "a\"b", false, ""},
      {"'a\\tb'", "a\tb", false, ""},
      {"'abc' rest", "abc", false, " rest"},
      {"'\\\\\\n\\r\\0'", std::string_view("\\\n\r\0", 4), false, ""},
      {"''", "", true, ""},
      {"\"\"", "", true, ""},
      {"r''", "", true, ""},
      {"r\"\"", "", true, ""},
      {"r'a\\'b'", "a\\'b", true, ""},
      {"r\"\\\\\"", "\\\\", true, ""},
      {"r'C:\\dir\\'x'", "C:\\dir\\'x", true, ""},
      {"r'a\"b'", "a\"b", true, ""},
      {"'a\nb'", "a\nb", false, ""},
      {"\"caf\xC3\xA9\"x", "caf\xC3\xA9", false, "x"},
      {"'a' 'b'", "a", false, " 'b'"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse_string_literal(c.input);
    ASSERT_TRUE(parsed) << c.input << ": " << testing::PrintToString(parsed.error());
    EXPECT_EQ(parsed->value.view(), c.text) << c.input;
    EXPECT_EQ(parsed->value.is_borrowed(), c.borrowed) << c.input;
    EXPECT_EQ(parsed->rest, c.rest) << c.input;
    EXPECT_TRUE(is_suffix_view(parsed->rest, c.input)) << c.input;
  }
}

TEST(ParseStringLiteral, RawTextsAreSlicesOfTheInput) {
  const std::string_view input = "r'body'";
  const auto parsed = parse_string_literal(input);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->value.view().data(), input.data() + 2);
}

TEST(ParseStringLiteral, Failures) {
  // All fail as the double-quoted form does.
  expect_failures(parse_string_literal, {
                                            {"'abc", ErrorKind::Char, "'abc"},
                                            {"\"abc", ErrorKind::Char, ""},
                                            {"\"a\\q\"", ErrorKind::Char, "a\\q\""},
                                            {"\"a\\'b\"", ErrorKind::Char, "a\\'b\""},
                                            {"'a\\\"b'", ErrorKind::Char, "'a\\\"b'"},
                                            {"'a\\qb'", ErrorKind::Char, "'a\\qb'"},
                                            {"\"abc\\", ErrorKind::Char, "abc\\"},
                                            {"\"a\\\"", ErrorKind::Char, ""},
                                            {"\"", ErrorKind::Char, ""},
                                            {"rx", ErrorKind::Char, "rx"},
                                            {"r", ErrorKind::Char, "r"},
                                            {"r 'a'", ErrorKind::Char, "r 'a'"},
                                            {"r'abc", ErrorKind::Char, "r'abc"},
                                            {"r'abc\\", ErrorKind::Char, "r'abc\\"},
                                            {"abc", ErrorKind::Char, "abc"},
                                            {"", ErrorKind::Char, ""},
                                        });
}

TEST(ParseNonKeyword, Identifiers) {
  const struct {
    std::string_view input;
    std::string_view word;
    std::string_view rest;
  } cases[] = {
      {"a_1.b", "a_1", ".b"},
      {"1abc", "1abc", ""},
      {"_", "_", ""},
      {"trueValue", "trueValue", ""},
      {"nullable", "nullable", ""},
      {"True", "True", ""},
      {"NULL x", "NULL", " x"},
      {"false_flag", "false_flag", ""},
      {"ab\xC3\xA9", "ab", "\xC3\xA9"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse_non_keyword(c.input);
    ASSERT_TRUE(parsed) << c.input;
    EXPECT_EQ(parsed->value, c.word);
    EXPECT_EQ(parsed->value.data(), c.input.data());
    EXPECT_EQ(parsed->rest, c.rest);
  }
}

TEST(ParseNonKeyword, FailuresCarryTheInput) {
  expect_failures(parse_non_keyword, {
                                         {"true", ErrorKind::MapRes, "true"},
                                         {"false", ErrorKind::MapRes, "false"},
                                         {"null", ErrorKind::MapRes, "null"},
                                         {"true.x", ErrorKind::MapRes, "true.x"},
                                         {"null(1)", ErrorKind::MapRes, "null(1)"},
                                         {"\xC3\xA9", ErrorKind::MapRes, "\xC3\xA9"},
                                         {"", ErrorKind::MapRes, ""},
                                         {" a", ErrorKind::MapRes, " a"},
                                         {".a", ErrorKind::MapRes, ".a"},
                                         {"'a'", ErrorKind::MapRes, "'a'"},
                                     });
}

}  // namespace
}  // namespace tovrin::parser
