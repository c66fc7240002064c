#pragma once

#include "capi/ref.hpp"

#include "known_strings.hpp"
#include "py_types/jsonobj.hpp"
#include "tovrin/types/value.hpp"

namespace tovrin::py {

// Turns a value into a new Python object: None, bool, int, float, str, or a new list (of exactly
// the value's length) or dict (filled in the map's order). Null with the Python error set when a
// dict cannot take an entry; failing to create an object at all is an internal failure.
capi::Ref json_to_python(PyJsonValue&& value);

// The same Python object as json_to_python(PyJsonValue::from_value(value)) gives, made straight
// from the engine's value: integers as int, objects as dicts in the value's key order. Keys found
// in `keys` are taken from there.
capi::Ref value_to_python(const Value& value, const KnownStrings* keys = nullptr);

}  // namespace tovrin::py
