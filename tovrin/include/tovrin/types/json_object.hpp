#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovrin {

// What the engine needs of a host JSON value: the bindings of an environment, the values that
// accessors walk and the values converted into `Value` are all of such a type. The engine is a
// template over it, so every operation is an ordinary (inlinable) member call.
//
// A host value answers exactly one kind. Read operations borrow from the value, the `_mut` ones
// hand out places that may be replaced, and the `into_` ones consume the value. Integers above
// the signed range answer `as_u64` only; every other integer answers `as_i64`.
template <class V>
concept JsonObject = requires(const V& value, V& place, V&& owned, std::string_view key,
                              std::string& out) {
  { value.is_null() } -> std::same_as<bool>;
  { value.as_bool() } -> std::same_as<std::optional<bool>>;
  { value.as_i64() } -> std::same_as<std::optional<std::int64_t>>;
  { value.as_u64() } -> std::same_as<std::optional<std::uint64_t>>;
  { value.as_f64() } -> std::same_as<std::optional<double>>;

  { value.is_string() } -> std::same_as<bool>;
  { value.as_str() } -> std::same_as<std::optional<std::string_view>>;
  { std::move(owned).into_string() } -> std::same_as<std::optional<std::string>>;

  { value.is_array() } -> std::same_as<bool>;
  { value.as_array() } -> std::same_as<std::optional<std::span<const V>>>;
  { place.as_array_mut() } -> std::same_as<std::optional<std::span<V>>>;
  { std::move(owned).into_array() } -> std::same_as<std::optional<std::vector<V>>>;

  // Object entries come in the host's own order.
  { value.is_object() } -> std::same_as<bool>;
  { value.get(key) } -> std::same_as<const V*>;
  { place.get_mut(key) } -> std::same_as<V*>;
  { value.entries() } -> std::same_as<std::optional<std::span<const std::pair<std::string, V>>>>;
  {
    std::move(owned).into_entries()
    } -> std::same_as<std::optional<std::vector<std::pair<std::string, V>>>>;

  // An independent deep copy, and the one-line debug form used in accessor messages.
  { value.clone() } -> std::same_as<V>;
  value.debug_to(out);
};

}  // namespace tovrin
