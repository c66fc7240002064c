#include <gtest/gtest.h>

#include "interpreter/eval_fixture.hpp"
#include "support/small_stack.hpp"

namespace tovrin::testing {
namespace {

constexpr int kOperands = 1'000'000;

class DeepTree : public EvalTest {};

TEST_F(DeepTree, LeftLeaningAndChainOfAMillionOperands) {
  bind("x", "1");
  Exp chain = var("x");
  for (int i = 1; i < kOperands; ++i)
    chain = and_(std::move(chain), i + 1 == kOperands ? str_lit("last") : var("x"));
  std::string result;
  run_on_small_stack([&] { result = outcome(chain); });
  EXPECT_EQ(result, "String(\"last\")");
}

TEST_F(DeepTree, FalsyOperandEndsTheChainEarly) {
  Exp chain = int_lit(0);
  for (int i = 1; i < kOperands; ++i)
    chain = and_(std::move(chain), call("missing"));
  std::string result;
  run_on_small_stack([&] { result = outcome(chain); });
  EXPECT_EQ(result, "Bool(false)");
}

TEST_F(DeepTree, NestedNegationsAndComparisons) {
  Exp negations = int_lit(0);
  for (int i = 0; i < kOperands; ++i)
    negations = not_(std::move(negations));
  Exp comparisons = bool_lit(true);
  for (int i = 0; i < kOperands / 2; ++i)
    comparisons = eq(bool_lit(true), std::move(comparisons));
  std::string negated, compared;
  run_on_small_stack([&] {
    negated = outcome(negations);
    compared = outcome(comparisons);
  });
  EXPECT_EQ(negated, "Bool(false)");
  EXPECT_EQ(compared, "Bool(true)");
}

}  // namespace
}  // namespace tovrin::testing
