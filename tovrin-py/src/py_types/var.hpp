#pragma once

#include "capi/ref.hpp"

namespace tovrin::py {

// The class `VarAccess`, created on first use and kept for the life of the process; null with
// the error set when it cannot be created.
PyTypeObject* var_access_type();

}  // namespace tovrin::py
