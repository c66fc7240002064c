#include "tovrin/types/value.hpp"

#include "tovrin/utils/debug_text.hpp"
#include "tovrin/utils/float_format.hpp"
#include "tovrin/utils/nested_release.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin {

// Values fill the interpreter's stacks, arrays and the literals of every tree.
static_assert(sizeof(Text) == 24 && sizeof(Value) == 32);

std::string_view type_text(Type type) noexcept {
  switch (type) {
    case Type::Int:
      return "int";
    case Type::String:
      return "string";
    case Type::Bool:
      return "bool";
    case Type::Float:
      return "float";
    case Type::Array:
      return "array";
    case Type::Object:
      return "object";
    case Type::Null:
      return "null";
  }
  return "null";
}

Type Value::get_type() const noexcept {
  switch (kind()) {
    case Kind::Int:
      return Type::Int;
    case Kind::Float:
      return Type::Float;
    case Kind::Bool:
      return Type::Bool;
    case Kind::String:
      return Type::String;
    case Kind::Array:
      return Type::Array;
    case Kind::Object:
      return Type::Object;
    case Kind::Null:
      return Type::Null;
  }
  return Type::Null;
}

void Value::release_nested_containers() noexcept {
  tovrin::release_nested_containers(
      *this, [](Value& value) { return value.as_array(); },
      [](Value& value) { return value.as_object(); });
}

void Value::make_owned() {
  switch (kind()) {
    case Kind::String:
      text_.make_owned();
      break;
    case Kind::Array:
      for (auto& element : *as_array())
        element.make_owned();
      break;
    case Kind::Object:
      for (auto& entry : *as_object())
        entry.second.make_owned();
      break;
    default:
      break;
  }
}

void Value::debug_to(std::string& out) const {
  switch (kind()) {
    case Kind::Int:
      out += "Int(";
      out += std::to_string(*as_int());
      out += ')';
      return;
    case Kind::Float:
      out += "Float(";
      append_float(out, *as_float(), FloatStyle::Debug);
      out += ')';
      return;
    case Kind::Bool:
      out += *as_bool() ? "Bool(true)" : "Bool(false)";
      return;
    case Kind::String:
      out += "String(";
      append_debug_quoted(out, string_view());
      out += ')';
      return;
    case Kind::Array: {
      out += "Array([";
      bool first = true;
      WorkBudget& budget = WorkBudget::current();
      for (const auto& element : *as_array()) {
        budget.spend(1);
        if (!first) out += ", ";
        first = false;
        element.debug_to(out);
      }
      out += "])";
      return;
    }
    case Kind::Object: {
      out += "Object({";
      bool first = true;
      WorkBudget& budget = WorkBudget::current();
      for (const auto& [key, value] : *as_object()) {
        budget.spend(1);
        if (!first) out += ", ";
        first = false;
        append_debug_quoted(out, key);
        out += ": ";
        value.debug_to(out);
      }
      out += "})";
      return;
    }
    case Kind::Null:
      out += "Null";
      return;
  }
}

std::string Value::debug() const {
  std::string out;
  debug_to(out);
  return out;
}

bool operator==(const Value& a, const Value& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Value::Kind::Int:
      return *a.as_int() == *b.as_int();
    case Value::Kind::Float:
      return *a.as_float() == *b.as_float();
    case Value::Kind::Bool:
      return *a.as_bool() == *b.as_bool();
    case Value::Kind::String:
      return a.string_view() == b.string_view();
    case Value::Kind::Array: {
      const auto& left = *a.as_array();
      const auto& right = *b.as_array();
      if (left.size() != right.size()) return false;
      WorkBudget& budget = WorkBudget::current();
      for (std::size_t i = 0; i < left.size(); ++i) {
        budget.spend(1);
        if (!(left[i] == right[i])) return false;
      }
      return true;
    }
    case Value::Kind::Object: {
      const auto& left = *a.as_object();
      const auto& right = *b.as_object();
      if (left.size() != right.size()) return false;
      WorkBudget& budget = WorkBudget::current();
      for (auto l = left.begin(), r = right.begin(); l != left.end(); ++l, ++r) {
        budget.spend(1);
        if (l->first != r->first || !(l->second == r->second)) return false;
      }
      return true;
    }
    case Value::Kind::Null:
      return true;
  }
  return false;
}

bool truthy(const Value& value) noexcept {
  switch (value.kind()) {
    case Value::Kind::Int:
      return *value.as_int() != 0;
    case Value::Kind::Float:
      return *value.as_float() != 0.0;
    case Value::Kind::Bool:
      return *value.as_bool();
    case Value::Kind::String:
      return !value.string_view().empty();
    case Value::Kind::Array:
      return !value.as_array()->empty();
    case Value::Kind::Object:
      return !value.as_object()->empty();
    case Value::Kind::Null:
      return false;
  }
  return false;
}

}  // namespace tovrin
