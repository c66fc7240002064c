#pragma once

#include <string>
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

// A string or scalar element converted in place, which spares the nested call and its result
// for the elements most containers hold; false for any other kind, which takes the full
// conversion.
template <JsonObject V, class Place>
bool place_simple_ref(const V& value, Place&& place) {
  if (auto text = value.as_str()) {
    place(Value::borrowed_string(*text));
    return true;
  }
  if (auto converted = scalar(value)) {
    place(std::move(*converted));
    return true;
  }
  return false;
}

}  // namespace value_from_json_detail

template <JsonObject V>
Result<Value, std::string> Value::from_json_object(V value) {
  if (value.is_string()) {
    auto text = std::move(value).into_string();
    if (!text) TOVRIN_INTERNAL_FAILURE("Expected JSON string");
    return Value::owned_string(std::move(*text));
  }
  if (auto scalar = value_from_json_detail::scalar(value)) return std::move(*scalar);
  if (value.is_array()) {
    auto elements = std::move(value).into_array();
    if (!elements) TOVRIN_INTERNAL_FAILURE("Expected JSON array");
    tovrin::Array out;
    out.reserve(elements->size());
    WorkBudget& budget = WorkBudget::current();
    for (auto& element : *elements) {
      budget.spend(1);
      auto converted = from_json_object(std::move(element));
      if (!converted) return Err{std::move(converted).error()};
      out.push_back(std::move(*converted));
    }
    return Value::Array(std::move(out));
  }
  if (value.is_null()) return Value::Null();
  if (value.is_object()) {
    auto entries = std::move(value).into_entries();
    if (!entries) TOVRIN_INTERNAL_FAILURE("Expected JSON object");
    std::vector<tovrin::Object::Entry> out;
    out.reserve(entries->size());
    WorkBudget& budget = WorkBudget::current();
    for (auto& [key, element] : *entries) {
      budget.spend(1);
      auto converted = from_json_object(std::move(element));
      if (!converted) return Err{std::move(converted).error()};
      out.emplace_back(std::move(key), std::move(*converted));
    }
    return Value::Object(tovrin::Object::from_entries(std::move(out)));
  }
  return value_from_json_detail::unsupported();
}

template <JsonObject V>
Result<Value, std::string> Value::from_json_object_ref(const V& value) {
  if (auto text = value.as_str()) return Value::borrowed_string(*text);
  if (auto scalar = value_from_json_detail::scalar(value)) return std::move(*scalar);
  if (auto elements = value.as_array()) {
    tovrin::Array out;
    out.reserve(elements->size());
    WorkBudget& budget = WorkBudget::current();
    for (const auto& element : *elements) {
      budget.spend(1);
      if (value_from_json_detail::place_simple_ref(
              element, [&](Value&& simple) { out.push_back(std::move(simple)); })) {
        continue;
      }
      auto converted = from_json_object_ref(element);
      if (!converted) return Err{std::move(converted).error()};
      out.push_back(std::move(*converted));
    }
    return Value::Array(std::move(out));
  }
  if (value.is_null()) return Value::Null();
  if (auto entries = value.entries()) {
    std::vector<tovrin::Object::Entry> out;
    out.reserve(entries->size());
    WorkBudget& budget = WorkBudget::current();
    for (const auto& entry : *entries) {
      budget.spend(1);
      // Named through the entry: lambdas cannot capture structured bindings on every compiler.
      const auto& key = entry.first;
      const auto& element = entry.second;
      if (value_from_json_detail::place_simple_ref(
              element, [&](Value&& simple) { out.emplace_back(key, std::move(simple)); })) {
        continue;
      }
      auto converted = from_json_object_ref(element);
      if (!converted) return Err{std::move(converted).error()};
      out.emplace_back(key, std::move(*converted));
    }
    return Value::Object(tovrin::Object::from_entries(std::move(out)));
  }
  return value_from_json_detail::unsupported();
}

}  // namespace tovrin
