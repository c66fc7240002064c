#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "tovrin/types/ordered_map.hpp"
#include "tovrin/types/value.hpp"

namespace tovrin::py {

class PyJsonValue;

using PyJsonArray = std::vector<PyJsonValue>;
using PyJsonEntry = std::pair<std::string, PyJsonValue>;
// Insertion-ordered; inserting under a present key replaces the value in the key's first place.
// The entries live in one vector, so that they can be handed out as one contiguous span and a
// small object (the usual case) takes one allocation; its keys are found by scanning them, a
// larger object's through a hash index.
using PyJsonObject = OrderedMap<PyJsonValue>;

// The binding's JSON value: what Python values become on their way into the engine and what
// results become on their way out. It owns everything inside it and holds no Python object, so
// it can be built and used without the interpreter. Copies are deep.
class PyJsonValue {
 public:
  // Variants in declaration order. Non-negative Python integers arrive as UInt, negative ones as
  // Int; values converted from `Value` use Int for every integer.
  enum class Kind : std::uint8_t { Null, Bool, UInt, Int, Float, String, Array, Object };

  PyJsonValue() = default;
  PyJsonValue(const PyJsonValue& other) = default;
  PyJsonValue(PyJsonValue&& other) noexcept = default;
  PyJsonValue& operator=(const PyJsonValue& other) = default;
  PyJsonValue& operator=(PyJsonValue&& other) noexcept = default;
  // Nested containers are released without recursion (tovrin/utils/nested_release.hpp).
  ~PyJsonValue() {
    if (kind() == Kind::Array || kind() == Kind::Object) release_nested_containers();
  }

  static PyJsonValue Null() { return PyJsonValue(); }
  static PyJsonValue Bool(bool v) { return PyJsonValue(std::in_place_index<1>, v); }
  static PyJsonValue UInt(std::uint64_t v) { return PyJsonValue(std::in_place_index<2>, v); }
  static PyJsonValue Int(std::int64_t v) { return PyJsonValue(std::in_place_index<3>, v); }
  static PyJsonValue Float(double v) { return PyJsonValue(std::in_place_index<4>, v); }
  static PyJsonValue String(std::string v) {
    return PyJsonValue(std::in_place_index<5>, std::move(v));
  }
  // A String whose text is copied straight into its place.
  static PyJsonValue copied_string(std::string_view v) {
    return PyJsonValue(std::in_place_index<5>, v);
  }
  static PyJsonValue Array(PyJsonArray v) {
    return PyJsonValue(std::in_place_index<6>, std::move(v));
  }
  static PyJsonValue Object(PyJsonObject v) {
    return PyJsonValue(std::in_place_index<7>, std::move(v));
  }

  // The equal value; owned strings are moved, borrowed ones copied, and object entries come in
  // the value's sorted key order.
  static PyJsonValue from_value(Value value);

  Kind kind() const noexcept { return static_cast<Kind>(storage_.index()); }

  // Direct access for the binding's own conversions; null when the value is of another kind.
  const PyJsonArray* array_ptr() const noexcept { return std::get_if<6>(&storage_); }
  PyJsonArray* array_ptr() noexcept { return std::get_if<6>(&storage_); }
  const PyJsonObject* object_ptr() const noexcept { return std::get_if<7>(&storage_); }
  PyJsonObject* object_ptr() noexcept { return std::get_if<7>(&storage_); }

  // The engine's host-value operations.
  bool is_null() const noexcept { return kind() == Kind::Null; }
  std::optional<bool> as_bool() const noexcept {
    if (const auto* b = std::get_if<1>(&storage_)) return *b;
    return std::nullopt;
  }
  std::optional<std::int64_t> as_i64() const noexcept {
    if (const auto* i = std::get_if<3>(&storage_)) return *i;
    if (const auto* u = std::get_if<2>(&storage_)) {
      if (*u <= static_cast<std::uint64_t>(INT64_MAX)) return static_cast<std::int64_t>(*u);
    }
    return std::nullopt;
  }
  std::optional<std::uint64_t> as_u64() const noexcept {
    if (const auto* u = std::get_if<2>(&storage_)) return *u;
    return std::nullopt;
  }
  std::optional<double> as_f64() const noexcept {
    if (const auto* f = std::get_if<4>(&storage_)) return *f;
    return std::nullopt;
  }

  bool is_string() const noexcept { return kind() == Kind::String; }
  std::optional<std::string_view> as_str() const noexcept {
    if (const auto* s = std::get_if<5>(&storage_)) return std::string_view(*s);
    return std::nullopt;
  }
  std::optional<std::string> into_string() && {
    if (auto* s = std::get_if<5>(&storage_)) return std::move(*s);
    return std::nullopt;
  }

  bool is_array() const noexcept { return kind() == Kind::Array; }
  std::optional<std::span<const PyJsonValue>> as_array() const noexcept {
    if (const auto* a = array_ptr()) return std::span<const PyJsonValue>(*a);
    return std::nullopt;
  }
  std::optional<std::span<PyJsonValue>> as_array_mut() noexcept {
    if (auto* a = array_ptr()) return std::span<PyJsonValue>(*a);
    return std::nullopt;
  }
  std::optional<PyJsonArray> into_array() && {
    if (auto* a = array_ptr()) return std::move(*a);
    return std::nullopt;
  }

  bool is_object() const noexcept { return kind() == Kind::Object; }
  const PyJsonValue* get(std::string_view key) const {
    const auto* o = object_ptr();
    if (o == nullptr) return nullptr;
    auto it = o->find(key);
    return it == o->end() ? nullptr : &it->second;
  }
  PyJsonValue* get_mut(std::string_view key) {
    auto* o = object_ptr();
    if (o == nullptr) return nullptr;
    auto it = o->find(key);
    return it == o->end() ? nullptr : &it->second;
  }
  std::optional<std::span<const PyJsonEntry>> entries() const noexcept {
    if (const auto* o = object_ptr()) return std::span<const PyJsonEntry>(o->values_container());
    return std::nullopt;
  }
  std::optional<std::vector<PyJsonEntry>> into_entries() &&;

  PyJsonValue clone() const { return *this; }

  // Same shape as the debug form of `Value`, with UInt as a variant of its own and object
  // entries in insertion order: Object({"b": UInt(1), "a": Int(-2)}).
  void debug_to(std::string& out) const;
  std::string debug() const;

 private:
  void release_nested_containers() noexcept;

  template <std::size_t I, class... Args>
  explicit PyJsonValue(std::in_place_index_t<I> index, Args&&... args)
      : storage_(index, std::forward<Args>(args)...) {}

  std::variant<std::monostate, bool, std::uint64_t, std::int64_t, double, std::string, PyJsonArray,
               PyJsonObject>
      storage_;
};

}  // namespace tovrin::py
