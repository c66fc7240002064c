#pragma once

#include "capi/ref.hpp"

namespace tovrin::capi {

// A class made from its PyType_Spec on first use and kept for the life of the process, shared by
// every module object. Guarded by the interpreter lock, which every user holds; a failed
// creation is not kept, so the next use tries again.
class HeapType {
 public:
  explicit constexpr HeapType(PyType_Spec& type_spec) noexcept : spec_(type_spec) {}

  // The class; null with the error set when it cannot be created.
  PyTypeObject* get() noexcept {
    if (type_ == nullptr) type_ = PyType_FromSpec(&spec_);
    return reinterpret_cast<PyTypeObject*>(type_);
  }

 private:
  PyType_Spec& spec_;
  PyObject* type_ = nullptr;
};

}  // namespace tovrin::capi
