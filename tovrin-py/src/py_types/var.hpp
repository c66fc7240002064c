#pragma once

#include "capi/ref.hpp"

#include "in_place/segment_keys.hpp"
#include "tovrin/types/var.hpp"

namespace tovrin::py {

// The native part of a `VarAccess` instance: the compiled accessor, owning its segments, and the
// Python strings of its segments' names. It never changes after construction.
struct PyVarAccess {
  VarAccess inner;
  SegmentKeys keys;
};

// The class `VarAccess`, created on first use and kept for the life of the process; null with
// the error set when it cannot be created.
PyTypeObject* var_access_type();

}  // namespace tovrin::py
