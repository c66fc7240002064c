#pragma once

#include "capi/exceptions.hpp"
#include "capi/ref.hpp"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tovrin/result.hpp"

namespace tovrin::capi {

// What the argument sorting needs to know of a Python-callable function. Every parameter is
// required and may be passed by position; the first `positional_only` may not be passed by
// keyword.
struct FunctionDescription {
  std::string_view class_name;
  std::string_view function_name;
  std::span<const char* const> parameters;
  std::size_t positional_only;

  // "Exp.__new__()", as argument errors name the function.
  std::string full_name() const;
};

// Sorts the arguments of a vectorcall with keywords into `out` (one borrowed reference per
// parameter, in parameter order). Arguments that do not fit the parameters raise a TypeError.
Status<Raised> sort_arguments(const FunctionDescription& function, PyObject* const* args,
                              Py_ssize_t nargs, PyObject* kwnames, std::span<PyObject*> out);

// The same for the argument tuple and keyword dict (or null) that a constructor receives.
Status<Raised> sort_arguments(const FunctionDescription& function, PyObject* args, PyObject* kwargs,
                              std::span<PyObject*> out);

// The UTF-8 text of a `str` argument (a subclass included), borrowed from the object. Another
// type fails the type test, reworded with the parameter's name; a lone surrogate raises the
// interpreter's encoding error unchanged.
Result<std::string_view, Raised> str_argument(PyObject* object, std::string_view parameter);

}  // namespace tovrin::capi
