#pragma once

#include "capi/ref.hpp"

#include <exception>
#include <new>
#include <string_view>

#include "tovrin/internal_failure.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::capi {

// The class `pyo3_runtime.PanicException` (derived from BaseException), created once per
// process; null with the error set when it cannot be created.
PyObject* panic_exception_type();

// Writes the report of an internal failure (thread, source position, message) to standard error
// and raises PanicException carrying the message.
void raise_internal_failure(std::string_view message, const char* file, int line);

// The stop check of every call into the module: runs the handlers of signals that arrived since
// the last check, and asks to stop when one of them raised (Ctrl-C raises KeyboardInterrupt).
// Only the main thread runs handlers; elsewhere this never asks to stop.
bool python_signal_raised();

// Runs `body` so that no C++ exception reaches the interpreter: an internal failure (or any
// other unexpected exception) is reported and raised as PanicException, exhausted memory as
// MemoryError; then `on_failure` is returned. Meanwhile long work inside `body` checks for
// signals; when a handler raises, the work stops and that exception is the call's error.
template <class R, class Body>
R guarded(R on_failure, Body&& body) noexcept {
  const StopCheckScope stop_on_signal(&python_signal_raised);
  try {
    return body();
  } catch (const StopRequested&) {
    if (!PyErr_Occurred())
      raise_internal_failure("stopped without a pending exception", nullptr, 0);
  } catch (const InternalFailure& failure) {
    raise_internal_failure(failure.what(), failure.file(), failure.line());
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& unexpected) {
    raise_internal_failure(unexpected.what(), nullptr, 0);
  } catch (...) {
    raise_internal_failure("unknown exception", nullptr, 0);
  }
  return on_failure;
}

}  // namespace tovrin::capi
