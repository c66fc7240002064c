#pragma once

#include "tovrin/errors.hpp"
#include "tovrin/result.hpp"
#include "tovrin/types/env.hpp"
#include "tovrin/types/exp.hpp"
#include "tovrin/types/value.hpp"
#include "tovrin/types/var_walk.hpp"

namespace tovrin::interpreter {

// The value of an expression: borrowed when it is a literal of the tree, owned otherwise. An
// owned value may still borrow text from the tree or from the environment's bindings, so it must
// be made owned before either is released.
using EvalResult = Result<MaybeOwned<Value>, EvalError>;

namespace detail {

// Reads one variable node: the accessor walk over the bindings, then the conversion of the host
// value found. The strings of the result borrow from the environment.
using VariableReader = Result<Value, EvalError> (*)(const void* env, const VarAccess& access);

template <JsonObject V>
Result<Value, EvalError> read_variable(const void* env, const VarAccess& access) {
  auto found = access.access_from_bindings(*static_cast<const Env<V>*>(env));
  if (!found) return Err{EvalError::VariableAccess{std::move(found).error()}};
  auto converted = found->is_borrowed() ? Value::from_json_object_ref(found->get())
                                        : Value::from_json_object(std::move(*found).into_owned());
  if (!converted) {
    return Err{EvalError::VariableAccess{VarAccessError::Conversion{std::move(converted).error()}}};
  }
  return std::move(*converted);
}

// The evaluation loop; it knows the host value type only through `read`.
EvalResult run(const Exp& root, const FunctionTable& functions, VariableReader read,
               const void* env);

}  // namespace detail

// Evaluates `root` against `env` without recursion: nesting costs heap entries on explicit
// stacks, never call-stack depth. The first failure ends the evaluation and is returned.
template <JsonObject V>
EvalResult eval(const Exp& root, const Env<V>& env) {
  return detail::run(root, env.functions.get(), &detail::read_variable<V>, &env);
}

}  // namespace tovrin::interpreter
