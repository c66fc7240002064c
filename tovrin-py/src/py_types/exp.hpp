#pragma once

#include "capi/ref.hpp"

#include "tovrin/types/exp.hpp"

namespace tovrin::py {

// The native part of an `Exp` instance: the compiled tree, owning all its text. It never
// changes after construction.
struct PyExp {
  Exp inner;
};

// The class `Exp`, created on first use and kept for the life of the process; null with the
// error set when it cannot be created.
PyTypeObject* exp_type();

}  // namespace tovrin::py
