#include "py_types/jsonobj.hpp"

#include "tovrin/types/json_object.hpp"
#include "tovrin/utils/debug_text.hpp"
#include "tovrin/utils/float_format.hpp"
#include "tovrin/utils/nested_release.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::py {

static_assert(JsonObject<PyJsonValue>);

void PyJsonValue::release_nested_containers() noexcept {
  tovrin::release_nested_containers(
      *this, [](PyJsonValue& value) { return value.array_ptr(); },
      [](PyJsonValue& value) { return value.object_ptr(); });
}

PyJsonValue PyJsonValue::from_value(Value value) {
  switch (value.kind()) {
    case Value::Kind::Int:
      return Int(*value.as_int());
    case Value::Kind::Float:
      return Float(*value.as_float());
    case Value::Kind::Bool:
      return Bool(*value.as_bool());
    case Value::Kind::String:
      return String(std::move(*value.as_text()).into_string());
    case Value::Kind::Array: {
      auto& elements = *value.as_array();
      PyJsonArray out;
      out.reserve(elements.size());
      for (auto& element : elements)
        out.push_back(from_value(std::move(element)));
      return Array(std::move(out));
    }
    case Value::Kind::Object: {
      auto& entries = *value.as_object();
      PyJsonObject out;
      out.reserve(entries.size());
      for (auto& [key, element] : entries) {
        // Mutable iteration of the sorted map hands out const-free keys only so that they can
        // be moved out of a map that is about to be released. Its keys are unique.
        out.append_new(std::move(key), from_value(std::move(element)));
      }
      return Object(std::move(out));
    }
    case Value::Kind::Null:
      return Null();
  }
  return Null();
}

std::optional<std::vector<PyJsonEntry>> PyJsonValue::into_entries() && {
  auto* object = object_ptr();
  if (object == nullptr) return std::nullopt;
  return std::move(*object).take_entries();
}

void PyJsonValue::debug_to(std::string& out) const {
  switch (kind()) {
    case Kind::Null:
      out += "Null";
      return;
    case Kind::Bool:
      out += *std::get_if<1>(&storage_) ? "Bool(true)" : "Bool(false)";
      return;
    case Kind::UInt:
      out += "UInt(";
      out += std::to_string(*std::get_if<2>(&storage_));
      out += ')';
      return;
    case Kind::Int:
      out += "Int(";
      out += std::to_string(*std::get_if<3>(&storage_));
      out += ')';
      return;
    case Kind::Float:
      out += "Float(";
      append_float(out, *std::get_if<4>(&storage_), FloatStyle::Debug);
      out += ')';
      return;
    case Kind::String:
      out += "String(";
      append_debug_quoted(out, *std::get_if<5>(&storage_));
      out += ')';
      return;
    case Kind::Array: {
      out += "Array([";
      const char* separator = "";
      WorkBudget& budget = WorkBudget::current();
      for (const auto& element : *array_ptr()) {
        budget.spend(1);
        out += separator;
        separator = ", ";
        element.debug_to(out);
      }
      out += "])";
      return;
    }
    case Kind::Object: {
      out += "Object({";
      const char* separator = "";
      WorkBudget& budget = WorkBudget::current();
      for (const auto& [key, element] : object_ptr()->values_container()) {
        budget.spend(1);
        out += separator;
        separator = ", ";
        append_debug_quoted(out, key);
        out += ": ";
        element.debug_to(out);
      }
      out += "})";
      return;
    }
  }
}

std::string PyJsonValue::debug() const {
  std::string out;
  debug_to(out);
  return out;
}

}  // namespace tovrin::py
