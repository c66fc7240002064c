#pragma once

#include "capi/ref.hpp"

#include <new>
#include <type_traits>
#include <utility>

namespace tovrin::capi {

// The layout of an instance of a class whose native part is a C++ value: the object header,
// then the value, constructed when the instance is created and destroyed when it is released.
// The classes hold no Python references, so they take no part in garbage collection.
template <class Native>
struct NativeObject {
  PyObject_HEAD Native native;

  static constexpr Py_ssize_t kBasicSize = sizeof(NativeObject);

  static bool is_instance(PyObject* object, PyTypeObject* type) noexcept {
    return PyObject_TypeCheck(object, type);
  }
  static Native& of(PyObject* self) noexcept {
    return reinterpret_cast<NativeObject*>(self)->native;
  }

  // A new instance of `type` that takes over `value`; null with the error set when the
  // interpreter cannot allocate it (the value is then released with the caller's copy).
  static Ref create(PyTypeObject* type, Native&& value) {
    static_assert(std::is_nothrow_move_constructible_v<Native>);
    Ref object = Ref::steal(type->tp_alloc(type, 0));
    if (object) new (&of(object.get())) Native(std::move(value));
    return object;
  }

  // The tp_dealloc slot.
  static void dealloc(PyObject* self) noexcept {
    PyTypeObject* type = Py_TYPE(self);
    of(self).~Native();
    type->tp_free(self);
    Py_DECREF(type);  // instances of heap types hold a reference to their class
  }
};

}  // namespace tovrin::capi
