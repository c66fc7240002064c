#include "tovrin/parser/expression.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "parser/tree_builders.hpp"

namespace tovrin::parser {
namespace {

using namespace parser_test;
using K = Exp::Kind;

TEST(ParseExp, PrecedenceAndGrouping) {
  EXPECT_EQ(tree_of("a||b&&c"), op<K::Or>(var("a"), op<K::And>(var("b"), var("c"))));
  EXPECT_EQ(tree_of("a&&b||c"), op<K::Or>(op<K::And>(var("a"), var("b")), var("c")));
  EXPECT_EQ(tree_of("a || b || c"), op<K::Or>(op<K::Or>(var("a"), var("b")), var("c")));
  EXPECT_EQ(tree_of("a && b && c"), op<K::And>(op<K::And>(var("a"), var("b")), var("c")));
  EXPECT_EQ(tree_of("a < b < c"), op<K::Lt>(op<K::Lt>(var("a"), var("b")), var("c")));
  EXPECT_EQ(tree_of("a < b >= c"), op<K::Geq>(op<K::Lt>(var("a"), var("b")), var("c")));
  EXPECT_EQ(tree_of("a != b == c != d"),
            op<K::Eq>(op<K::Neq>(var("a"), var("b")), op<K::Neq>(var("c"), var("d"))));
  EXPECT_EQ(tree_of("a == b != c"), op<K::Eq>(var("a"), op<K::Neq>(var("b"), var("c"))));
  EXPECT_EQ(tree_of("a != b == c"), op<K::Eq>(op<K::Neq>(var("a"), var("b")), var("c")));
  EXPECT_EQ(tree_of("a == b > c"), op<K::Eq>(var("a"), op<K::Gt>(var("b"), var("c"))));
  EXPECT_EQ(tree_of("!a > 1"), op<K::Gt>(negation(var("a")), integer(1)));
  EXPECT_EQ(tree_of("!a == b"), op<K::Eq>(negation(var("a")), var("b")));
  EXPECT_EQ(tree_of("! a"), negation(var("a")));
  EXPECT_EQ(tree_of("!(!a)"), negation(negation(var("a"))));
  EXPECT_EQ(tree_of("a >= b"), op<K::Geq>(var("a"), var("b")));
  EXPECT_EQ(tree_of("a<=b"), op<K::Leq>(var("a"), var("b")));
  EXPECT_EQ(tree_of("a>b"), op<K::Gt>(var("a"), var("b")));
  EXPECT_EQ(tree_of("a != !b"), op<K::Neq>(var("a"), negation(var("b"))));
  EXPECT_EQ(tree_of("a == b && c == d || e"),
            op<K::Or>(op<K::And>(op<K::Eq>(var("a"), var("b")), op<K::Eq>(var("c"), var("d"))),
                      var("e")));
  EXPECT_EQ(tree_of("(a || b) && c"), op<K::And>(op<K::Or>(var("a"), var("b")), var("c")));
  EXPECT_EQ(tree_of("a==b"), tree_of("a  ==  b"));
  EXPECT_EQ(tree_of("(a)"), var("a"));
}

TEST(ParseExp, RunsOfEqualityOperators) {
  // Three or more operands in one run fail; a failure after the operator leaves it unread.
  expect_failures(parse_exp, {
                                 {"a == b == c", ErrorKind::Count, ""},
                                 {"a != b != c", ErrorKind::Count, ""},
                                 {"a == b == c == d ", ErrorKind::Count, ""},
                                 {"1 == 2 == 3 == )", ErrorKind::Count, "== )"},
                             });
}

TEST(ParseExp, RestIsLeftToTheCaller) {
  const struct {
    std::string_view input;
    Exp tree;
    std::string_view rest;
  } cases[] = {
      {"a ==", var("a"), "=="},
      {"a == ", var("a"), "== "},
      {"a == )", var("a"), "== )"},
      {"a == b > )", var("a"), "== b > )"},
      {"x == a != b != c", var("x"), "== a != b != c"},
      {"a == (b == c == d)", var("a"), "== (b == c == d)"},
      {"x || a == )", op<K::Or>(var("x"), var("a")), "== )"},
      {"a == b != )", op<K::Eq>(var("a"), var("b")), "!= )"},
      {"a = b", var("a"), "= b"},
      {"a => b", var("a"), "=> b"},
      {"1 +", integer(1), "+"},
      {"1)", integer(1), ")"},
      {"a\xC2\xA0|| b", var("a"), "\xC2\xA0|| b"},
      {"a b", var("a"), "b"},
      {"a \t\r\n", var("a"), ""},
      {"a\v", var("a"), "\v"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse_exp(c.input);
    ASSERT_TRUE(parsed) << c.input << ": " << testing::PrintToString(parsed.error());
    EXPECT_EQ(parsed->value, c.tree) << c.input;
    EXPECT_EQ(parsed->rest, c.rest) << c.input;
    EXPECT_TRUE(is_suffix_view(parsed->rest, c.input)) << c.input;
  }
}

TEST(ParseWholeExp, FailureOutcomes) {
  const std::string nbsp = "\xC2\xA0";
  expect_failures(parse_whole_exp, {
                                       {"1 +", ErrorKind::Eof, "+"},
                                       {"a ==", ErrorKind::Eof, "=="},
                                       {"a == ", ErrorKind::Eof, "== "},
                                       {"(1", ErrorKind::Char, ""},
                                       {"1 == 2 == 3", ErrorKind::Count, ""},
                                       {"1 == 2 == 3 )", ErrorKind::Count, ")"},
                                       {"a != b != c == d", ErrorKind::Count, "== d"},
                                       {"(a == b == c)", ErrorKind::Count, ")"},
                                       {"x == a != b != c", ErrorKind::Eof, "== a != b != c"},
                                       {"!!a", ErrorKind::Char, "!a"},
                                       {"! !a", ErrorKind::Char, "!a"},
                                       {"a = b", ErrorKind::Eof, "= b"},
                                       {"a => b", ErrorKind::Eof, "=> b"},
                                       {"a > = b", ErrorKind::Char, "= b"},
                                       {"a ||", ErrorKind::Char, ""},
                                       {"a &&", ErrorKind::Char, ""},
                                       {"a && )", ErrorKind::Char, ")"},
                                       {"", ErrorKind::Char, ""},
                                       {" \t\n\u3000", ErrorKind::Char, ""},
                                       {"a <> b", ErrorKind::Char, "> b"},
                                       {"a &&" + nbsp + "b", ErrorKind::Char, nbsp + "b"},
                                       {"a" + nbsp + "|| b", ErrorKind::Eof, nbsp + "|| b"},
                                       {"1) \u3000", ErrorKind::Eof, ") \u3000"},
                                       {"a || b > )", ErrorKind::Char, ")"},
                                   });
}

TEST(ParseWholeExp, UnicodeWhitespaceAtTheEnds) {
  // Leading Unicode whitespace starts every expression; at the end it is trimmed.
  EXPECT_EQ(tree_of("\u3000a"), var("a"));
  EXPECT_EQ(tree_of("\va"), var("a"));
  EXPECT_EQ(tree_of("a\u3000"), var("a"));
  EXPECT_EQ(tree_of("a\xC2\xA0\u2028 "), var("a"));
  // Inside parentheses and list elements the same characters are skipped again.
  EXPECT_EQ(tree_of("(\xC2\xA0"
                    "a)"),
            var("a"));
  EXPECT_EQ(tree_of("[\xC2\xA0"
                    "a, \u3000b]"),
            array({var("a"), var("b")}));
  EXPECT_EQ(tree_of("a && (\xC2\xA0"
                    "b)"),
            op<K::And>(var("a"), var("b")));
}

TEST(ParseExp, LongOperatorChainsNeedNoRecursion) {
  std::string chain = "a0";
  constexpr int kOperands = 100'000;
  for (int i = 1; i < kOperands; ++i)
    chain += " && a" + std::to_string(i);
  const auto parsed = parse_whole_exp(chain);
  ASSERT_TRUE(parsed);
  // The chain groups to the left: the rightmost operand is the root's right child.
  const auto* root = parsed->get_if<Exp::And>();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(*root->right, var("a99999"));
  std::size_t depth = 1;
  for (const Exp* node = parsed.value().get_if<Exp::And>()->left.get();
       const auto* inner = node->get_if<Exp::And>(); node = inner->left.get()) {
    ++depth;
  }
  EXPECT_EQ(depth, kOperands - 1u);
}

TEST(ParseExp, LongEqualityRunFailsWithCount) {
  std::string run = "a";
  for (int i = 0; i < 1000; ++i)
    run += " == a";
  const auto parsed = parse_exp(run);
  ASSERT_FALSE(parsed);
  EXPECT_EQ(parsed.error(), recoverable(ErrorKind::Count, ""));
}

TEST(ParseExp, StringLiteralsBorrowFromTheText) {
  const std::string input = "f(r'raw', 'esc', '') == {'k': r'v'}";
  const auto parsed = parse_whole_exp(input);
  ASSERT_TRUE(parsed);
  const auto* eq = parsed->get_if<Exp::Eq>();
  ASSERT_NE(eq, nullptr);
  const auto& args = eq->left->get_if<Exp::Call>()->item.args;
  const auto literal_text = [](const Exp& exp) {
    return exp.get_if<Exp::Literal>()->value.as_text();
  };
  EXPECT_TRUE(literal_text(args[0])->is_borrowed());
  EXPECT_EQ(literal_text(args[0])->view().data(), input.data() + 4);
  EXPECT_FALSE(literal_text(args[1])->is_borrowed());
  EXPECT_TRUE(literal_text(args[2])->is_borrowed());
  const auto& entries = eq->right->get_if<Exp::ObjectLit>()->entries;
  EXPECT_TRUE(literal_text(*entries.find("k"))->is_borrowed());
}

}  // namespace
}  // namespace tovrin::parser
