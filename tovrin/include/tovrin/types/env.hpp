#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tovrin/types/func.hpp"
#include "tovrin/types/json_object.hpp"
#include "tovrin/types/maybe_owned.hpp"
#include "tovrin/types/ordered_map.hpp"

namespace tovrin {

// Variable name to bound host value, looked up by the exact name of an accessor's first segment.
template <JsonObject V>
using Bindings = OrderedMap<MaybeOwned<V>>;

// What one evaluation or accessor walk runs against: the variables and the callable functions.
// Values found in it are borrowed by the walk and the interpreter, so they must not outlive it.
template <JsonObject V>
struct Env {
  Bindings<V> bindings;
  MaybeOwned<FunctionTable> functions;

  const V* find_binding(std::string_view name) const {
    auto it = bindings.find(name);
    return it == bindings.end() ? nullptr : &it->second.get();
  }
};

// Collects bindings (a later binding of a name replaces the earlier one) and, optionally, a
// function table of its own, and builds environments.
template <JsonObject V>
class EnvBuilder {
 public:
  EnvBuilder() = default;

  EnvBuilder& bind_multiple(std::vector<std::pair<std::string, V>> bindings) {
    reserve(bindings.size());
    for (auto& [name, value] : bindings)
      bind(std::move(name), std::move(value));
    return *this;
  }
  // Binds one owned value, for a caller that makes the values one at a time; reserving room for
  // their number first saves regrowing. `name` is a std::string or a std::string_view.
  template <class Name>
  EnvBuilder& bind(Name&& name, V&& value) {
    bindings_.insert_or_assign(std::forward<Name>(name), MaybeOwned<V>::owned(std::move(value)));
    return *this;
  }
  // Binds a value made in place from `args` under a name the caller knows not to be bound yet,
  // without looking for it.
  template <class Name, class... Args>
  EnvBuilder& bind_new(Name&& name, Args&&... args) {
    bindings_.append_new(std::forward<Name>(name), std::in_place, std::forward<Args>(args)...);
    return *this;
  }
  EnvBuilder& reserve(std::size_t more) {
    bindings_.reserve(bindings_.size() + more);
    return *this;
  }
  // Binds a host value that the caller keeps alive for as long as the built environments live.
  EnvBuilder& bind_borrowed(std::string name, const V& value) {
    bindings_.insert_or_assign(std::move(name), MaybeOwned<V>::borrowed(value));
    return *this;
  }
  EnvBuilder& with_functions(MaybeOwned<FunctionTable> functions) {
    functions_ = std::move(functions);
    return *this;
  }

  const Bindings<V>& bindings() const noexcept { return bindings_; }

  // A new environment with its own copy of the bindings: borrowed values stay borrowed, owned
  // ones are deep-copied. The builder is left as it was and may build again.
  Env<V> build() const& {
    Bindings<V> copy;
    copy.reserve(bindings_.size());
    for (const auto& [name, value] : bindings_) {
      copy.insert_or_assign(name, value.is_borrowed() ? MaybeOwned<V>::borrowed(value.get())
                                                      : MaybeOwned<V>::owned(value.get().clone()));
    }
    return Env<V>{std::move(copy), table_for_env()};
  }
  // The same environment, built from a builder that is not needed afterwards: its bindings are
  // moved instead of copied.
  Env<V> build() && { return Env<V>{std::move(bindings_), table_for_env()}; }

 private:
  MaybeOwned<FunctionTable> table_for_env() const {
    if (!functions_) return MaybeOwned<FunctionTable>::borrowed(DEFAULT_VTABLE.get());
    if (functions_->is_borrowed()) return *functions_;
    return MaybeOwned<FunctionTable>::owned(functions_->get());
  }

  Bindings<V> bindings_;
  std::optional<MaybeOwned<FunctionTable>> functions_;
};

}  // namespace tovrin
