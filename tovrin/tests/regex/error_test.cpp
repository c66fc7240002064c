#include <gtest/gtest.h>

#include <string>

#include "regex/regex.hpp"

namespace tovrin::regex {
namespace {

std::string error_of(const std::string& pattern) {
  auto compiled = compile(pattern);
  return compiled ? std::string("<compiled>") : compiled.error();
}

// The error text of a one-line pattern with carets from column `column` (1-based).
std::string one_line(const std::string& pattern, std::size_t column, std::size_t carets,
                     const std::string& message) {
  return "regex parse error:\n    " + pattern + "\n" + std::string(3 + column, ' ') +
         std::string(carets, '^') + "\nerror: " + message;
}

struct ErrorCase {
  std::string pattern;
  std::size_t column;
  std::size_t carets;
  std::string message;
};

TEST(RegexErrors, SpansAndMessages) {
  const std::string unclosed_class = "unclosed character class";
  const std::string eof = "incomplete escape sequence, reached end of pattern prematurely";
  const std::string utf8 = "pattern can match invalid UTF-8";
  const ErrorCase cases[] = {
      {"(?", 1, 1, "unclosed group"},
      {"(?)", 2, 1, "repetition operator missing expression"},
      {"(*)", 2, 1, "repetition operator missing expression"},
      {"a|*", 3, 1, "repetition operator missing expression"},
      {"(?i)*", 5, 1, "repetition operator missing expression"},
      {"{5}", 1, 1, "repetition operator missing expression"},
      {"x{", 2, 1, "unclosed counted repetition"},
      {"a{1,2", 2, 4, "unclosed counted repetition"},
      {"a{1x}", 2, 2, "unclosed counted repetition"},
      {"a{ ", 2, 2, "unclosed counted repetition"},
      {"a{2, }", 6, 1, "repetition quantifier expects a valid decimal"},
      {"a{,3}", 3, 1, "repetition quantifier expects a valid decimal"},
      {"[]", 1, 2, unclosed_class},
      {"[^-a", 1, 3, unclosed_class},
      {"[--", 1, 1, unclosed_class},
      {"(?x)[#]", 5, 3, unclosed_class},  // the comment belongs to the opening
      {"[a-[:alpha:]]", 2, 3, "invalid character class range, the start must be <= the end"},
      {"[\\d-z]", 2, 2, "invalid range boundary, must be a literal"},
      {"[\\b{start}]", 2, 9, "invalid escape sequence found in character class"},
      {"\\u00", 5, 1, eof},
      {"\\x{41", 3, 3, eof},
      {"\\p{Greek", 9, 1, eof},
      {"\\p", 3, 1, eof},
      {"\\uDFFF", 3, 4, "hexadecimal literal is not a Unicode scalar value"},
      {"\\x{110000}", 4, 6, "hexadecimal literal is not a Unicode scalar value"},
      {"\\x{123456789}", 4, 9, "hexadecimal literal is not a Unicode scalar value"},
      {"\\9", 1, 2, "backreferences are not supported"},
      {"\\e", 1, 2, "unrecognized escape sequence"},
      {"(?i-)", 4, 1, "dangling flag negation operator"},
      {"(?-:a)", 3, 1, "dangling flag negation operator"},
      {"(?ii)", 3, 2, "duplicate flag"},  // both occurrences
      {"(?z)(", 3, 1, "unrecognized flag"},
      {"(?P=n)", 3, 1, "unrecognized flag"},
      {"(?x: a)(?P< >b)", 12, 1, "invalid capture group character"},
      {"(?<!", 1, 4, "look-around, including look-ahead and look-behind, is not supported"},
      {"\\p{^Greek}", 1, 10, "Unicode property not found"},
      {"\\p{Block=Basic_Latin}", 1, 21, "Unicode property value not found"},
      {"\\p{Hrkt}", 1, 8, "Unicode property value not found"},
      {"\\p{Greek}\\p{Foo}\\p{Bar}", 10, 7, "Unicode property not found"},
      {"(?-u)\\pL", 6, 3, "Unicode not allowed here"},
      {"(?-u:[é])", 7, 1, "Unicode not allowed here"},
      {"(?-u:[^\\pL])", 8, 3, "Unicode not allowed here"},
      {"(?-u)[^a]", 6, 4, utf8},
      {"(?i-u)[^k]", 7, 4, utf8},
      {"(?-u:[[:^alpha:]])", 7, 10, utf8},
      {"(?-u:\\W)", 6, 2, utf8},
      {"(?-u:.)", 6, 1, utf8},
      {"(?-u:[\\xFF])", 7, 4, utf8},
      {"(a(?-u)\\xFF\\w{999999}", 1, 1, "unclosed group"},
  };
  for (const ErrorCase& c : cases) {
    EXPECT_EQ(error_of(c.pattern), one_line(c.pattern, c.column, c.carets, c.message)) << c.pattern;
  }
}

TEST(RegexErrors, SpanEndingAfterFinalLineFeedIsNotedByLines) {
  EXPECT_EQ(error_of("(?i\n"),
            "regex parse error:\n" + std::string(79, '~') + "\n1: (?i\n" + std::string(79, '~') +
                "\non line 1 (column 4) through line 2 (column 0)\nerror: unrecognized flag");
  // A span on the extra line after a final LF is not drawn.
  EXPECT_EQ(error_of("\\p{\n"), "regex parse error:\n" + std::string(79, '~') + "\n1: \\p{\n" +
                                    std::string(79, '~') + "\nerror: " +
                                    "incomplete escape sequence, reached end of pattern "
                                    "prematurely");
}

std::string nested(std::size_t depth, const std::string& inner) {
  return std::string(depth, '(') + inner + std::string(depth, ')');
}

TEST(RegexErrors, NestLimitCountsEveryLevel) {
  EXPECT_TRUE(compile(nested(250, "a")));
  EXPECT_FALSE(compile(nested(251, "a")));
  EXPECT_FALSE(compile(nested(250, "ab")));
  // A char, not a one-character literal: g++ 12 at -O3 reports a false -Wrestrict for that.
  EXPECT_FALSE(compile('x' + nested(250, "")));
  EXPECT_TRUE(compile(std::string(250, '[') + "a" + std::string(250, ']')));
  EXPECT_FALSE(compile(std::string(251, '[') + "a" + std::string(251, ']')));
  EXPECT_TRUE(compile("a" + std::string(250, '*')));
  EXPECT_FALSE(compile("a" + std::string(251, '*')));
  // Deep input that fails the limit is rejected without exhausting the stack.
  EXPECT_FALSE(compile(nested(200000, "a")));
  EXPECT_FALSE(compile("a" + std::string(200000, '+')));
}

TEST(RegexErrors, SizeLimit) {
  const std::string limit = "Compiled regex exceeds size limit of 10485760 bytes.";
  EXPECT_EQ(error_of("a{4294967295}"), limit);
  EXPECT_EQ(error_of("\\pL{2000}"), limit);
  EXPECT_EQ(error_of("[\\s\\S]{100000}"), limit);
  EXPECT_TRUE(compile("a{100000}"));
  EXPECT_TRUE(compile("\\w{50}"));
}

}  // namespace
}  // namespace tovrin::regex
