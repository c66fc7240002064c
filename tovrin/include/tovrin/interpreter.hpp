#pragma once

#include "tovrin/errors.hpp"
#include "tovrin/interpreter/detail/env_reader.hpp"
#include "tovrin/interpreter/variable_reader.hpp"
#include "tovrin/result.hpp"
#include "tovrin/types/env.hpp"
#include "tovrin/types/exp.hpp"
#include "tovrin/types/maybe_owned.hpp"
#include "tovrin/types/value.hpp"

namespace tovrin::interpreter {

// The value of an expression: borrowed when it is a literal of the tree, owned otherwise. An
// owned value may still borrow text from the tree or from the environment's bindings, so it must
// be made owned before either is released.
using EvalResult = Result<MaybeOwned<Value>, EvalError>;

// Evaluates `root` without recursion, calling `functions` and reading every variable through
// `read`: nesting costs heap entries on explicit stacks, never call-stack depth. The first
// failure ends the evaluation and is returned. For an embedder that reads its variables from
// values of its own rather than from the host values of an environment.
EvalResult eval_reading(const Exp& root, const FunctionTable& functions,
                        const VariableReader& read);

// Evaluates `root` as `eval_reading` does, against `env`: its functions, and its bindings read by
// the accessor walk, the host value found converted into a `Value` whose strings borrow from it.
template <JsonObject V>
EvalResult eval(const Exp& root, const Env<V>& env) {
  return eval_reading(root, env.functions.get(), detail::EnvReader<V>(env));
}

}  // namespace tovrin::interpreter
