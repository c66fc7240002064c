#pragma once

// How interpreter::eval reads the variables of an environment. A detail of interpreter.hpp,
// which includes it: the reader is a template over the host value, so it has to be seen where
// `eval` is called.

#include <optional>
#include <utility>

#include "tovrin/errors.hpp"
#include "tovrin/interpreter/variable_reader.hpp"
#include "tovrin/types/env.hpp"
#include "tovrin/types/value.hpp"
#include "tovrin/types/value_from_json.hpp"
#include "tovrin/types/var.hpp"
#include "tovrin/types/var_walk.hpp"

namespace tovrin::interpreter::detail {

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

// Reads a variable node from the bindings of an environment: the accessor walk, then the
// conversion of the host value found. The strings of the result borrow from the bindings.
template <JsonObject V>
class EnvReader final : public VariableReader {
 public:
  explicit EnvReader(const Env<V>& env) noexcept : env_(env) {}

  Value read(const VarAccess& access, std::optional<EvalError>& error) const override {
    if (const V* found = find_variable(env_, access)) {
      if (auto text = found->as_str()) return Value::borrowed_string(*text);
      if (auto scalar = value_from_json_detail::scalar(*found)) return std::move(*scalar);
      if (auto converted = Value::from_json_object_ref(*found)) return std::move(*converted);
    }
    auto found = access.access_from_bindings(env_);
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

 private:
  const Env<V>& env_;
};

}  // namespace tovrin::interpreter::detail
