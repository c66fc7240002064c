#pragma once

#include "capi/ref.hpp"

#include "py_types/jsonobj.hpp"

namespace tovrin::py {

// Turns a value into a new Python object: None, bool, int, float, str, or a new list (of exactly
// the value's length) or dict (filled in the map's order). Null with the Python error set when a
// dict cannot take an entry; failing to create an object at all is an internal failure.
capi::Ref json_to_python(PyJsonValue&& value);

}  // namespace tovrin::py
