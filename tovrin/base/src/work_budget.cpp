#include "tovrin/work_budget.hpp"

namespace tovrin {

WorkBudget& WorkBudget::current() noexcept {
  // Constant-initialized, so reaching it needs no guard on any call.
  static constinit thread_local WorkBudget budget;
  return budget;
}

void WorkBudget::renew() {
  left_ = kUnitsPerCheck;
  if (check_ != nullptr && check_()) throw StopRequested{};
}

}  // namespace tovrin
