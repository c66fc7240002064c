#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <utility>

namespace tovrin::capi {

// An owned (strong) reference to a Python object, or none. Releasing happens on destruction, so
// no early return can leak a reference. Holding one requires the interpreter lock.
class Ref {
 public:
  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}

  // Takes over a new reference, such as a C-API function returns; null stays null.
  static Ref steal(PyObject* object) noexcept { return Ref(object); }
  // Adds a reference to a borrowed object.
  static Ref borrow(PyObject* object) noexcept {
    Py_XINCREF(object);
    return Ref(object);
  }

  Ref(const Ref& other) noexcept : object_(other.object_) { Py_XINCREF(object_); }
  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~Ref() { Py_XDECREF(object_); }

  PyObject* get() const noexcept { return object_; }
  explicit operator bool() const noexcept { return object_ != nullptr; }

  // Gives the reference away, e.g. as the return value of a C-API callback.
  [[nodiscard]] PyObject* release() noexcept { return std::exchange(object_, nullptr); }

 private:
  explicit Ref(PyObject* object) noexcept : object_(object) {}

  PyObject* object_ = nullptr;
};

}  // namespace tovrin::capi
