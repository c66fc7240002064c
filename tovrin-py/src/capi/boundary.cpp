#include "capi/boundary.hpp"

#include <pthread.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "capi/text.hpp"

namespace tovrin::capi {

namespace {

constexpr const char* kPanicDoc =
    "\nThe exception raised when a broken internal rule is detected inside the tovrin "
    "module.\n\nLike SystemExit, this exception is derived from BaseException so that\nit will "
    "typically propagate all the way through the stack and cause the\nPython interpreter to "
    "exit.\n";

std::string thread_name() {
  char name[64] = {};
  if (pthread_getname_np(pthread_self(), name, sizeof name) != 0 || name[0] == '\0') {
    return "<unnamed>";
  }
  return name;
}

void write_report(std::string_view message, const char* file, int line) {
  std::string report = "thread '" + thread_name() + "' (" + std::to_string(gettid()) +
                       ") hit an internal failure at ";
  report += file != nullptr ? std::string(file) + ":" + std::to_string(line) : "<unknown>";
  report += ":\n";
  report += message;
  report += '\n';
  std::fwrite(report.data(), 1, report.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

PyObject* panic_exception_type() {
  // Guarded by the interpreter lock, which every caller holds; creating the class runs no
  // Python code that could release it.
  static PyObject* type = nullptr;
  if (type == nullptr) {
    type = PyErr_NewExceptionWithDoc("pyo3_runtime.PanicException", kPanicDoc, PyExc_BaseException,
                                     nullptr);
  }
  return type;
}

bool python_signal_raised() {
  // An exception already pending ends the work as well: handlers must not run on top of it.
  return PyErr_Occurred() != nullptr || PyErr_CheckSignals() != 0;
}

void raise_internal_failure(std::string_view message, const char* file, int line) {
  write_report(message, file, line);
  PyObject* type = panic_exception_type();
  if (type == nullptr) return;
  Ref text = Ref::steal(
      PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
  if (!text) return;
  PyErr_SetObject(type, text.get());
}

}  // namespace tovrin::capi
