#include "convert_out.hpp"

#include "capi/text.hpp"
#include "tovrin/internal_failure.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::py {

using capi::Ref;

namespace {

Ref created(PyObject* object) {
  if (object == nullptr) TOVRIN_INTERNAL_FAILURE("Failed to create a Python object");
  return Ref::steal(object);
}

// A dict with room for `count` entries, so that filling it never resizes it.
Ref new_dict(std::size_t count) {
  return created(_PyDict_NewPresized(static_cast<Py_ssize_t>(count)));
}

// Makes the Python objects of one result. Every element and entry made spends a unit of work,
// so that making a large result can be stopped; a list left partly filled on the way is
// released like any other.
class ObjectMaker {
 public:
  explicit ObjectMaker(const KnownStrings* keys = nullptr) : keys_(keys) {}

  Ref from_value(const Value& value) {
    const auto make = [this](const Value& element) { return from_value(element); };
    switch (value.kind()) {
      case Value::Kind::Int:
        return created(PyLong_FromLongLong(*value.as_int()));
      case Value::Kind::Float:
        return created(PyFloat_FromDouble(*value.as_float()));
      case Value::Kind::Bool:
        return Ref::borrow(*value.as_bool() ? Py_True : Py_False);
      case Value::Kind::String:
        return capi::new_str(value.string_view());
      case Value::Kind::Array:
        return list_of(*value.as_array(), make);
      case Value::Kind::Object:
        return dict_of(*value.as_object(), make, [this](std::string_view name) {
          PyObject* known = keys_ != nullptr ? keys_->find(name) : nullptr;
          return known != nullptr ? Ref::borrow(known) : capi::new_str(name);
        });
      case Value::Kind::Null:
        return Ref::borrow(Py_None);
    }
    TOVRIN_INTERNAL_FAILURE("A value of no known kind");
  }

  Ref from_json(PyJsonValue&& value) {
    const auto make = [this](PyJsonValue& element) { return from_json(std::move(element)); };
    switch (value.kind()) {
      case PyJsonValue::Kind::Null:
        return Ref::borrow(Py_None);
      case PyJsonValue::Kind::Bool:
        return Ref::borrow(*value.as_bool() ? Py_True : Py_False);
      case PyJsonValue::Kind::UInt:
        return created(PyLong_FromUnsignedLongLong(*value.as_u64()));
      case PyJsonValue::Kind::Int:
        return created(PyLong_FromLongLong(*value.as_i64()));
      case PyJsonValue::Kind::Float:
        return created(PyFloat_FromDouble(*value.as_f64()));
      case PyJsonValue::Kind::String:
        return capi::new_str(*value.as_str());
      case PyJsonValue::Kind::Array:
        return list_of(*value.array_ptr(), make);
      case PyJsonValue::Kind::Object:
        return dict_of(*value.object_ptr(), make, capi::new_str);
    }
    TOVRIN_INTERNAL_FAILURE("A value of no known kind");
  }

 private:
  // Lists and dicts are made out of line, so that making a leaf (as most values are) takes a
  // small frame.

  // A list of what `make` makes of each element, in order.
  template <class Elements, class Make>
  [[gnu::noinline]] Ref list_of(Elements& elements, Make make) {
    Ref list = created(PyList_New(static_cast<Py_ssize_t>(elements.size())));
    WorkBudget& budget = this->budget();
    Py_ssize_t index = 0;
    for (auto& element : elements) {
      budget.spend(1);
      Ref item = make(element);
      if (!item) return nullptr;
      PyList_SET_ITEM(list.get(), index++, item.release());
    }
    if (index != PyList_GET_SIZE(list.get())) {
      TOVRIN_INTERNAL_FAILURE("A list was not filled to the length it was created with");
    }
    return list;
  }

  // A dict of what `make` makes of each entry's value, stored in the entries' order under the
  // key that `make_key` makes of its name, each value made before its key.
  template <class Entries, class Make, class MakeKey>
  [[gnu::noinline]] Ref dict_of(Entries& entries, Make make, MakeKey make_key) {
    Ref dict = new_dict(entries.size());
    WorkBudget& budget = this->budget();
    for (auto& [name, element] : entries) {
      budget.spend(1);
      Ref value = make(element);
      if (!value) return nullptr;
      Ref key = make_key(name);
      if (PyDict_SetItem(dict.get(), key.get(), value.get()) < 0) return nullptr;
    }
    return dict;
  }

  // Looked up once, and only for a result that holds containers.
  WorkBudget& budget() {
    if (budget_ == nullptr) budget_ = &WorkBudget::current();
    return *budget_;
  }

  const KnownStrings* keys_;
  WorkBudget* budget_ = nullptr;
};

}  // namespace

Ref value_to_python(const Value& value, const KnownStrings* keys) {
  return ObjectMaker(keys).from_value(value);
}

Ref json_to_python(PyJsonValue&& value) {
  return ObjectMaker().from_json(std::move(value));
}

}  // namespace tovrin::py
