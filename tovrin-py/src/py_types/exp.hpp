#pragma once

#include "capi/ref.hpp"

#include <memory>

#include "in_place/segment_keys.hpp"
#include "known_strings.hpp"
#include "tovrin/types/exp.hpp"

namespace tovrin::py {

// The native part of an `Exp` instance: the compiled tree, owning all its text, and the Python
// strings of its object literals' keys and of its accessors' names. The tree never changes after
// construction; the names' strings are made on the first evaluation (under the interpreter lock,
// running no Python code), so that expressions that are never evaluated do not hold them.
struct PyExp {
  Exp inner;
  KnownStrings keys;
  std::unique_ptr<SegmentKeys> segment_keys;
};

// The class `Exp`, created on first use and kept for the life of the process; null with the
// error set when it cannot be created.
PyTypeObject* exp_type();

}  // namespace tovrin::py
