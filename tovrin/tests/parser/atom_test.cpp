#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "parser/tree_builders.hpp"
#include "tovrin/parser/expression.hpp"

namespace tovrin::parser {
namespace {

using namespace parser_test;
using K = Exp::Kind;

struct AtomCase {
  std::string input;
  Exp tree;
  std::string rest;
};

void expect_atoms(const std::vector<AtomCase>& cases) {
  for (const auto& c : cases) {
    const auto parsed = parse_atom(c.input);
    ASSERT_TRUE(parsed) << c.input << ": " << testing::PrintToString(parsed.error());
    EXPECT_EQ(parsed->value, c.tree) << c.input;
    EXPECT_EQ(parsed->rest, c.rest) << c.input;
  }
}

// Parses a float literal and returns its value.
double float_of(const std::string& input) {
  const auto parsed = parse_atom(input);
  EXPECT_TRUE(parsed) << input;
  if (!parsed) return 0;
  const double* value = parsed->value.get_if<Exp::Literal>()->value.as_float();
  EXPECT_NE(value, nullptr) << input;
  return value ? *value : 0;
}

TEST(ParseAtom, Numbers) {
  expect_atoms({
      {"42", integer(42), ""},
      {"-7", integer(-7), ""},
      {"+5", integer(5), ""},
      {"007", integer(7), ""},
      {"-0", integer(0), ""},
      {"9223372036854775807", integer(std::numeric_limits<std::int64_t>::max()), ""},
      {"-9223372036854775808", integer(std::numeric_limits<std::int64_t>::min()), ""},
      {"1.5", floating(1.5), ""},
      {"+2.50", floating(2.5), ""},
      {"007.25", floating(7.25), ""},
      {"1.", integer(1), "."},
      {"1.e5", integer(1), ".e5"},
      {"1e5", integer(1), "e5"},
      {"1abc", integer(1), "abc"},
      {"1.5.2", floating(1.5), ".2"},
      {"99999999999999999999.5", floating(99999999999999999999.5), ""},
      {"3 \t\r\n==", integer(3), "=="},
  });
  EXPECT_TRUE(std::signbit(float_of("-0.0")));
  EXPECT_EQ(float_of("0.1"), 0.1);
  EXPECT_EQ(float_of("-123456789.987654321"), -123456789.987654321);
}

TEST(ParseAtom, FloatsRoundToTheNearestDouble) {
  const double largest = std::numeric_limits<double>::max();
  const double infinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(float_of(std::string(400, '9') + ".0"), infinity);
  EXPECT_EQ(float_of("-" + std::string(400, '9') + ".0"), -infinity);
  // Just below the midpoint between the largest double and the next power of two.
  const std::string below_midpoint =
      "17976931348623158079372897140530341507993413271003782693617377898044496829276475094664901"
      "79775872070963302864166928879109465555478519404026306574886715058206819089020007083836762"
      "73854845817711531764475730270069855571366959622842914819860834936475292719074168444365510"
      "704342711559699508093042880177904174497791";
  EXPECT_EQ(float_of(below_midpoint + ".999"), largest);
  // The midpoint itself is a tie, which goes to the even neighbour: infinity.
  std::string midpoint = below_midpoint;
  midpoint.back() = '2';
  EXPECT_EQ(float_of(midpoint + ".0"), infinity);
  EXPECT_EQ(float_of("0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_TRUE(std::signbit(float_of("-0." + std::string(400, '0') + "1")));
  EXPECT_EQ(float_of("0." + std::string(320, '0') + "1"), 1e-321);
}

TEST(ParseAtom, WordsStringsAndVariables) {
  expect_atoms({
      {"true", boolean(true), ""},
      {"false ", boolean(false), ""},
      {"null", null(), ""},
      {"null.x", null(), ".x"},
      {"true(1)", boolean(true), "(1)"},
      {"false[0]", boolean(false), "[0]"},
      {"nullable", var("nullable"), ""},
      {"trueValue", var("trueValue"), ""},
      {"false_flag", var("false_flag"), ""},
      {"True", var("True"), ""},
      {"'a'.b", text("a"), ".b"},
      {"r'x' y", text("x"), "y"},
      {"a.b(x)", var({{"a", {}}, {"b", {}}}), "(x)"},
      {"x [0]", var("x"), "[0]"},
      {"x[0] ", var({{"x", 0}}), ""},
      {"a\t==", var("a"), "=="},
      {"a\xC2\xA0", var("a"), "\xC2\xA0"},
  });
}

TEST(ParseAtom, ArraysAndObjects) {
  expect_atoms({
      {"[]", array(), ""},
      {"[ ]", array(), ""},
      {"[1, [2, 3]]", array({integer(1), array({integer(2), integer(3)})}), ""},
      {"[a || b, c] x", array({op<K::Or>(var("a"), var("b")), var("c")}), "x"},
      {"{}", object(), ""},
      {"{ }", object(), ""},
      {"{\"b\": 1, \"a\": 2}", object({{"a", integer(2)}, {"b", integer(1)}}), ""},
      {"{\"a\": 1, \"a\": 2}", object({{"a", integer(2)}}), ""},
      {"{'a': 1, \"b\": 2, r'a': 3}", object({{"a", integer(3)}, {"b", integer(2)}}), ""},
      {"{r'k\\n': 1}", object({{"k\\n", integer(1)}}), ""},
      {"{'k':  [1] , 'l':2 }", object({{"k", array({integer(1)})}, {"l", integer(2)}}), ""},
  });
  // Key order is by bytes, not by the order written.
  const auto parsed = parse_atom("{\"b\": 1, \"a\": 2, \"B\": 3}");
  ASSERT_TRUE(parsed);
  std::string keys;
  for (const auto& entry : parsed->value.get_if<Exp::ObjectLit>()->entries)
    keys += entry.first;
  EXPECT_EQ(keys, "Bab");
}

TEST(ParseAtom, Calls) {
  const Exp len_x = call("len", {var("x")});
  expect_atoms({
      {"len(x)", len_x, ""},
      {"len (x)", len_x, ""},
      {"len( x )", len_x, ""},
      {"len(x,)", len_x, ""},
      {"len(x, )", len_x, ""},
      {"len\xC2\xA0(x)", len_x, ""},
      {"len(\u3000x\u3000)", len_x, ""},
      {"len(x)  y", len_x, "y"},
      {"f()", call("f"), ""},
      {"f(,)", call("f"), ""},
      {"f( , )", call("f"), ""},
      {"f(1,,)", var("f"), "(1,,)"},
      {"f(1 2)", var("f"), "(1 2)"},
      {"f(1", var("f"), "(1"},
      {"base64Encode('x')", call("base64Encode", {text("x")}), ""},
      {"startsWith(a, 'b')", call("startsWith", {var("a"), text("b")}), ""},
      {"my_func(1)", call("my_func", {integer(1)}), ""},
      {"trueValue(1)", call("trueValue", {integer(1)}), ""},
      {"f(g(1), [2])", call("f", {call("g", {integer(1)}), array({integer(2)})}), ""},
  });
}

TEST(ParseAtom, Parentheses) {
  expect_atoms({
      {"(1)", integer(1), ""},
      {"((1))", integer(1), ""},
      {"( 1 )", integer(1), ""},
      {"(a || b) c", op<K::Or>(var("a"), var("b")), "c"},
  });
}

TEST(ParseAtom, Failures) {
  expect_failures(parse_atom,
                  {
                      {"", ErrorKind::Char, ""},
                      {")", ErrorKind::Char, ")"},
                      {",", ErrorKind::Char, ","},
                      {".5", ErrorKind::Char, ".5"},
                      {"#x", ErrorKind::Char, "#x"},
                      {"- 5", ErrorKind::Char, "- 5"},
                      {"+", ErrorKind::Char, "+"},
                      {" 1", ErrorKind::Char, " 1"},
                      {"[1, 2", ErrorKind::Char, "[1, 2"},
                      {"[1,]", ErrorKind::Char, "[1,]"},
                      {"[1, ]", ErrorKind::Char, "[1, ]"},
                      {"[,1]", ErrorKind::Char, "[,1]"},
                      {"{\"a\" : 1}", ErrorKind::Char, "{\"a\" : 1}"},
                      {"{\"a\": 1,}", ErrorKind::Char, "{\"a\": 1,}"},
                      {"{a: 1}", ErrorKind::Char, "{a: 1}"},
                      {"{\"a\": }", ErrorKind::Char, "{\"a\": }"},
                      {"(1", ErrorKind::Char, ""},
                      {"()", ErrorKind::Char, ")"},
                      {"(1 2)", ErrorKind::Char, "2)"},
                      {"(a == b == c)", ErrorKind::Count, ")"},
                      {"9223372036854775808", ErrorKind::Char, "9223372036854775808"},
                      {"-9223372036854775809", ErrorKind::Char, "-9223372036854775809"},
                      {"99999999999999999999abc(1)", ErrorKind::Char, "99999999999999999999abc(1)"},
                      {"a.''", ErrorKind::Char, "a.''"},
                      {"a[4294967296]", ErrorKind::Char, "a[4294967296]"},
                      {"'abc", ErrorKind::Char, "'abc"},
                      {"!a", ErrorKind::Char, "!a"},
                  });
}

TEST(ParseAtom, TreesMatchTheirCanonicalTexts) {
  EXPECT_EQ(tree_of("(a)"), tree_of("a"));
  EXPECT_NE(tree_of("1"), tree_of("1.0"));
  EXPECT_EQ(tree_of("0.0"), tree_of("-0.0"));
  EXPECT_EQ(tree_of("'x'"), tree_of("\"x\""));
  EXPECT_EQ(tree_of("'x'"), tree_of("r'x'"));
  EXPECT_EQ(tree_of("{\"a\": 1, \"b\": 2}"), tree_of("{\"b\": 2, \"a\": 1}"));
  EXPECT_EQ(tree_of("{\"a\": 1, \"a\": 2}"), tree_of("{\"a\": 2}"));
  EXPECT_NE(tree_of("f(a, b)"), tree_of("f(b, a)"));
  EXPECT_NE(tree_of("a > b"), tree_of("b < a"));
  EXPECT_EQ(tree_of("len(x)"), tree_of("len( x ,)"));
}

}  // namespace
}  // namespace tovrin::parser
