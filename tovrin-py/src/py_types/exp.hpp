#pragma once

#include "capi/ref.hpp"

#include "known_strings.hpp"
#include "tovrin/types/exp.hpp"

namespace tovrin::py {

// The native part of an `Exp` instance: the compiled tree, owning all its text, and the Python
// strings of its object literals' keys. It never changes after construction.
struct PyExp {
  Exp inner;
  KnownStrings keys;
};

// The class `Exp`, created on first use and kept for the life of the process; null with the
// error set when it cannot be created.
PyTypeObject* exp_type();

}  // namespace tovrin::py
