#pragma once

#include "capi/ref.hpp"

namespace tovrin::py {

// Whether Python values can be read in place instead of being converted: every value is,
// recursively, an exact built-in (None, bool, int, float, str, list, tuple, and dict with str
// keys), so that no Python code runs while it is read, and the conversion would meet none of its
// failures in it (an integer out of range, a str without a UTF-8 form, nesting deeper than the
// conversion follows or than the interpreter's recursion limit allows, a container that contains
// itself). Any doubt answers false, which means only "convert them": no Python error is left
// set, and nothing is said about what the conversion will find.
//
// The check spends work as a conversion does, about one unit per value converted. It runs no
// Python code, so it must run where the stop check does not either (see attempt_in_place).

// The bindings of `Exp.eval` and `VarAccess.access_from_bindings`: an exact dict with exact str
// keys.
bool bindings_fit_in_place(PyObject* bindings);

// The value of `VarAccess.access`.
bool value_fits_in_place(PyObject* value);

}  // namespace tovrin::py
