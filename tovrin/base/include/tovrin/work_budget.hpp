#pragma once

#include <cstddef>

// How a long operation of the engine can be asked to stop. The engine runs entirely on the
// calling thread; its long loops spend units of work from that thread's budget, and whenever a
// budget is used up the embedder's stop check, if one is installed, is asked whether to go on.
// The check is thus asked at bounded intervals, at the cost of a decrement per unit in between.
namespace tovrin {

// Thrown out of the engine when the stop check asks the running operation to stop. It carries
// nothing: the embedder knows why it asked (the Python binding leaves the exception of a signal
// handler pending). Every engine operation releases what it holds as the exception passes.
struct StopRequested {};

// The embedder's answer to "should the running operation stop now?". It may take its time (run
// signal handlers, say), but must not throw.
using StopCheck = bool (*)();

// The units of work that the calling thread may spend before its stop check is asked again.
// A unit is a small fixed piece of work: one step of the interpreter or of a parser, one value
// converted, copied, compared or rendered, one char of a pattern search, kBytesPerUnit bytes of
// text scanned.
class WorkBudget {
 public:
  static constexpr std::size_t kUnitsPerCheck = 4096;
  static constexpr std::size_t kBytesPerUnit = 64;

  // The calling thread's budget. Loops that spend on every step keep the reference.
  static WorkBudget& current() noexcept;

  // Spends `units`; asks the stop check when the budget runs out, throwing StopRequested when it
  // answers yes.
  void spend(std::size_t units) {
    if (units < left_) {
      left_ -= units;
    } else {
      renew();
    }
  }
  void spend_bytes(std::size_t bytes) { spend(bytes / kBytesPerUnit); }

  // Asks the stop check now (which may throw StopRequested) and starts a full budget.
  void check_now() { renew(); }
  // Asks the stop check now unless more than `units` (at most kUnitsPerCheck) are left, so that
  // the next `units` can be spent without asking it.
  void reserve(std::size_t units) {
    if (left_ <= units) renew();
  }

 private:
  friend class StopCheckScope;
  constexpr WorkBudget() noexcept = default;

  void renew();

  std::size_t left_ = kUnitsPerCheck;
  StopCheck check_ = nullptr;
};

// Spends from the calling thread's budget (see WorkBudget::spend).
inline void spend_work(std::size_t units = 1) {
  WorkBudget::current().spend(units);
}
inline void spend_text_work(std::size_t bytes) {
  WorkBudget::current().spend_bytes(bytes);
}

// Installs a stop check for the calling thread for as long as the scope lives; the check that
// was installed before (if any) comes back afterwards, so scopes may nest.
class StopCheckScope {
 public:
  // `budget` is the calling thread's, for a caller that holds it already.
  explicit StopCheckScope(StopCheck check, WorkBudget& budget = WorkBudget::current()) noexcept
      : budget_(budget), previous_(budget_.check_) {
    budget_.check_ = check;
  }
  ~StopCheckScope() { budget_.check_ = previous_; }
  StopCheckScope(const StopCheckScope&) = delete;
  StopCheckScope& operator=(const StopCheckScope&) = delete;

 private:
  WorkBudget& budget_;
  StopCheck previous_;
};

}  // namespace tovrin
