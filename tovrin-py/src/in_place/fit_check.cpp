#include "in_place/fit_check.hpp"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "convert_in.hpp"
#include "tovrin/utils/inline_stack.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::py {

namespace {

// Checking a value costs a small part of converting it (a type test, at most a range test), so
// a unit of work covers this many values: the stop check is asked about as often in time.
constexpr unsigned kValuesPerUnit = 16;

enum class Fit { Scalar, Container, No };

// An exact str that has a UTF-8 form. That form is kept by the str once made, as the
// conversion would make and keep it.
[[gnu::noinline]] bool non_ascii_str_fits(PyObject* str) {
  Py_ssize_t size = 0;
  if (PyUnicode_AsUTF8AndSize(str, &size) != nullptr) return true;
  PyErr_Clear();
  return false;
}
inline bool str_fits(PyObject* str) {
  return PyUnicode_IS_COMPACT_ASCII(str) || non_ascii_str_fits(str);
}

// An exact int from -2^63 to 2^64 - 1, which the conversion keeps as an integer.
[[gnu::noinline]] bool large_int_fits(PyObject* integer) {
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(integer, &overflow);
  if (overflow == 0) return value != -1 || !PyErr_Occurred();
  if (overflow < 0) return false;
  if (PyLong_AsUnsignedLongLong(integer) != ~0ull || !PyErr_Occurred()) return true;
  PyErr_Clear();
  return false;
}
inline bool int_fits(PyObject* integer) {
  // Up to two digits of 30 bits, with the sign in the size.
  const Py_ssize_t digits = Py_SIZE(integer);
  return (digits >= -2 && digits <= 2) || large_int_fits(integer);
}

inline Fit fit_of(PyObject* value) {
  PyTypeObject* type = Py_TYPE(value);
  if (type == &PyLong_Type) return int_fits(value) ? Fit::Scalar : Fit::No;
  if (type == &PyUnicode_Type) return str_fits(value) ? Fit::Scalar : Fit::No;
  if (value == Py_None || type == &PyBool_Type || type == &PyFloat_Type) return Fit::Scalar;
  if (type == &PyDict_Type || type == &PyList_Type || type == &PyTuple_Type) return Fit::Container;
  return Fit::No;
}

// A container being checked and the position of its next item: a dict, read entry by entry, or
// the items of a list or tuple, which nothing can change while they are checked.
struct Level {
  PyObject* dict;  // null for a list or tuple
  PyObject** items;
  Py_ssize_t size;
  Py_ssize_t position;
};

class FitCheck {
 public:
  // Whether `value`, at the top of a conversion, fits.
  bool fits(PyObject* value) {
    switch (fit_of(value)) {
      case Fit::Scalar:
        return true;
      case Fit::No:
        return false;
      case Fit::Container:
        return container_fits(value);
    }
    return false;
  }

  // The key of a dict entry: an exact str with a UTF-8 form.
  static bool key_fits(PyObject* key) { return PyUnicode_CheckExact(key) && str_fits(key); }

  void count_value() {
    if (--values_left_ == 0) {
      values_left_ = kValuesPerUnit;
      // Looked up only when needed: checking a few values spends nothing.
      if (budget_ == nullptr) budget_ = &WorkBudget::current();
      budget_->spend(1);
    }
  }

 private:
  [[gnu::noinline]] bool container_fits(PyObject* value) {
    if (!enter(value)) return false;
    while (!levels_.empty()) {
      Level& level = levels_.top();
      PyObject* item = nullptr;
      if (level.dict != nullptr) {
        PyObject* key = nullptr;
        if (!PyDict_Next(level.dict, &level.position, &key, &item)) {
          levels_.pop();
          continue;
        }
        if (!key_fits(key)) return false;
      } else {
        if (level.position == level.size) {
          levels_.pop();
          continue;
        }
        item = level.items[level.position++];
      }
      count_value();
      switch (fit_of(item)) {
        case Fit::Scalar:
          continue;
        case Fit::No:
          return false;
        case Fit::Container:
          if (!enter(item)) return false;
      }
    }
    return true;
  }

  // Opens a container one level deeper than the current one. The conversion enters the
  // interpreter's recursion check once per level and fails from the level where it has no
  // room left; it also refuses levels beyond its own bound. A container that contains itself
  // nests without end, so it is refused here by depth alone.
  bool enter(PyObject* container) {
    if (!depth_limit_) {
      const int room = PyThreadState_Get()->recursion_remaining;
      depth_limit_ =
          std::min<std::size_t>(kMaxConversionDepth, static_cast<std::size_t>(std::max(room, 0)));
    }
    if (levels_.size() >= *depth_limit_) return false;
    if (PyDict_CheckExact(container)) {
      levels_.push(Level{container, nullptr, 0, 0});
    } else if (PyList_CheckExact(container)) {
      levels_.push(Level{nullptr, PySequence_Fast_ITEMS(container), PyList_GET_SIZE(container), 0});
    } else {
      levels_.push(
          Level{nullptr, PySequence_Fast_ITEMS(container), PyTuple_GET_SIZE(container), 0});
    }
    return true;
  }

  WorkBudget* budget_ = nullptr;
  unsigned values_left_ = kValuesPerUnit;
  std::optional<std::size_t> depth_limit_;  // found when the first container is met
  InlineStack<Level, 32> levels_;
};

}  // namespace

bool bindings_fit_in_place(PyObject* bindings) {
  if (!PyDict_CheckExact(bindings)) return false;
  FitCheck check;
  Py_ssize_t position = 0;
  PyObject* name = nullptr;
  PyObject* value = nullptr;
  while (PyDict_Next(bindings, &position, &name, &value)) {
    check.count_value();
    if (!FitCheck::key_fits(name) || !check.fits(value)) return false;
  }
  return true;
}

bool value_fits_in_place(PyObject* value) {
  return FitCheck().fits(value);
}

}  // namespace tovrin::py
