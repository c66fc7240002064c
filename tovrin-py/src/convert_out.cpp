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
        return list_from_values(*value.as_array());
      case Value::Kind::Object:
        return dict_from_values(*value.as_object());
      case Value::Kind::Null:
        return Ref::borrow(Py_None);
    }
    TOVRIN_INTERNAL_FAILURE("A value of no known kind");
  }

  Ref from_json(PyJsonValue&& value) {
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
        return list_from_json(std::move(*value.array_ptr()));
      case PyJsonValue::Kind::Object:
        return dict_from_json(std::move(*value.object_ptr()));
    }
    TOVRIN_INTERNAL_FAILURE("A value of no known kind");
  }

 private:
  Ref list_from_json(PyJsonArray&& elements) {
    Ref list = created(PyList_New(static_cast<Py_ssize_t>(elements.size())));
    WorkBudget& budget = this->budget();
    Py_ssize_t index = 0;
    for (auto& element : elements) {
      budget.spend(1);
      Ref item = from_json(std::move(element));
      if (!item) return nullptr;
      PyList_SET_ITEM(list.get(), index++, item.release());
    }
    if (index != PyList_GET_SIZE(list.get())) {
      TOVRIN_INTERNAL_FAILURE("A list was not filled to the length it was created with");
    }
    return list;
  }

  Ref dict_from_json(PyJsonObject&& entries) {
    Ref dict = new_dict(entries.size());
    WorkBudget& budget = this->budget();
    for (auto& [name, element] : entries) {
      budget.spend(1);
      Ref value = from_json(std::move(element));
      if (!value) return nullptr;
      Ref key = capi::new_str(name);
      if (PyDict_SetItem(dict.get(), key.get(), value.get()) < 0) return nullptr;
    }
    return dict;
  }

  Ref list_from_values(const tovrin::Array& elements) {
    Ref list = created(PyList_New(static_cast<Py_ssize_t>(elements.size())));
    WorkBudget& budget = this->budget();
    Py_ssize_t index = 0;
    for (const auto& element : elements) {
      budget.spend(1);
      Ref item = from_value(element);
      if (!item) return nullptr;
      PyList_SET_ITEM(list.get(), index++, item.release());
    }
    return list;
  }

  Ref dict_from_values(const tovrin::Object& entries) {
    Ref dict = new_dict(entries.size());
    WorkBudget& budget = this->budget();
    for (const auto& [key, element] : entries) {
      budget.spend(1);
      Ref value = from_value(element);
      if (!value) return nullptr;
      PyObject* known = keys_ != nullptr ? keys_->find(key) : nullptr;
      Ref name = known != nullptr ? Ref::borrow(known) : capi::new_str(key);
      if (PyDict_SetItem(dict.get(), name.get(), value.get()) < 0) return nullptr;
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
