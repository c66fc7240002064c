#pragma once

#include <optional>

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

// Reads one variable node from `context`: for an environment, the accessor walk over the
// bindings, then the conversion of the host value found. The strings of the result may borrow
// from the context. On failure the result is null and `error` holds the failure.
using VariableReader = Value (*)(const void* context, const VarAccess& access,
                                 std::optional<EvalError>& error);

namespace detail {

// The walk of `access` over the environment when every step succeeds; null as soon as one does
// not, leaving the failure to the full walk, which names it.
template <JsonObject V>
const V* find_variable(const Env<V>& env, const VarAccess& access) {
  const auto& names = access.names();
  if (names.empty()) return nullptr;
  const V* current = env.find_binding(names.front().name);
  for (std::size_t i = 0; current != nullptr; ++i) {
    if (const auto& index = names[i].index) {
      auto elements = current->as_array();
      if (!elements || *index >= elements->size()) return nullptr;
      current = &(*elements)[*index];
    }
    if (i + 1 == names.size()) return current;
    current = current->get(names[i + 1].name);
  }
  return nullptr;
}

template <JsonObject V>
Value read_variable(const void* env, const VarAccess& access, std::optional<EvalError>& error) {
  const auto& environment = *static_cast<const Env<V>*>(env);
  if (const V* found = find_variable(environment, access)) {
    if (auto text = found->as_str()) return Value::borrowed_string(*text);
    if (auto scalar = value_from_json_detail::scalar(*found)) return std::move(*scalar);
    if (auto converted = Value::from_json_object_ref(*found)) return std::move(*converted);
  }
  auto found = access.access_from_bindings(environment);
  if (!found) {
    error.emplace(EvalError::VariableAccess{std::move(found).error()});
    return Value();
  }
  auto converted = found->is_borrowed() ? Value::from_json_object_ref(found->get())
                                        : Value::from_json_object(std::move(*found).into_owned());
  if (!converted) {
    error.emplace(
        EvalError::VariableAccess{VarAccessError::Conversion{std::move(converted).error()}});
    return Value();
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

// Evaluates `root` as `eval` does, calling `functions` and reading every variable through `read`,
// which is handed `context`: for an embedder that reads its variables from values of its own
// rather than from the host values of an environment.
inline EvalResult eval_reading(const Exp& root, const FunctionTable& functions, VariableReader read,
                               const void* context) {
  return detail::run(root, functions, read, context);
}

}  // namespace tovrin::interpreter
