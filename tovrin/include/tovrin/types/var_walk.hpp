#pragma once

#include <string>
#include <type_traits>
#include <utility>

#include "tovrin/internal_failure.hpp"
#include "tovrin/types/env.hpp"
#include "tovrin/types/var.hpp"

namespace tovrin {

namespace var_walk_detail {

// One walk for both the reading form (Place = const V) and the replacing form (Place = V).
// `walked` are the segments looked up by name; `root`, when given, is a segment whose name was
// already resolved to `current` and whose index still applies to it. Path texts are made only
// for a failure.
template <class Place>
Result<Place*, VarAccessError> walk(std::span<const VarName> walked, const VarName* root,
                                    Place* current) {
  constexpr bool replacing = !std::is_const_v<Place>;
  const auto path = [&](std::size_t count) {
    return VarAccess::resolve_name_until(walked, root, count);
  };
  // Applies `index` to `current`; `count` segments were passed before it.
  const auto index_step = [&](Index index, std::size_t count) -> std::optional<VarAccessError> {
    auto elements = [&] {
      if constexpr (replacing) {
        return current->as_array_mut();
      } else {
        return current->as_array();
      }
    }();
    if (!elements) {
      std::string detail = "Expected array at '" + path(count) + "'";
      if constexpr (!replacing) {
        detail += ", found ";
        current->debug_to(detail);
      }
      return VarAccessError::TypeError{std::move(detail)};
    }
    if (index >= elements->size()) {
      return VarAccessError::IndexOutOfBounds{
          "Index out of bounds at '" + path(count) + "' (index: " + std::to_string(index) +
          ", length: " + std::to_string(elements->size()) + ")"};
    }
    current = &(*elements)[index];
    return std::nullopt;
  };

  if (root != nullptr && root->index) {
    if (auto error = index_step(*root->index, 0)) return Err{std::move(*error)};
  }
  for (std::size_t count = 0; count < walked.size(); ++count) {
    const VarName& segment = walked[count];
    Place* found = [&] {
      if constexpr (replacing) {
        return current->get_mut(segment.name);
      } else {
        return current->get(segment.name);
      }
    }();
    if (found == nullptr) return Err{VarAccessError::KeyNotFound{path(count), segment.name.str()}};
    current = found;
    if (segment.index) {
      if (auto error = index_step(*segment.index, count)) return Err{std::move(*error)};
    }
  }
  return current;
}

inline void require_segments(std::span<const VarName> names) {
  if (names.empty()) TOVRIN_INTERNAL_FAILURE("Variable access must have at least one name");
}

}  // namespace var_walk_detail

template <JsonObject V>
Result<const V*, VarAccessError> VarAccess::access_names(std::span<const VarName> names,
                                                         const V& value, bool skip_first) {
  var_walk_detail::require_segments(names);
  if (skip_first) return var_walk_detail::walk<const V>(names.subspan(1), &names.front(), &value);
  return var_walk_detail::walk<const V>(names, nullptr, &value);
}

template <JsonObject V>
Result<MaybeOwned<V>, VarAccessError> VarAccess::access_from_bindings(const Env<V>& env) const {
  if (count_ == 0) {
    // No accessor can be empty; should one ever be, it reads as null.
    if constexpr (std::is_default_constructible_v<V>) {
      // Under the sanitizers GCC 12 cannot tell which alternative of a variant-based V this
      // moves, and warns of uninitialised members of the others.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
      return MaybeOwned<V>::owned(V{});
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
    } else {
      TOVRIN_INTERNAL_FAILURE("Variable access must have at least one name");
    }
  }
  const CompactText& name = names().front().name;
  const V* bound = env.find_binding(name);
  if (bound == nullptr) return Err{VarAccessError::VariableNotFound{name.str()}};
  auto found = access_names(names(), *bound, true);
  if (!found) return Err{std::move(found).error()};
  return MaybeOwned<V>::borrowed(**found);
}

template <JsonObject V>
Result<V*, VarAccessError> VarAccess::access_names_mut(std::span<const VarName> names, V& value) {
  var_walk_detail::require_segments(names);
  return var_walk_detail::walk<V>(names, nullptr, &value);
}

template <JsonObject V>
Status<VarAccessError> VarAccess::replace_in(V& value, V replacement) const {
  auto place = access_names_mut(names(), value);
  if (!place) return Err{std::move(place).error()};
  **place = std::move(replacement);
  return Ok{};
}

}  // namespace tovrin
