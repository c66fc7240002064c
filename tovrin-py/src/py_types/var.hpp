#pragma once

#include "capi/ref.hpp"

#include "tovrin/types/var.hpp"

namespace tovrin::py {

// The native part of a `VarAccess` instance: the compiled accessor, owning its segments. It
// never changes after construction.
struct PyVarAccess {
  VarAccess inner;
};

// The class `VarAccess`, created on first use and kept for the life of the process; null with
// the error set when it cannot be created.
PyTypeObject* var_access_type();

}  // namespace tovrin::py
