#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "support/exp_builders.hpp"
#include "support/json.hpp"
#include "tovrin/interpreter.hpp"

namespace tovrin::testing {

// Evaluates trees against HostValue bindings and a small table of test functions:
//   count(...)  the number of its arguments
//   one(x)      x itself; fails with an argument-count error for any other count
//   echo(...)   its arguments as an array (copies that may still borrow their text)
//   boom()      fails with the custom error "boom"
//   later()     an asynchronous function, which must never run
class EvalTest : public ::testing::Test {
 protected:
  EvalTest();

  void bind(std::string name, std::string_view json_text);
  // Evaluates against the built-in functions instead of the test functions.
  void use_builtins() { use_builtins_ = true; }
  Env<HostValue> env() const;

  interpreter::EvalResult eval(const Exp& exp) const;
  // The result's debug form, or the error's message.
  std::string outcome(const Exp& exp) const;

  bool async_called = false;

 private:
  FunctionTable functions_;
  bool use_builtins_ = false;
  std::vector<std::pair<std::string, HostValue>> bindings_;
  mutable std::deque<Env<HostValue>> envs_;  // kept alive for borrowed results
};

}  // namespace tovrin::testing
