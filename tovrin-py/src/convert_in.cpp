#include "convert_in.hpp"

#include <algorithm>
#include <optional>

#include "capi/text.hpp"

namespace tovrin::py {

using capi::Raised;
using capi::Ref;

namespace {

// Room reserved for the items of a sequence other than a list or tuple is only a hint from its
// __len__, which may overstate the length by far; the array grows as needed beyond this.
constexpr Py_ssize_t kMaxReservedItems = 4096;

using Converted = Result<PyJsonValue, Raised>;

PyObject* interned(const char* text) {
  PyObject* str = PyUnicode_InternFromString(text);
  if (str == nullptr) TOVRIN_INTERNAL_FAILURE("Failed to create a Python string");
  return str;
}

// collections.abc.Sequence or Mapping, looked up once per process on first need. Guarded by the
// interpreter lock: a failed lookup is not kept, so the next need tries again.
PyObject* abc_class(PyObject*& cache, const char* name) {
  if (cache == nullptr) {
    Ref module = Ref::steal(PyImport_ImportModule("collections.abc"));
    if (module) cache = PyObject_GetAttrString(module.get(), name);
  }
  return cache;
}

PyObject* sequence_abc() {
  static PyObject* cache = nullptr;
  return abc_class(cache, "Sequence");
}

PyObject* mapping_abc() {
  static PyObject* cache = nullptr;
  return abc_class(cache, "Mapping");
}

// isinstance(object, abc); an error in the test goes to the unraisable hook and counts as false.
bool is_instance_of_abc(PyObject* object, PyObject* abc) {
  const int result = abc != nullptr ? PyObject_IsInstance(object, abc) : -1;
  if (result < 0) {
    PyErr_WriteUnraisable(object);
    return false;
  }
  return result == 1;
}

bool text_equals(PyObject* str, std::initializer_list<std::string_view> candidates) {
  if (str == nullptr || !PyUnicode_Check(str)) return false;
  auto text = capi::utf8_view(str);
  if (!text) return false;
  return std::find(candidates.begin(), candidates.end(), *text) != candidates.end();
}

// The truth value of a numpy boolean scalar, recognised by its type's module and name.
std::optional<bool> numpy_bool(PyObject* object) {
  static PyObject* const module_attribute = interned("__module__");
  PyTypeObject* type = Py_TYPE(object);
  Ref module = Ref::steal(PyObject_GetAttr(reinterpret_cast<PyObject*>(type), module_attribute));
  if (!text_equals(module.get(), {"numpy"})) return std::nullopt;
  Ref name = Ref::steal(PyType_GetName(type));
  if (!text_equals(name.get(), {"bool_", "bool"})) return std::nullopt;
  if (type->tp_as_number == nullptr || type->tp_as_number->nb_bool == nullptr) return std::nullopt;
  const int truth = type->tp_as_number->nb_bool(object);
  if (truth < 0) return std::nullopt;
  return truth != 0;
}

// Every failure of a tentative attempt is discarded; the next attempt starts clean.
template <class T>
std::optional<T> unless_raised(T value, T error_value) {
  if (value == error_value && PyErr_Occurred()) {
    PyErr_Clear();
    return std::nullopt;
  }
  return value;
}

[[gnu::noinline]] Converted unsupported(PyObject* object) {
  Ref name = Ref::steal(PyType_GetName(Py_TYPE(object)));
  if (!name) return Err{Raised{}};
  return Err{capi::raise(PyExc_TypeError,
                         "Unsupported type for JSON value: " + capi::lossy_text(name.get()))};
}

// An exact int, which no Python code can take part in converting.
[[gnu::noinline]] Converted convert_exact_int(PyObject* object) {
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(object, &overflow);
  if (overflow == 0) {
    return value >= 0 ? PyJsonValue::UInt(static_cast<std::uint64_t>(value))
                      : PyJsonValue::Int(value);
  }
  if (overflow > 0) {
    if (auto u = unless_raised(PyLong_AsUnsignedLongLong(object), ~0ull)) {
      return PyJsonValue::UInt(*u);
    }
  }
  if (auto d = unless_raised(PyLong_AsDouble(object), -1.0)) return PyJsonValue::Float(*d);
  return unsupported(object);
}

// An exact str; one without a UTF-8 form is not convertible.
[[gnu::noinline]] Converted convert_exact_str(PyObject* object) {
  if (auto text = capi::utf8_view(object)) return PyJsonValue::String(std::string(*text));
  PyErr_Clear();
  return unsupported(object);
}

// The conversion recurses once per level of nesting, so the functions on that path keep their
// frames small: everything else is kept out of line.
class Converter {
 public:
  Converted convert(PyObject* object) {
    if (object == Py_None) return PyJsonValue::Null();
    PyTypeObject* type = Py_TYPE(object);
    if (type == &PyBool_Type) return PyJsonValue::Bool(object == Py_True);
    if (type == &PyFloat_Type) return PyJsonValue::Float(PyFloat_AS_DOUBLE(object));
    if (type == &PyLong_Type) return convert_exact_int(object);
    if (type == &PyUnicode_Type) return convert_exact_str(object);
    if (type == &PyList_Type || type == &PyTuple_Type) return convert_list_or_tuple(object);
    if (type == &PyDict_Type) return convert_mapping(object);
    return convert_any(object);
  }

 private:
  // The attempts in their order, for objects of any type but the exact built-in ones.
  [[gnu::noinline]] Converted convert_any(PyObject* object) {
    if (auto truth = numpy_bool(object)) return PyJsonValue::Bool(*truth);
    PyErr_Clear();

    Ref index = PyLong_Check(object) ? Ref::borrow(object) : Ref::steal(PyNumber_Index(object));
    if (index) {
      if (auto u = unless_raised(PyLong_AsUnsignedLongLong(index.get()), ~0ull)) {
        return PyJsonValue::UInt(*u);
      }
    } else {
      PyErr_Clear();
    }
    // Calls __index__ anew, as the interpreter's signed conversion does.
    if (auto i = unless_raised(PyLong_AsLongLong(object), -1ll)) return PyJsonValue::Int(*i);
    if (auto d = unless_raised(PyFloat_AsDouble(object), -1.0)) return PyJsonValue::Float(*d);

    const bool is_str = PyUnicode_Check(object);
    if (is_str) {
      if (auto text = capi::utf8_view(object)) return PyJsonValue::String(std::string(*text));
      PyErr_Clear();
    }
    if (!is_str && (PyList_Check(object) || PyTuple_Check(object) ||
                    is_instance_of_abc(object, sequence_abc()))) {
      return convert_sequence(object);
    }
    if (PyDict_Check(object) || is_instance_of_abc(object, mapping_abc())) {
      return convert_mapping(object);
    }
    return unsupported(object);
  }

  // Marks a container as being converted for as long as it lives: a container met again on its
  // own path contains itself, and the depth is bounded.
  class Descent {
   public:
    Descent(Converter& converter, PyObject* container) : converter_(converter) {
      auto& path = converter_.path_;
      if (std::find(path.begin(), path.end(), container) != path.end()) {
        PyErr_SetString(PyExc_ValueError, "Circular reference detected");
        return;
      }
      if (path.size() >= kMaxConversionDepth) {
        PyErr_Format(PyExc_RecursionError,
                     "maximum nesting depth of %zu exceeded while converting a Python object",
                     kMaxConversionDepth);
        return;
      }
      path.push_back(container);
      if (Py_EnterRecursiveCall(" while converting a Python object") != 0) {
        path.pop_back();
        return;
      }
      entered_ = true;
    }
    ~Descent() {
      if (!entered_) return;
      converter_.path_.pop_back();
      Py_LeaveRecursiveCall();
    }
    Descent(const Descent&) = delete;
    Descent& operator=(const Descent&) = delete;

    explicit operator bool() const noexcept { return entered_; }

   private:
    Converter& converter_;
    bool entered_ = false;
  };

  // Items are read by position with the length checked at every step, as the list's own
  // iterator does, so a list changed by the conversion of its items is still read safely.
  [[gnu::noinline]] Converted convert_list_or_tuple(PyObject* sequence) {
    Descent descent(*this, sequence);
    if (!descent) return Err{Raised{}};
    const bool is_list = PyList_CheckExact(sequence);
    auto length = [&] { return is_list ? PyList_GET_SIZE(sequence) : PyTuple_GET_SIZE(sequence); };
    PyJsonArray items;
    items.reserve(static_cast<std::size_t>(length()));
    for (Py_ssize_t i = 0; i < length(); ++i) {
      Ref item =
          Ref::borrow(is_list ? PyList_GET_ITEM(sequence, i) : PyTuple_GET_ITEM(sequence, i));
      auto converted = convert(item.get());
      if (!converted) return converted;
      items.push_back(std::move(*converted));
    }
    return PyJsonValue::Array(std::move(items));
  }

  [[gnu::noinline]] Converted convert_sequence(PyObject* sequence) {
    Descent descent(*this, sequence);
    if (!descent) return Err{Raised{}};
    PyJsonArray items;
    const Py_ssize_t reported = PyObject_Size(sequence);
    if (reported < 0) PyErr_Clear();
    items.reserve(static_cast<std::size_t>(std::clamp<Py_ssize_t>(reported, 0, kMaxReservedItems)));
    Ref iterator = Ref::steal(PyObject_GetIter(sequence));
    if (!iterator) return Err{Raised{}};
    while (Ref item = Ref::steal(PyIter_Next(iterator.get()))) {
      auto converted = convert(item.get());
      if (!converted) return converted;
      items.push_back(std::move(*converted));
    }
    if (PyErr_Occurred()) return Err{Raised{}};
    return PyJsonValue::Array(std::move(items));
  }

  [[gnu::noinline]] Converted convert_mapping(PyObject* mapping) {
    Descent descent(*this, mapping);
    if (!descent) return Err{Raised{}};
    const bool exact_dict = PyDict_CheckExact(mapping);
    Ref keys = Ref::steal(exact_dict ? PyDict_Keys(mapping) : PyMapping_Keys(mapping));
    if (!keys) return Err{Raised{}};
    PyJsonObject entries;
    const Py_ssize_t count = PyList_GET_SIZE(keys.get());
    entries.reserve(static_cast<std::size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
      PyObject* key = PyList_GET_ITEM(keys.get(), i);
      if (!PyUnicode_Check(key)) return Err{capi::raise_type_test_failure(key, "str")};
      auto text = capi::utf8_view(key);
      if (!text) return Err{Raised{}};
      std::string name(*text);
      Ref value = exact_dict ? Ref::borrow(PyDict_GetItemWithError(mapping, key))
                             : Ref::steal(PyObject_GetItem(mapping, key));
      if (!value) {
        if (!PyErr_Occurred()) PyErr_SetObject(PyExc_KeyError, key);
        return Err{Raised{}};
      }
      auto converted = convert(value.get());
      if (!converted) return converted;
      entries.insert_or_assign(std::move(name), std::move(*converted));
    }
    return PyJsonValue::Object(std::move(entries));
  }

  std::vector<PyObject*> path_;
};

}  // namespace

Result<PyJsonValue, Raised> json_from_python(PyObject* object) {
  return Converter().convert(object);
}

Result<PyJsonValue, Raised> json_argument(PyObject* object, std::string_view parameter) {
  auto converted = json_from_python(object);
  if (!converted) return Err{capi::reword_argument_error(parameter)};
  return converted;
}

Result<BoundValues, Raised> bindings_argument(PyObject* bindings, std::string_view parameter) {
  if (!PyDict_Check(bindings)) {
    capi::raise_type_test_failure(bindings, "dict");
    return Err{capi::reword_argument_error(parameter)};
  }
  const Py_ssize_t size = PyDict_GET_SIZE(bindings);
  BoundValues values;
  values.reserve(static_cast<std::size_t>(size));
  Py_ssize_t position = 0;
  PyObject* borrowed_key = nullptr;
  PyObject* borrowed_value = nullptr;
  while (PyDict_Next(bindings, &position, &borrowed_key, &borrowed_value)) {
    // The conversion may run Python code that changes the dict; hold what it could release.
    Ref key = Ref::borrow(borrowed_key);
    Ref value = Ref::borrow(borrowed_value);
    if (!PyUnicode_Check(key.get())) {
      capi::raise_type_test_failure(key.get(), "str");
      return Err{capi::reword_argument_error(parameter)};
    }
    auto name = capi::utf8_view(key.get());
    if (!name) return Err{capi::reword_argument_error(parameter)};
    auto converted = json_from_python(value.get());
    if (!converted) return Err{capi::reword_argument_error(parameter)};
    if (PyDict_GET_SIZE(bindings) != size) {
      PyErr_SetString(PyExc_RuntimeError, "dictionary changed size during iteration");
      return Err{Raised{}};
    }
    values.emplace_back(std::string(*name), std::move(*converted));
  }
  return values;
}

}  // namespace tovrin::py
