#include "in_place/object_reader.hpp"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "capi/text.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::py {

namespace {

// The value of an exact int that fits: an integer above the signed range becomes the nearest
// double, as the engine reads the conversion's unsigned integers.
std::optional<Value> int_value(PyObject* integer) {
  const Py_ssize_t digits = Py_SIZE(integer);
  if (digits == 0) return Value::Int(0);
  if (digits == 1 || digits == -1) {
    const auto digit =
        static_cast<std::int64_t>(reinterpret_cast<PyLongObject*>(integer)->ob_digit[0]);
    return Value::Int(digits == 1 ? digit : -digit);
  }
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(integer, &overflow);
  if (overflow == 0) return Value::Int(value);
  if (overflow > 0) {
    const unsigned long long large = PyLong_AsUnsignedLongLong(integer);
    if (large != ~0ull || !PyErr_Occurred()) return Value::Float(static_cast<double>(large));
  }
  PyErr_Clear();
  return std::nullopt;
}

// The value of anything but a container; nothing for a container or a value that does not fit.
std::optional<Value> scalar_value(PyObject* object) {
  PyTypeObject* type = Py_TYPE(object);
  if (type == &PyUnicode_Type) {
    auto text = capi::utf8_view(object);
    if (!text) {
      PyErr_Clear();
      return std::nullopt;
    }
    return Value::borrowed_string(*text);
  }
  if (type == &PyLong_Type) return int_value(object);
  if (type == &PyFloat_Type) return Value::Float(PyFloat_AS_DOUBLE(object));
  if (type == &PyBool_Type) return Value::Bool(object == Py_True);
  if (object == Py_None) return Value::Null();
  return std::nullopt;
}

bool is_container(PyObject* object) {
  return PyDict_CheckExact(object) || PyList_CheckExact(object) || PyTuple_CheckExact(object);
}

// A container being made into a value: its next position, and what was made of its items.
class Building {
 public:
  explicit Building(PyObject* container) : container_(container) {
    if (PyDict_CheckExact(container)) {
      entries_.reserve(static_cast<std::size_t>(PyDict_GET_SIZE(container)));
    } else {
      elements_.reserve(static_cast<std::size_t>(Py_SIZE(container)));
    }
  }

  // The next item; null after the last.
  PyObject* next() {
    if (PyDict_CheckExact(container_)) {
      PyObject* item = nullptr;
      return PyDict_Next(container_, &position_, &key_, &item) ? item : nullptr;
    }
    if (position_ >= Py_SIZE(container_)) return nullptr;
    const Py_ssize_t at = position_++;
    return PyList_CheckExact(container_) ? PyList_GET_ITEM(container_, at)
                                         : PyTuple_GET_ITEM(container_, at);
  }
  // Adds the value of the item taken last; false when its key has no text.
  bool add(Value value) {
    if (!PyDict_CheckExact(container_)) {
      elements_.push_back(std::move(value));
      return true;
    }
    auto name = capi::utf8_view(key_);
    if (!name) {
      PyErr_Clear();
      return false;
    }
    entries_.emplace_back(std::string(*name), std::move(value));
    return true;
  }
  Value finish() {
    if (!PyDict_CheckExact(container_)) return Value::Array(std::move(elements_));
    return Value::Object(tovrin::Object::from_entries(std::move(entries_)));
  }

 private:
  PyObject* container_;
  Py_ssize_t position_ = 0;
  PyObject* key_ = nullptr;  // of the dict item taken last
  tovrin::Array elements_;
  std::vector<tovrin::Object::Entry> entries_;
};

std::optional<Value> container_value(PyObject* root) {
  Building outermost(root);
  std::vector<Building> open;  // the containers inside `outermost` being made, innermost last
  WorkBudget& budget = WorkBudget::current();
  while (true) {
    Building& top = open.empty() ? outermost : open.back();
    PyObject* item = top.next();
    if (item == nullptr) {
      Value made = top.finish();
      if (open.empty()) return made;
      open.pop_back();
      if (!(open.empty() ? outermost : open.back()).add(std::move(made))) return std::nullopt;
      continue;
    }
    budget.spend(1);
    if (auto scalar = scalar_value(item)) {
      if (!top.add(std::move(*scalar))) return std::nullopt;
    } else if (is_container(item)) {
      open.emplace_back(item);
    } else {
      return std::nullopt;
    }
  }
}

}  // namespace

PyObject* find_in_place(PyObject* root, std::span<const VarName> names, PyObject* const* keys) {
  if (keys == nullptr) return nullptr;
  PyObject* current = root;
  for (const VarName& segment : names) {
    // Exact dicts with exact str keys: the lookup compares strings and runs no Python code.
    if (!PyDict_CheckExact(current)) return nullptr;
    current = PyDict_GetItemWithError(current, *keys++);
    if (current == nullptr) {
      PyErr_Clear();
      return nullptr;
    }
    if (segment.index) {
      if (!PyList_CheckExact(current) && !PyTuple_CheckExact(current)) return nullptr;
      if (*segment.index >= static_cast<std::size_t>(Py_SIZE(current))) return nullptr;
      current = PySequence_Fast_ITEMS(current)[*segment.index];
    }
  }
  return current;
}

std::optional<Value> value_in_place(PyObject* object) {
  if (auto scalar = scalar_value(object)) return scalar;
  if (is_container(object)) return container_value(object);
  return std::nullopt;
}

Value InPlaceBindings::read(const VarAccess& access, std::optional<EvalError>& error) const {
  PyObject* found = find_in_place(bindings_, access.names(), keys_.find(access));
  if (found != nullptr) {
    // The kinds most variables hold, read at once.
    PyTypeObject* type = Py_TYPE(found);
    if (type == &PyUnicode_Type && PyUnicode_IS_COMPACT_ASCII(found)) {
      return Value::borrowed_string(
          std::string_view(static_cast<const char*>(PyUnicode_DATA(found)),
                           static_cast<std::size_t>(PyUnicode_GET_LENGTH(found))));
    }
    if (type == &PyLong_Type && Py_SIZE(found) >= 0 && Py_SIZE(found) <= 1) {
      return Value::Int(Py_SIZE(found) == 0 ? 0
                                            : reinterpret_cast<PyLongObject*>(found)->ob_digit[0]);
    }
    if (auto value = value_in_place(found)) return std::move(*value);
  }
  error.emplace(EvalError::VariableAccess{VarAccessError::Empty{}});
  return Value();
}

}  // namespace tovrin::py
