#pragma once

#include <stdexcept>
#include <string>

namespace tovrin {

// A broken internal rule: a state that no input can produce. Apart from StopRequested
// (work_budget.hpp), which only the embedder's stop check asks for, it is the only exception the
// engine throws; the Python binding reports it on standard error and raises PanicException.
class InternalFailure : public std::logic_error {
 public:
  InternalFailure(const std::string& message, const char* file, int line)
      : std::logic_error(message), file_(file), line_(line) {}

  const char* file() const noexcept { return file_; }
  int line() const noexcept { return line_; }

 private:
  const char* file_;
  int line_;
};

[[noreturn]] void throw_internal_failure(const std::string& message, const char* file, int line);

}  // namespace tovrin

#define TOVRIN_INTERNAL_FAILURE(message) \
  ::tovrin::throw_internal_failure((message), __FILE__, __LINE__)
