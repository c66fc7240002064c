#include "tovrin/work_budget.hpp"

#include <gtest/gtest.h>

namespace tovrin {
namespace {

int asked = 0;
bool answer = false;

bool check() {
  ++asked;
  return answer;
}
bool other_check() {
  return true;
}

class WorkBudgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    asked = 0;
    answer = false;
    // Starts every test with a full budget.
    const StopCheckScope none(nullptr);
    WorkBudget::current().spend(WorkBudget::kUnitsPerCheck);
  }
};

TEST_F(WorkBudgetTest, ItsCheckIsAskedOncePerBudgetSpent) {
  const StopCheckScope scope(&check);
  for (std::size_t i = 0; i < 3 * WorkBudget::kUnitsPerCheck - 1; ++i)
    spend_work();
  EXPECT_EQ(asked, 2);
  spend_work();
  EXPECT_EQ(asked, 3);
  // One large amount asks once; bytes count in units of kBytesPerUnit.
  WorkBudget::current().spend(10 * WorkBudget::kUnitsPerCheck);
  EXPECT_EQ(asked, 4);
  spend_text_work(WorkBudget::kUnitsPerCheck * WorkBudget::kBytesPerUnit);
  EXPECT_EQ(asked, 5);
  spend_text_work(WorkBudget::kBytesPerUnit - 1);
  EXPECT_EQ(asked, 5);
}

TEST_F(WorkBudgetTest, AYesStopsTheWorkAndTheBudgetStartsAfresh) {
  const StopCheckScope scope(&check);
  answer = true;
  EXPECT_THROW(WorkBudget::current().spend(WorkBudget::kUnitsPerCheck), StopRequested);
  answer = false;
  EXPECT_NO_THROW(WorkBudget::current().spend(WorkBudget::kUnitsPerCheck - 1));
  EXPECT_EQ(asked, 1);
}

TEST_F(WorkBudgetTest, WithoutACheckNothingStops) {
  const StopCheckScope scope(nullptr);
  EXPECT_NO_THROW(WorkBudget::current().spend(100 * WorkBudget::kUnitsPerCheck));
}

TEST_F(WorkBudgetTest, ScopesNestAndRestoreTheOuterCheck) {
  const StopCheckScope outer(&check);
  {
    const StopCheckScope inner(&other_check);
    EXPECT_THROW(WorkBudget::current().spend(WorkBudget::kUnitsPerCheck), StopRequested);
  }
  EXPECT_NO_THROW(WorkBudget::current().spend(WorkBudget::kUnitsPerCheck));
  EXPECT_EQ(asked, 1);
}

TEST_F(WorkBudgetTest, AReserveAsksOnlyWhenTooLittleIsLeftAndMakesRoomForIt) {
  const StopCheckScope scope(&check);
  constexpr std::size_t kHalf = WorkBudget::kUnitsPerCheck / 2;
  WorkBudget& budget = WorkBudget::current();
  budget.reserve(kHalf);
  EXPECT_EQ(asked, 0);
  budget.spend(kHalf);
  budget.reserve(kHalf);
  EXPECT_EQ(asked, 1);
  // The units reserved are spent without asking.
  budget.spend(kHalf);
  EXPECT_EQ(asked, 1);
  budget.check_now();
  EXPECT_EQ(asked, 2);
  answer = true;
  EXPECT_THROW(budget.check_now(), StopRequested);
}

}  // namespace
}  // namespace tovrin
