#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "parser/tree_builders.hpp"
#include "support/small_stack.hpp"
#include "tovrin/parser/expression.hpp"

namespace tovrin::parser {
namespace {

using namespace parser_test;

// Runs `body` on a thread with a small stack, so that any recursion per nesting level would
// overflow it long before the nesting bound.
void on_small_stack(std::function<void()> body) {
  testing::run_on_small_stack(std::move(body), 256 * 1024);
}

struct Nesting {
  std::string_view name;
  std::string_view open;
  std::string_view close;
};

constexpr Nesting kNestings[] = {
    {"array", "[", "]"}, {"object", "{'k': ", "}"},           {"parentheses", "(", ")"},
    {"call", "f(", ")"}, {"call with blanks", "f ( ", " ) "}, {"mixed", "[{'k': (g(", "))}]"},
};

std::string repeated(std::string_view part, std::size_t times) {
  std::string out;
  out.reserve(part.size() * times);
  for (std::size_t i = 0; i < times; ++i)
    out += part;
  return out;
}

// The atom 1 nested `levels` deep.
std::string nested(const Nesting& nesting, std::size_t levels) {
  return repeated(nesting.open, levels) + "1" + repeated(nesting.close, levels);
}

TEST(NestingBound, AcceptedUpToTheBound) {
  on_small_stack([] {
    for (const auto& nesting : kNestings) {
      // A mixed group opens four levels at once.
      const std::size_t per_group = nesting.name == "mixed" ? 4 : 1;
      const std::string text = nested(nesting, kMaxNestingDepth / per_group);
      const auto parsed = parse_whole_exp(text);
      EXPECT_TRUE(parsed) << nesting.name << ": " << ::testing::PrintToString(parsed.error());
    }
  });
}

TEST(NestingBound, OneLevelMoreFailsHardWithTooLarge) {
  on_small_stack([] {
    for (const auto& nesting : kNestings) {
      if (nesting.name == "mixed") continue;
      const std::string text = nested(nesting, kMaxNestingDepth + 1);
      const std::string_view at =
          std::string_view(text).substr(nesting.open.size() * kMaxNestingDepth);
      const auto parsed = parse_whole_exp(text);
      ASSERT_FALSE(parsed) << nesting.name;
      EXPECT_EQ(parsed.error(), (ParseError{Severity::Hard, ErrorKind::TooLarge, at}))
          << nesting.name;
    }
  });
}

TEST(NestingBound, FarBeyondTheBoundFailsAtTheFirstLevelTooDeep) {
  on_small_stack([] {
    for (const auto& nesting : kNestings) {
      const std::string text = nested(nesting, 1'000'000);
      const auto parsed = parse_exp(text);
      ASSERT_FALSE(parsed) << nesting.name;
      EXPECT_EQ(parsed.error().kind, ErrorKind::TooLarge) << nesting.name;
      EXPECT_TRUE(parsed.error().is_hard());
      // Unclosed brackets fail the same way.
      const auto unclosed = parse_exp(repeated(nesting.open, 1'000'000));
      ASSERT_FALSE(unclosed) << nesting.name;
      EXPECT_EQ(unclosed.error().kind, ErrorKind::TooLarge) << nesting.name;
    }
  });
}

TEST(NestingBound, TooLargeIsNotCaughtByAlternativesListsOrRuns) {
  // One level within the bound inside a bracket, or one beyond it outside any.
  const std::string deep = nested(kNestings[0], kMaxNestingDepth);
  const std::string deeper = nested(kNestings[0], kMaxNestingDepth + 1);
  // Each of these would hide a recoverable failure of its inner part: the call by reading the
  // name as a variable, the lists by ending before the comma, the run by leaving `==` unread.
  for (const std::string& text :
       {"f(" + deep + ")", "[1, " + deep + "]", "{'a': 1, 'b': " + deep + "}", "a == " + deeper,
        "a == b != " + deeper, "x && (" + deep + ")"}) {
    const auto parsed = parse_exp(text);
    ASSERT_FALSE(parsed) << text.substr(0, 20);
    EXPECT_EQ(parsed.error().kind, ErrorKind::TooLarge) << text.substr(0, 20);
    // Reported at the innermost opening bracket, the one that went too deep.
    EXPECT_TRUE(parsed.error().input.starts_with("[1]")) << text.substr(0, 20);
  }
}

TEST(NestingBound, SiblingsDoNotAddUp) {
  // The bound counts brackets open at once, not brackets in the whole text.
  const std::string deep = nested(kNestings[0], kMaxNestingDepth - 1);
  std::string text = "[";
  for (int i = 0; i < 10; ++i)
    text += deep + ",";
  text += "1]";
  EXPECT_TRUE(parse_whole_exp(text));
}

TEST(NestingBound, DeepFailuresStayLinear) {
  on_small_stack([] {
    // Every call fails only at its innermost argument and is then read again as a variable.
    const std::size_t levels = kMaxNestingDepth;
    const std::string calls = repeated("f(", levels) + "1,," + repeated(")", levels);
    const auto parsed = parse_exp(calls);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->value, var("f"));
    EXPECT_EQ(parsed->rest, calls.substr(1));
    // `!` takes exactly one atom, so a long run of them fails at the second.
    const std::string bangs = repeated("!", 100'000) + "a";
    const auto negated = parse_exp(bangs);
    ASSERT_FALSE(negated);
    EXPECT_EQ(negated.error(), recoverable(ErrorKind::Char, std::string_view(bangs).substr(1)));
  });
}

TEST(NestingBound, OperatorChainsAreNotNesting) {
  on_small_stack([] {
    // Chains of any length build deep trees without recursion, in parsing and in release.
    for (const std::string_view op : {" && ", " || ", " < ", "<="}) {
      std::string chain = "a";
      for (int i = 0; i < 100'000; ++i) {
        chain += op;
        chain += "a";
      }
      const auto parsed = parse_whole_exp(chain);
      EXPECT_TRUE(parsed) << op;
    }
  });
}

}  // namespace
}  // namespace tovrin::parser
