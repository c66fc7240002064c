#include "tovrin/parser/accessor.hpp"

#include <gtest/gtest.h>

#include <string_view>

#include "parser/tree_builders.hpp"

namespace tovrin::parser {
namespace {

using parser_test::access;
using parser_test::expect_failures;

struct AccessorCase {
  std::string_view input;
  VarAccess expected;
  std::string_view rest;
};

TEST(ParseVariableName, Accessors) {
  const AccessorCase cases[] = {
      {"a", access({{"a", {}}}), ""},
      {"a.b.c", access({{"a", {}}, {"b", {}}, {"c", {}}}), ""},
      {"user_1.items[0].id", access({{"user_1", {}}, {"items", 0}, {"id", {}}}), ""},
      {"a[ 12 ]", access({{"a", 12}}), ""},
      {"a[\t12\n]\r", access({{"a", 12}}), ""},
      {"a[007]", access({{"a", 7}}), ""},
      {"a[0] .b", access({{"a", 0}, {"b", {}}}), ""},
      {"a[0] ", access({{"a", 0}}), ""},
      {"a .b", access({{"a", {}}}), " .b"},
      {"a. b", access({{"a", {}}}), ". b"},
      {"a ", access({{"a", {}}}), " "},
      {"a[0][1]", access({{"a", 0}}), "[1]"},
      {"a[-1]", access({{"a", {}}}), "[-1]"},
      {"a[]", access({{"a", {}}}), "[]"},
      {"a[x]", access({{"a", {}}}), "[x]"},
      {"a [0]", access({{"a", {}}}), " [0]"},
      {"a[1 2]", access({{"a", {}}}), "[1 2]"},
      {"a[\v1]", access({{"a", {}}}), "[\v1]"},
      {"a.", access({{"a", {}}}), "."},
      {"a..b", access({{"a", {}}}), "..b"},
      {"'a b'.c", access({{"a b", {}}, {"c", {}}}), ""},
      {"a.'x.y'", access({{"a", {}}, {"x.y", {}}}), ""},
      {"a.\"q\\\"r\"", access({{"a", {}}, {"q\"r", {}}}), ""},
      {"a.'true'", access({{"a", {}}, {"true", {}}}), ""},
      {"a.'x'[2]", access({{"a", {}}, {"x", 2}}), ""},
      {"a.r'x'", access({{"a", {}}, {"r", {}}}), "'x'"},
      {"a.true", access({{"a", {}}}), ".true"},
      {"_1", access({{"_1", {}}}), ""},
      {"a._", access({{"a", {}}, {"_", {}}}), ""},
      {"nullable.trueValue", access({{"nullable", {}}, {"trueValue", {}}}), ""},
      {"a[4294967295]", access({{"a", 4294967295u}}), ""},
      {"a(x)", access({{"a", {}}}), "(x)"},
      // Four segments are gathered in place; a fifth moves them all into a list.
      {"a.b[1].c.d", access({{"a", {}}, {"b", 1}, {"c", {}}, {"d", {}}}), ""},
      {"a.b.c.d[3].e", access({{"a", {}}, {"b", {}}, {"c", {}}, {"d", 3}, {"e", {}}}), ""},
      {"a.b.c.d.e.'f g'[2].h x",
       access({{"a", {}}, {"b", {}}, {"c", {}}, {"d", {}}, {"e", {}}, {"f g", 2}, {"h", {}}}),
       " x"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse_variable_name(c.input);
    ASSERT_TRUE(parsed) << c.input << ": " << testing::PrintToString(parsed.error());
    EXPECT_EQ(parsed->value, c.expected) << c.input;
    EXPECT_EQ(parsed->rest, c.rest) << c.input;
  }
}

TEST(ParseVariableName, NamesAreOwnedCopies) {
  std::string input = "abc.'d'";
  auto parsed = parse_variable_name(input);
  ASSERT_TRUE(parsed);
  input.assign("XXXXXXX");
  EXPECT_EQ(parsed->value, access({{"abc", {}}, {"d", {}}}));
}

TEST(ParseVariableName, Failures) {
  expect_failures(parse_variable_name,
                  {
                      {"1a", ErrorKind::Digit, ""},
                      {"a.1b", ErrorKind::Digit, ""},
                      {"a.'1x'", ErrorKind::Digit, ""},
                      {"a.1b c", ErrorKind::Digit, " c"},
                      {"true", ErrorKind::Char, "true"},
                      {"null.x", ErrorKind::Char, "null.x"},
                      {".a", ErrorKind::Char, ".a"},
                      {"[0]", ErrorKind::Char, "[0]"},
                      {" a", ErrorKind::Char, " a"},
                      {"", ErrorKind::Char, ""},
                      {"\"abc", ErrorKind::Char, ""},
                      {"\"a\\qb\"", ErrorKind::Char, "a\\qb\""},
                      {"'abc", ErrorKind::Char, "'abc"},
                      {"''", ErrorKind::MapRes, ""},
                      {"a.''", ErrorKind::MapRes, ""},
                      {"a.\"\"", ErrorKind::MapRes, ""},
                      {"a.''.b rest", ErrorKind::MapRes, " rest"},
                      {"a[4294967296]", ErrorKind::MapRes, ""},
                      {"a[99999999999999999999999]", ErrorKind::MapRes, ""},
                      {"a[4294967296] x", ErrorKind::MapRes, "x"},
                      // Every name is tested before any index, and the first bad name decides.
                      {"a[99999999999].1b", ErrorKind::Digit, ""},
                      {"a.1b.''", ErrorKind::Digit, ""},
                      {"a.''.1b", ErrorKind::MapRes, ""},
                      {"a.b.c.d.e.1f", ErrorKind::Digit, ""},
                      {"a.b.c.d.e[4294967296].f x", ErrorKind::MapRes, " x"},
                  });
}

TEST(ParseWholeVariableName, AnyLeftoverIsEof) {
  EXPECT_EQ(parse_whole_variable_name("a.b[1]").value(), access({{"a", {}}, {"b", 1}}));
  EXPECT_TRUE(parse_whole_variable_name("a[0] "));
  expect_failures(parse_whole_variable_name, {
                                                 {"a ", ErrorKind::Eof, " "},
                                                 {"a\xC2\xA0", ErrorKind::Eof, "\xC2\xA0"},
                                                 {"a.", ErrorKind::Eof, "."},
                                                 {"a[0][1]", ErrorKind::Eof, "[1]"},
                                                 {"a.r'x'", ErrorKind::Eof, "'x'"},
                                                 {"1a", ErrorKind::Digit, ""},
                                                 {"", ErrorKind::Char, ""},
                                             });
}

}  // namespace
}  // namespace tovrin::parser
