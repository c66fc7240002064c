#include "convert_in.hpp"

#include <algorithm>
#include <optional>

#include "capi/stack_room.hpp"
#include "capi/text.hpp"
#include "tovrin/internal_failure.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::py {

using capi::Raised;
using capi::Ref;

namespace {

// Room reserved for the items of a sequence other than a list or tuple is only a hint from its
// __len__, which may overstate the length by far; the array grows as needed beyond this.
constexpr Py_ssize_t kMaxReservedItems = 4096;
// Every so many levels, a container is entered only while this much of the thread's stack is
// left: enough for the levels up to the next check (a level takes well under 1 KiB), the rest of
// the conversion at the deepest one, Python code it runs included, and unwinding.
constexpr std::size_t kStackCheckLevels = 16;
constexpr std::size_t kConversionStackReserve = std::size_t{64} << 10;
// Texts longer than this are copied in slices of this size.
constexpr std::size_t kCopySlice = std::size_t{1} << 20;

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

// Whether the pending exception may be dropped as the failure of a tentative attempt. An
// interrupt (KeyboardInterrupt, SystemExit and anything else not derived from Exception) and
// MemoryError are never dropped: they end the conversion, so a Ctrl-C is not lost.
bool must_propagate_pending() {
  return !PyErr_ExceptionMatches(PyExc_Exception) || PyErr_ExceptionMatches(PyExc_MemoryError);
}

// Drops the failure of a tentative attempt; false when it must end the conversion instead.
bool discard_attempt_failure() {
  if (must_propagate_pending()) return false;
  PyErr_Clear();
  return true;
}

// isinstance(object, abc), or nothing when an error in the test must end the conversion; any
// other error goes to the unraisable hook and counts as false.
std::optional<bool> is_instance_of_abc(PyObject* object, PyObject* abc) {
  const int result = abc != nullptr ? PyObject_IsInstance(object, abc) : -1;
  if (result < 0) {
    if (must_propagate_pending()) return std::nullopt;
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

// The truth value of a numpy boolean scalar, recognised by its type's module and name; nothing
// for any other object, or when the attempt failed (its error may be pending).
std::optional<bool> numpy_bool(PyObject* object) {
  static PyObject* const module_attribute = interned("__module__");
  // Held: reading the attribute may run code that gives the object another class.
  Ref type_object = Ref::borrow(reinterpret_cast<PyObject*>(Py_TYPE(object)));
  auto* type = reinterpret_cast<PyTypeObject*>(type_object.get());
  Ref module = Ref::steal(PyObject_GetAttr(type_object.get(), module_attribute));
  if (!text_equals(module.get(), {"numpy"})) return std::nullopt;
  Ref name = Ref::steal(PyType_GetName(type));
  if (!text_equals(name.get(), {"bool_", "bool"})) return std::nullopt;
  if (type->tp_as_number == nullptr || type->tp_as_number->nb_bool == nullptr) return std::nullopt;
  const int truth = type->tp_as_number->nb_bool(object);
  if (truth < 0) return std::nullopt;
  return truth != 0;
}

// The outcome of a tentative attempt: its value, no value (its failure was discarded, so the next
// attempt starts clean), or a failure that must end the conversion.
template <class T>
struct Attempt {
  std::optional<T> value;
  bool propagate = false;
};

template <class T>
Attempt<T> attempt(T value, T error_value) {
  if (value == error_value && PyErr_Occurred()) return {std::nullopt, !discard_attempt_failure()};
  return {value};
}

// Catches a dict being changed while it is iterated in place, as the dict's own iterator does: a
// change of its size, or more items met than it held at the start (keys were replaced without
// changing the size). Each check sets the RuntimeError that iterator raises and gives false.
class DictIterationCheck {
 public:
  explicit DictIterationCheck(PyObject* dict)
      : dict_(dict), size_(PyDict_GET_SIZE(dict)), left_(size_) {}

  // Before each step.
  bool unchanged_size() const {
    if (PyDict_GET_SIZE(dict_) == size_) return true;
    PyErr_SetString(PyExc_RuntimeError, "dictionary changed size during iteration");
    return false;
  }
  // For each item met.
  bool expected_item() {
    if (left_-- > 0) return true;
    PyErr_SetString(PyExc_RuntimeError, "dictionary keys changed during iteration");
    return false;
  }

 private:
  PyObject* dict_;
  Py_ssize_t size_;
  Py_ssize_t left_;
};

// The containers on the path from the converted root to the current one: a few inline, any
// further ones on the heap.
class ContainerPath {
 public:
  std::size_t size() const noexcept { return size_; }
  bool contains(PyObject* container) const noexcept {
    const std::size_t near = std::min(size_, kInline);
    if (std::find(near_, near_ + near, container) != near_ + near) return true;
    return std::find(far_.begin(), far_.end(), container) != far_.end();
  }
  void push(PyObject* container) {
    if (size_ < kInline) {
      near_[size_] = container;
    } else {
      far_.push_back(container);
    }
    ++size_;
  }
  void pop() noexcept {
    if (--size_ >= kInline) far_.pop_back();
  }

 private:
  static constexpr std::size_t kInline = 32;
  PyObject* near_[kInline];
  std::vector<PyObject*> far_;
  std::size_t size_ = 0;
};

// The conversion recurses once per level of nesting, so the functions on that path keep their
// frames small: everything else is kept out of line. A failed conversion gives Null with
// failed() set and the Python error pending.
class Converter {
 public:
  PyJsonValue convert(PyObject* object) {
    budget_.spend(1);
    PyTypeObject* type = Py_TYPE(object);
    if (type == &PyUnicode_Type) return convert_exact_str(object);
    if (type == &PyLong_Type) return convert_exact_int(object);
    if (object == Py_None) return PyJsonValue::Null();
    if (type == &PyBool_Type) return PyJsonValue::Bool(object == Py_True);
    if (type == &PyFloat_Type) return PyJsonValue::Float(PyFloat_AS_DOUBLE(object));
    if (type == &PyDict_Type) return convert_exact_dict(object);
    if (type == &PyList_Type || type == &PyTuple_Type) return convert_list_or_tuple(object);
    return convert_any(object);
  }

  bool failed() const noexcept { return failed_; }

  // The conversion of an object, run when a container makes its element from it, so that the
  // value is made in the element's place.
  struct InPlace {
    Converter& converter;
    PyObject* object;
    operator PyJsonValue() const { return converter.convert(object); }
  };

 private:
  PyJsonValue fail() {
    failed_ = true;
    return PyJsonValue::Null();
  }

  [[gnu::noinline]] PyJsonValue unsupported(PyObject* object) {
    Ref name = Ref::steal(PyType_GetName(Py_TYPE(object)));
    if (name) {
      capi::raise(PyExc_TypeError,
                  "Unsupported type for JSON value: " + capi::lossy_text(name.get()));
    }
    return fail();
  }

  // An exact int, which no Python code can take part in converting. Most are small enough to
  // be held in one digit, with the sign in the size.
  PyJsonValue convert_exact_int(PyObject* object) {
    const Py_ssize_t digits = Py_SIZE(object);
    if (digits == 0 || digits == 1) {
      return PyJsonValue::UInt(digits == 0 ? 0
                                           : reinterpret_cast<PyLongObject*>(object)->ob_digit[0]);
    }
    if (digits == -1) {
      return PyJsonValue::Int(
          -static_cast<std::int64_t>(reinterpret_cast<PyLongObject*>(object)->ob_digit[0]));
    }
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(object, &overflow);
    if (overflow == 0) {
      return value >= 0 ? PyJsonValue::UInt(static_cast<std::uint64_t>(value))
                        : PyJsonValue::Int(value);
    }
    return convert_large_int(object, overflow);
  }
  [[gnu::noinline]] PyJsonValue convert_large_int(PyObject* object, int overflow) {
    if (overflow > 0) {
      auto u = attempt(PyLong_AsUnsignedLongLong(object), ~0ull);
      if (u.value) return PyJsonValue::UInt(*u.value);
      if (u.propagate) return fail();
    }
    auto d = attempt(PyLong_AsDouble(object), -1.0);
    if (d.value) return PyJsonValue::Float(*d.value);
    if (d.propagate) return fail();
    return unsupported(object);
  }

  // The text of a str, copied. A long text is copied a slice at a time, spending the work of
  // each, so that copying a huge str can be stopped.
  PyJsonValue string_value(std::string_view text) {
    if (text.size() <= kCopySlice) return PyJsonValue::copied_string(text);
    return long_string_value(text);
  }
  [[gnu::noinline]] PyJsonValue long_string_value(std::string_view text) {
    std::string copy;
    copy.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); at += kCopySlice) {
      copy.append(text.substr(at, kCopySlice));
      budget_.spend_bytes(kCopySlice);
    }
    return PyJsonValue::String(std::move(copy));
  }

  // An exact str; one without a UTF-8 form is not convertible.
  PyJsonValue convert_exact_str(PyObject* object) {
    if (auto text = capi::utf8_view(object)) return string_value(*text);
    return unconvertible_str(object);
  }
  [[gnu::noinline]] PyJsonValue unconvertible_str(PyObject* object) {
    if (!discard_attempt_failure()) return fail();
    return unsupported(object);
  }

  // The attempts in their order, for objects of any type but the exact built-in ones. They may
  // run Python code, so the dicts being read in place take their keys first.
  [[gnu::noinline]] PyJsonValue convert_any(PyObject* object) {
    freeze_dict_readings();
    if (auto truth = numpy_bool(object)) return PyJsonValue::Bool(*truth);
    if (PyErr_Occurred() && !discard_attempt_failure()) return fail();

    Ref index = PyLong_Check(object) ? Ref::borrow(object) : Ref::steal(PyNumber_Index(object));
    if (index) {
      auto u = attempt(PyLong_AsUnsignedLongLong(index.get()), ~0ull);
      if (u.value) return PyJsonValue::UInt(*u.value);
      if (u.propagate) return fail();
    } else if (!discard_attempt_failure()) {
      return fail();
    }
    // Calls __index__ anew, as the interpreter's signed conversion does.
    auto i = attempt(PyLong_AsLongLong(object), -1ll);
    if (i.value) return PyJsonValue::Int(*i.value);
    if (i.propagate) return fail();
    auto d = attempt(PyFloat_AsDouble(object), -1.0);
    if (d.value) return PyJsonValue::Float(*d.value);
    if (d.propagate) return fail();

    const bool is_str = PyUnicode_Check(object);
    if (is_str) {
      if (auto text = capi::utf8_view(object)) return string_value(*text);
      if (!discard_attempt_failure()) return fail();
    } else if (PyList_Check(object) || PyTuple_Check(object)) {
      return convert_sequence(object);
    } else {
      const auto sequence = is_instance_of_abc(object, sequence_abc());
      if (!sequence) return fail();
      if (*sequence) return convert_sequence(object);
    }
    if (!PyDict_Check(object)) {
      const auto mapping = is_instance_of_abc(object, mapping_abc());
      if (!mapping) return fail();
      if (!*mapping) return unsupported(object);
    }
    return convert_mapping(object);
  }

  // Marks a container as being converted for as long as it lives: a container met again on its
  // own path contains itself, and the depth is bounded.
  class Descent {
   public:
    Descent(Converter& converter, PyObject* container) : converter_(converter) {
      auto& path = converter_.path_;
      if (path.contains(container)) {
        PyErr_SetString(PyExc_ValueError, "Circular reference detected");
        return;
      }
      if (path.size() >= kMaxConversionDepth) {
        PyErr_Format(PyExc_RecursionError,
                     "maximum nesting depth of %zu exceeded while converting a Python object",
                     kMaxConversionDepth);
        return;
      }
      if (path.size() % kStackCheckLevels == kStackCheckLevels - 1 &&
          capi::stack_room_below(kConversionStackReserve)) {
        PyErr_SetString(PyExc_RecursionError,
                        "maximum recursion depth exceeded while converting a Python object");
        return;
      }
      path.push(container);
      if (Py_EnterRecursiveCall(" while converting a Python object") != 0) {
        path.pop();
        return;
      }
      entered_ = true;
    }
    ~Descent() {
      if (!entered_) return;
      converter_.path_.pop();
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
  [[gnu::noinline]] PyJsonValue convert_list_or_tuple(PyObject* sequence) {
    Descent descent(*this, sequence);
    if (!descent) return fail();
    const bool is_list = PyList_CheckExact(sequence);
    auto length = [&] { return is_list ? PyList_GET_SIZE(sequence) : PyTuple_GET_SIZE(sequence); };
    PyJsonArray items;
    items.reserve(static_cast<std::size_t>(length()));
    for (Py_ssize_t i = 0; i < length(); ++i) {
      Ref item =
          Ref::borrow(is_list ? PyList_GET_ITEM(sequence, i) : PyTuple_GET_ITEM(sequence, i));
      items.emplace_back(InPlace{*this, item.get()});
      if (failed_) return PyJsonValue::Null();
    }
    return PyJsonValue::Array(std::move(items));
  }

  [[gnu::noinline]] PyJsonValue convert_sequence(PyObject* sequence) {
    Descent descent(*this, sequence);
    if (!descent) return fail();
    PyJsonArray items;
    const Py_ssize_t reported = PyObject_Size(sequence);
    if (reported < 0 && !discard_attempt_failure()) return fail();
    items.reserve(static_cast<std::size_t>(std::clamp<Py_ssize_t>(reported, 0, kMaxReservedItems)));
    Ref iterator = Ref::steal(PyObject_GetIter(sequence));
    if (!iterator) return fail();
    while (Ref item = Ref::steal(PyIter_Next(iterator.get()))) {
      items.push_back(convert(item.get()));
      if (failed_) return PyJsonValue::Null();
    }
    if (PyErr_Occurred()) return fail();
    return PyJsonValue::Array(std::move(items));
  }

  // A mapping other than an exact dict is read through the list of its keys taken before any
  // value is converted, so that conversions which change the mapping cannot disturb the reading.
  // The list that keys() returns may be one that the mapping keeps and changes while its values
  // convert, so the keys are read from a private copy, which also keeps every key alive.
  [[gnu::noinline]] PyJsonValue convert_mapping(PyObject* mapping) {
    Descent descent(*this, mapping);
    if (!descent) return fail();
    Ref listed = Ref::steal(PyMapping_Keys(mapping));
    if (!listed) return fail();
    Ref keys = Ref::steal(PyList_AsTuple(listed.get()));
    if (!keys) return fail();
    listed = nullptr;
    const Py_ssize_t count = PyTuple_GET_SIZE(keys.get());
    PyJsonObject entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
      if (!read_entry(mapping, false, PyTuple_GET_ITEM(keys.get(), i), entries)) return fail();
    }
    return PyJsonValue::Object(std::move(entries));
  }

  // One entry of a mapping read by key: the key's text, then its value looked up and converted.
  // The caller keeps the key alive.
  bool read_entry(PyObject* mapping, bool exact_dict, PyObject* key, PyJsonObject& entries) {
    if (!PyUnicode_Check(key)) {
      capi::raise_type_test_failure(key, "str");
      return false;
    }
    auto text = capi::utf8_view(key);
    if (!text) return false;
    std::string name(*text);
    Ref value = exact_dict ? Ref::borrow(PyDict_GetItemWithError(mapping, key))
                           : Ref::steal(PyObject_GetItem(mapping, key));
    if (!value) {
      if (!PyErr_Occurred()) PyErr_SetObject(PyExc_KeyError, key);
      return false;
    }
    PyJsonValue converted = convert(value.get());
    if (failed_) return false;
    entries.insert_or_assign(std::move(name), std::move(converted));
    return true;
  }

  // An exact dict is read in place, entry by entry, while no Python code can run: its exact
  // str keys and the conversion of exact built-in values run none, so the reading sees what a
  // list of its keys taken at the start would give. Before anything that could run Python code
  // (the conversion of another type, a key of another type), every dict being read this way
  // takes the list of its remaining keys and reads on from that list.
  struct DictReading {
    PyObject* dict;
    Py_ssize_t rest_position;  // where the keys not yet read begin
    DictReading* outer;
    std::vector<Ref> rest;
    bool frozen = false;
  };

  void freeze_dict_readings() {
    for (DictReading* reading = readings_; reading != nullptr; reading = reading->outer) {
      if (reading->frozen) continue;
      Py_ssize_t position = reading->rest_position;
      PyObject* key = nullptr;
      PyObject* value = nullptr;
      while (PyDict_Next(reading->dict, &position, &key, &value))
        reading->rest.push_back(Ref::borrow(key));
      reading->frozen = true;
    }
  }

  [[gnu::noinline]] PyJsonValue convert_exact_dict(PyObject* dict) {
    Descent descent(*this, dict);
    if (!descent) return fail();
    PyJsonObject entries;
    entries.reserve(static_cast<std::size_t>(PyDict_GET_SIZE(dict)));
    DictReading reading{dict, 0, readings_, {}};
    readings_ = &reading;
    const bool read = read_in_place(reading, entries) && read_rest(reading, entries);
    readings_ = reading.outer;
    if (!read) return fail();
    return PyJsonValue::Object(std::move(entries));
  }

  bool read_in_place(DictReading& reading, PyJsonObject& entries) {
    Py_ssize_t position = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    // Only a signal handler, run between two values, can change the dict while it is read in
    // place; that is caught as the dict's own iteration catches it.
    DictIterationCheck check(reading.dict);
    while (!reading.frozen) {
      const Py_ssize_t before = position;
      if (!check.unchanged_size()) return false;
      if (!PyDict_Next(reading.dict, &position, &key, &value)) return true;
      if (!check.expected_item()) return false;
      if (!PyUnicode_CheckExact(key)) {
        reading.rest_position = before;
        freeze_dict_readings();
        return true;
      }
      reading.rest_position = position;
      auto text = capi::utf8_view(key);
      if (!text) return false;
      // Held, as its text is: the conversion may run code that removes them from the dict.
      Ref held_key = Ref::borrow(key);
      Ref held_value = Ref::borrow(value);
      // Converted before it is placed, which keeps the call stack of each level of nesting
      // small. Distinct exact str keys have distinct texts, so the key is always new.
      PyJsonValue converted = convert(value);
      if (failed_) return false;
      entries.try_emplace(std::string(*text), std::move(converted));
    }
    return true;
  }

  bool read_rest(DictReading& reading, PyJsonObject& entries) {
    for (const Ref& key : reading.rest) {
      if (!read_entry(reading.dict, true, key.get(), entries)) return false;
    }
    return true;
  }

  // Every value converted spends a unit, so that long conversions check for signals.
  WorkBudget& budget_ = WorkBudget::current();
  ContainerPath path_;
  DictReading* readings_ = nullptr;
  bool failed_ = false;
};

}  // namespace

Result<PyJsonValue, Raised> json_from_python(PyObject* object) {
  Converter converter;
  PyJsonValue converted = converter.convert(object);
  if (converter.failed()) return Err{Raised{}};
  return converted;
}

Result<PyJsonValue, Raised> json_argument(PyObject* object, std::string_view parameter) {
  auto converted = json_from_python(object);
  if (!converted) return Err{capi::reword_argument_error(parameter)};
  return converted;
}

namespace {

// Converts the items of a bindings argument in the dict's order. `bind` is given each name,
// whether it is known to differ from every earlier one, and the value's conversion,
// which runs where the value is made; see bindings_argument.
template <class Bind>
Status<Raised> convert_bindings(PyObject* bindings, std::string_view parameter, Bind&& bind) {
  if (!PyDict_Check(bindings)) {
    capi::raise_type_test_failure(bindings, "dict");
    return Err{capi::reword_argument_error(parameter)};
  }
  Converter converter;
  DictIterationCheck check(bindings);
  bool only_exact_keys = true;
  Py_ssize_t position = 0;
  PyObject* borrowed_key = nullptr;
  PyObject* borrowed_value = nullptr;
  while (true) {
    if (!check.unchanged_size()) return Err{Raised{}};
    if (!PyDict_Next(bindings, &position, &borrowed_key, &borrowed_value)) break;
    if (!check.expected_item()) return Err{Raised{}};
    // The conversion may run Python code that changes the dict; hold what it could release.
    Ref key = Ref::borrow(borrowed_key);
    Ref value = Ref::borrow(borrowed_value);
    if (!PyUnicode_Check(key.get())) {
      capi::raise_type_test_failure(key.get(), "str");
      return Err{capi::reword_argument_error(parameter)};
    }
    auto name = capi::utf8_view(key.get());
    if (!name) return Err{capi::reword_argument_error(parameter)};
    // Distinct exact str keys of one dict have distinct texts; a key of a str subclass may
    // share its text with any other key.
    only_exact_keys = only_exact_keys && PyUnicode_CheckExact(key.get());
    bind(*name, only_exact_keys, Converter::InPlace{converter, value.get()});
    if (converter.failed()) return Err{capi::reword_argument_error(parameter)};
  }
  return Ok{};
}

}  // namespace

Result<BoundValues, Raised> bindings_argument(PyObject* bindings, std::string_view parameter) {
  BoundValues values;
  if (PyDict_Check(bindings)) values.reserve(static_cast<std::size_t>(PyDict_GET_SIZE(bindings)));
  auto converted = convert_bindings(
      bindings, parameter, [&](std::string_view name, bool, Converter::InPlace value) {
        values.emplace_back(std::piecewise_construct, std::forward_as_tuple(name),
                            std::forward_as_tuple(value));
      });
  if (!converted) return Err{converted.error()};
  return values;
}

Status<Raised> bind_arguments(PyObject* bindings, std::string_view parameter,
                              EnvBuilder<PyJsonValue>& builder) {
  if (PyDict_Check(bindings)) builder.reserve(static_cast<std::size_t>(PyDict_GET_SIZE(bindings)));
  return convert_bindings(bindings, parameter,
                          [&](std::string_view name, bool distinct, Converter::InPlace value) {
                            if (distinct) {
                              builder.bind_new(name, value);
                            } else {
                              builder.bind(name, PyJsonValue(value));
                            }
                          });
}

}  // namespace tovrin::py
