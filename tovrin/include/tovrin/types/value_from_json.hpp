#pragma once

#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "tovrin/internal_failure.hpp"
#include "tovrin/types/value.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin {

namespace value_from_json_detail {

inline Result<Value, std::string> unsupported() {
  return Err{std::string("Unsupported value type")};
}

// The numeric and null kinds, read the same way by both conversions. Integers above the signed
// range become the nearest double (ties to even).
template <JsonObject V>
std::optional<Value> scalar(const V& value) {
  if (auto i = value.as_i64()) return Value::Int(*i);
  if (auto u = value.as_u64()) return Value::Float(static_cast<double>(*u));
  if (auto f = value.as_f64()) return Value::Float(*f);
  if (auto b = value.as_bool()) return Value::Bool(*b);
  return std::nullopt;
}

// An array or object being converted: the host's elements or entries, read in order, and the
// values made of them so far. It reads spans of borrowed host values, or vectors of owned ones
// whose elements and keys are moved out as they are read.
template <class Elements, class Entries>
class Frame {
 public:
  static Frame array(Elements elements) {
    Frame frame;
    frame.size_ = elements.size();
    frame.array_.reserve(frame.size_);
    frame.elements_ = std::move(elements);
    return frame;
  }
  static Frame object(Entries entries) {
    Frame frame;
    frame.is_object_ = true;
    frame.size_ = entries.size();
    frame.entries_out_.reserve(frame.size_);
    frame.entries_ = std::move(entries);
    return frame;
  }

  bool done() const noexcept { return next_ == size_; }
  // The next element or entry value to convert; the frame moves past it.
  auto& take_next() noexcept {
    const std::size_t at = next_++;
    if (is_object_) return entries_[at].second;
    return elements_[at];
  }
  // Adds the value made of the element or entry value taken last.
  void add(Value value) {
    if (!is_object_) {
      array_.push_back(std::move(value));
      return;
    }
    auto& key = entries_[next_ - 1].first;
    if constexpr (std::is_const_v<std::remove_reference_t<decltype(key)>>) {
      entries_out_.emplace_back(key, std::move(value));
    } else {
      entries_out_.emplace_back(std::move(key), std::move(value));
    }
  }
  Value finish() {
    if (!is_object_) return Value::Array(std::move(array_));
    return Value::Object(tovrin::Object::from_entries(std::move(entries_out_)));
  }

 private:
  Frame() = default;

  bool is_object_ = false;
  std::size_t next_ = 0;
  std::size_t size_ = 0;
  Elements elements_{};
  Entries entries_{};
  tovrin::Array array_;
  std::vector<tovrin::Object::Entry> entries_out_;
};

// What converting one element did: made a value that was added to its container, found a
// container to convert next, or met a host value of no known kind.
template <class F>
struct Step {
  std::optional<F> nested;
  bool unsupported = false;
};

// Converts a container and everything inside it level by level on a stack of frames instead of
// the call stack, so that no nesting depth can exhaust it. `step(frame)` converts the frame's
// next element. Every element spends a unit of work.
template <class F, class StepFn>
Result<Value, std::string> convert_nested(F root, StepFn&& step) {
  std::vector<F> open;  // the frames inside `root`, innermost last
  WorkBudget& budget = WorkBudget::current();
  while (true) {
    F& top = open.empty() ? root : open.back();
    if (top.done()) {
      Value made = top.finish();
      if (open.empty()) return made;
      open.pop_back();
      (open.empty() ? root : open.back()).add(std::move(made));
      continue;
    }
    budget.spend(1);
    Step<F> next = step(top);
    if (next.unsupported) return unsupported();
    if (next.nested) open.push_back(std::move(*next.nested));
  }
}

template <JsonObject V>
using BorrowedFrame = Frame<std::span<const V>, std::span<const std::pair<std::string, V>>>;
template <JsonObject V>
using OwnedFrame = Frame<std::vector<V>, std::vector<std::pair<std::string, V>>>;

// Converts a borrowed host value that is not a container into `made`; otherwise gives the frame
// of the container, or nothing (leaving `made` empty) for a value of no known kind.
template <JsonObject V>
std::optional<BorrowedFrame<V>> borrowed_step(const V& value, std::optional<Value>& made) {
  if (auto text = value.as_str()) {
    made.emplace(Value::borrowed_string(*text));
  } else if (auto number = scalar(value)) {
    made.emplace(std::move(*number));
  } else if (auto elements = value.as_array()) {
    return BorrowedFrame<V>::array(*elements);
  } else if (value.is_null()) {
    made.emplace(Value::Null());
  } else if (auto entries = value.entries()) {
    return BorrowedFrame<V>::object(*entries);
  }
  return std::nullopt;
}

// The same for an owned host value, which is consumed.
template <JsonObject V>
std::optional<OwnedFrame<V>> owned_step(V&& value, std::optional<Value>& made) {
  if (value.is_string()) {
    auto text = std::move(value).into_string();
    if (!text) TOVRIN_INTERNAL_FAILURE("Expected JSON string");
    made.emplace(Value::owned_string(std::move(*text)));
  } else if (auto number = scalar(value)) {
    made.emplace(std::move(*number));
  } else if (value.is_array()) {
    auto elements = std::move(value).into_array();
    if (!elements) TOVRIN_INTERNAL_FAILURE("Expected JSON array");
    return OwnedFrame<V>::array(std::move(*elements));
  } else if (value.is_null()) {
    made.emplace(Value::Null());
  } else if (value.is_object()) {
    auto entries = std::move(value).into_entries();
    if (!entries) TOVRIN_INTERNAL_FAILURE("Expected JSON object");
    return OwnedFrame<V>::object(std::move(*entries));
  }
  return std::nullopt;
}

// One element of a container frame: a value added to the frame, or a nested frame.
template <class F, class StepOne>
Step<F> step_into(F& frame, StepOne&& step_one) {
  std::optional<Value> made;
  auto nested = step_one(frame.take_next(), made);
  if (made) {
    frame.add(std::move(*made));
    return {};
  }
  if (nested) return {std::move(nested), false};
  return {std::nullopt, true};
}

}  // namespace value_from_json_detail

template <JsonObject V>
Result<Value, std::string> Value::from_json_object(V value) {
  using namespace value_from_json_detail;
  std::optional<Value> made;
  auto root = owned_step(std::move(value), made);
  if (made) return std::move(*made);
  if (!root) return unsupported();
  return convert_nested(std::move(*root), [](OwnedFrame<V>& frame) {
    return step_into(frame, [](V& element, std::optional<Value>& out) {
      return owned_step(std::move(element), out);
    });
  });
}

template <JsonObject V>
Result<Value, std::string> Value::from_json_object_ref(const V& value) {
  using namespace value_from_json_detail;
  std::optional<Value> made;
  auto root = borrowed_step(value, made);
  if (made) return std::move(*made);
  if (!root) return unsupported();
  return convert_nested(std::move(*root), [](BorrowedFrame<V>& frame) {
    return step_into(frame, [](const V& element, std::optional<Value>& out) {
      return borrowed_step(element, out);
    });
  });
}

}  // namespace tovrin
