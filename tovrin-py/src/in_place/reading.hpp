#pragma once

#include "capi/ref.hpp"

#include <optional>

#include "in_place/segment_keys.hpp"
#include "known_strings.hpp"
#include "py_types/jsonobj.hpp"
#include "tovrin/types/exp.hpp"
#include "tovrin/types/var.hpp"

namespace tovrin::py {

// The work of the binding's methods done on Python values read in place, for values that fit
// (in_place/fit_check.hpp). Each gives nothing where the converting path must do the work: the
// values do not fit, or anything fails. Run them through attempt_in_place.

// `Exp.eval`: the result of evaluating `tree` over `bindings`, which the accessors of `tree` read
// through `keys`, made into a Python object with the strings of `result_keys`.
std::optional<capi::Ref> evaluate_in_place(const Exp& tree, const SegmentKeys& keys,
                                           const KnownStrings& result_keys, PyObject* bindings);

// `VarAccess.access`: the part of `value` that `access` names, every segment being a key.
std::optional<PyJsonValue> part_in_place(const VarAccess& access, const SegmentKeys& keys,
                                         PyObject* value);

// `VarAccess.access_from_bindings`: the same, the first segment naming one of `bindings`.
std::optional<PyJsonValue> bound_part_in_place(const VarAccess& access, const SegmentKeys& keys,
                                               PyObject* bindings);

}  // namespace tovrin::py
