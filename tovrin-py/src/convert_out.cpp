#include "convert_out.hpp"

#include "capi/text.hpp"
#include "tovrin/internal_failure.hpp"

namespace tovrin::py {

using capi::Ref;

namespace {

Ref created(PyObject* object) {
  if (object == nullptr) TOVRIN_INTERNAL_FAILURE("Failed to create a Python object");
  return Ref::steal(object);
}

Ref array_to_python(PyJsonArray&& elements) {
  Ref list = created(PyList_New(static_cast<Py_ssize_t>(elements.size())));
  Py_ssize_t index = 0;
  for (auto& element : elements) {
    Ref item = json_to_python(std::move(element));
    if (!item) return nullptr;
    PyList_SET_ITEM(list.get(), index++, item.release());
  }
  if (index != PyList_GET_SIZE(list.get())) {
    TOVRIN_INTERNAL_FAILURE("A list was not filled to the length it was created with");
  }
  return list;
}

// A dict with room for `count` entries, so that filling it never resizes it.
Ref new_dict(std::size_t count) {
  return created(_PyDict_NewPresized(static_cast<Py_ssize_t>(count)));
}

Ref object_to_python(PyJsonObject&& entries) {
  Ref dict = new_dict(entries.size());
  for (auto& [name, element] : entries) {
    Ref value = json_to_python(std::move(element));
    if (!value) return nullptr;
    Ref key = capi::new_str(name);
    if (PyDict_SetItem(dict.get(), key.get(), value.get()) < 0) return nullptr;
  }
  return dict;
}

Ref value_array_to_python(const tovrin::Array& elements, const KnownStrings* keys) {
  Ref list = created(PyList_New(static_cast<Py_ssize_t>(elements.size())));
  Py_ssize_t index = 0;
  for (const auto& element : elements) {
    Ref item = value_to_python(element, keys);
    if (!item) return nullptr;
    PyList_SET_ITEM(list.get(), index++, item.release());
  }
  return list;
}

Ref value_object_to_python(const tovrin::Object& entries, const KnownStrings* keys) {
  Ref dict = new_dict(entries.size());
  for (const auto& [key, element] : entries) {
    Ref value = value_to_python(element, keys);
    if (!value) return nullptr;
    PyObject* known = keys != nullptr ? keys->find(key) : nullptr;
    Ref name = known != nullptr ? Ref::borrow(known) : capi::new_str(key);
    if (PyDict_SetItem(dict.get(), name.get(), value.get()) < 0) return nullptr;
  }
  return dict;
}

}  // namespace

Ref value_to_python(const Value& value, const KnownStrings* keys) {
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
      return value_array_to_python(*value.as_array(), keys);
    case Value::Kind::Object:
      return value_object_to_python(*value.as_object(), keys);
    case Value::Kind::Null:
      return Ref::borrow(Py_None);
  }
  TOVRIN_INTERNAL_FAILURE("A value of no known kind");
}

Ref json_to_python(PyJsonValue&& value) {
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
      return array_to_python(std::move(*value.array_ptr()));
    case PyJsonValue::Kind::Object:
      return object_to_python(std::move(*value.object_ptr()));
  }
  TOVRIN_INTERNAL_FAILURE("A value of no known kind");
}

}  // namespace tovrin::py
