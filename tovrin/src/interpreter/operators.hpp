#pragma once

#include "interpreter/task.hpp"
#include "tovrin/errors.hpp"
#include "tovrin/result.hpp"
#include "tovrin/types/value.hpp"

namespace tovrin::interpreter {

// The ordered comparison of two ints or two floats (every comparison with a NaN is false); any
// other pair is a type error that names both kinds, left first.
Result<bool, EvalError> compare(CompareOp op, const Value& left, const Value& right);

}  // namespace tovrin::interpreter
