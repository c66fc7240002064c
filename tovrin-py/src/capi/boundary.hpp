#pragma once

#include "capi/ref.hpp"

#include <exception>
#include <new>
#include <string_view>

#include "tovrin/internal_failure.hpp"

namespace tovrin::capi {

// The class `pyo3_runtime.PanicException` (derived from BaseException), created once per
// process; null with the error set when it cannot be created.
PyObject* panic_exception_type();

// Writes the report of an internal failure (thread, source position, message) to standard error
// and raises PanicException carrying the message.
void raise_internal_failure(std::string_view message, const char* file, int line);

// Runs `body` so that no C++ exception reaches the interpreter: an internal failure (or any
// other unexpected exception) is reported and raised as PanicException, exhausted memory as
// MemoryError; then `on_failure` is returned.
template <class R, class Body>
R guarded(R on_failure, Body&& body) noexcept {
  try {
    return body();
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
