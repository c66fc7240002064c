#pragma once

#include "capi/exceptions.hpp"
#include "capi/ref.hpp"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "py_types/jsonobj.hpp"
#include "tovrin/result.hpp"
#include "tovrin/types/env.hpp"

namespace tovrin::py {

// Containers may be nested this deep in a converted Python object. The interpreter's recursion
// limit applies as well; this bound holds even when that limit is raised, so that the
// conversion and the engine's recursive handling of the values it builds stay within the stack.
inline constexpr std::size_t kMaxConversionDepth = 10000;

// Converts any JSON-like Python object (None, bool, integers, floats, str, sequences, mappings
// with str keys) into a PyJsonValue that owns copies of everything. It may run Python code of
// the object (__index__, __float__, __len__, iteration, keys(), item lookup). On failure the
// Python exception is set; no other error is left pending either way.
Result<PyJsonValue, capi::Raised> json_from_python(PyObject* object);

using BoundValues = std::vector<std::pair<std::string, PyJsonValue>>;

// Converts a bindings argument: a dict (a subclass included) with str keys, every value
// converted whether it is used or not. TypeErrors are reworded with the parameter's name.
Result<BoundValues, capi::Raised> bindings_argument(PyObject* bindings, std::string_view parameter);

// The same conversion, binding every pair in `builder` as it is converted instead of
// collecting the pairs first.
Status<capi::Raised> bind_arguments(PyObject* bindings, std::string_view parameter,
                                    EnvBuilder<PyJsonValue>& builder);

// Converts a JSON-like argument, rewording a TypeError with the parameter's name.
Result<PyJsonValue, capi::Raised> json_argument(PyObject* object, std::string_view parameter);

}  // namespace tovrin::py
