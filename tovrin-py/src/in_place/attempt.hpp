#pragma once

#include <new>
#include <optional>
#include <utility>

#include "tovrin/work_budget.hpp"

namespace tovrin::py {

namespace in_place_detail {

// The stop check while Python values are read in place: it runs no signal handler (whose code
// could change or release the values being read) and gives up the attempt instead.
inline bool give_up() noexcept {
  return true;
}

}  // namespace in_place_detail

// Runs `attempt`, a piece of work that reads Python values in place and returns an optional: a
// result, or nothing when the work must be done on the converting path instead. Nothing the
// attempt does is observable, so giving it up and starting over on the converting path, which
// sees the same values, gives the same outcome.
//
// While it runs no Python code may run: a long attempt that comes to ask the stop check is given
// up, and the stop check of the call (which runs signal handlers) is asked at once, as it would
// have been; the converting path then takes its own time. So that most attempts never come to
// ask it, the stop check is asked first when little of the budget is left; handlers that run
// then run before anything was read.
//
// A failure to allocate gives the attempt up as well; any other exception passes.
template <class Attempt>
auto attempt_in_place(Attempt&& attempt) -> decltype(attempt()) {
  constexpr std::size_t kReserved = WorkBudget::kUnitsPerCheck / 2;
  WorkBudget& budget = WorkBudget::current();
  budget.reserve(kReserved);
  try {
    const StopCheckScope no_python_code(&in_place_detail::give_up, budget);
    return attempt();
  } catch (const StopRequested&) {
  } catch (const std::bad_alloc&) {
  }
  budget.check_now();
  return std::nullopt;
}

}  // namespace tovrin::py
