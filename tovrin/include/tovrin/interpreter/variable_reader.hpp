#pragma once

#include <optional>

#include "tovrin/errors.hpp"
#include "tovrin/types/value.hpp"
#include "tovrin/types/var.hpp"

namespace tovrin::interpreter {

// What reads the variables of an evaluation: `read` gives the value of one variable node, whose
// strings may borrow from what the reader reads. On failure it gives null and leaves the failure
// in `error`. The reader is handed to the evaluation by reference and must outlive it.
class VariableReader {
 public:
  virtual Value read(const VarAccess& access, std::optional<EvalError>& error) const = 0;

 protected:
  VariableReader() = default;
  VariableReader(const VariableReader&) = default;
  VariableReader& operator=(const VariableReader&) = default;
  ~VariableReader() = default;
};

}  // namespace tovrin::interpreter
