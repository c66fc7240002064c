#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tovrin/functions.hpp"
#include "tovrin/work_budget.hpp"

// Small builders and probes shared by the tests of the built-in functions.
namespace tovrin::test {

inline Value str(std::string_view text) {
  return Value::owned_string(std::string(text));
}
inline Value arr(std::vector<Value> elements) {
  return Value::Array(std::move(elements));
}
inline Value obj(std::vector<Object::Entry> entries) {
  return Value::Object(Object::from_entries(std::move(entries)));
}

using Builtin = functions::BuiltinResult (*)(functions::Args);

inline functions::BuiltinResult call(Builtin function, const std::vector<Value>& args) {
  return function(functions::Args(args.data(), args.size()));
}

// The displayed error of a failed call, or a marker that the call succeeded.
inline std::string failure(const functions::BuiltinResult& result) {
  if (result) return "<succeeded with " + result->debug() + ">";
  return result.error().to_string();
}

// The debug form of a successful call's value, or the marker of its failure.
inline std::string outcome(const functions::BuiltinResult& result) {
  if (!result) return "<failed: " + result.error().to_string() + ">";
  return result->debug();
}

// The text of a call that must return a string, or a marker of anything else.
inline std::string text_of(const functions::BuiltinResult& result) {
  if (!result) return "<failed: " + result.error().to_string() + ">";
  if (const Text* text = result->as_text()) return std::string(text->view());
  return "<not a string: " + result->debug() + ">";
}

// How often the stop check is asked while `run` runs; the check never asks to stop.
template <class Run>
int stop_checks_during(Run run) {
  static int asked;
  asked = 0;
  const StopCheckScope scope([] {
    ++asked;
    return false;
  });
  run();
  return asked;
}

}  // namespace tovrin::test
