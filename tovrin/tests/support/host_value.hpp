#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tovrin::testing {

class HostValue;

using HostArray = std::vector<HostValue>;
using HostEntry = std::pair<std::string, HostValue>;
using HostEntries = std::vector<HostEntry>;

// The host value that the engine's tests and benchmarks bind: a JSON-like value of the engine's
// host-value interface (tovrin/types/json_object.hpp) that owns everything inside it. Integers
// are kept as the embedder hands them over, unsigned (UInt) or signed (Int); object entries keep
// the order they were given in. Copies are deep; nesting of any depth is released without
// recursion. The debug form is Object({"b": UInt(1), "a": Int(-2)}), entries in their order.
class HostValue {
  using Storage = std::variant<std::monostate, bool, std::uint64_t, std::int64_t, double,
                               std::string, HostArray, HostEntries>;

 public:
  HostValue() = default;
  HostValue(const HostValue& other) = default;
  HostValue(HostValue&& other) noexcept = default;
  HostValue& operator=(const HostValue& other) = default;
  HostValue& operator=(HostValue&& other) noexcept = default;
  ~HostValue() {
    if (is_array() || is_object()) release_nested_containers();
  }

  static HostValue Null() { return HostValue(); }
  static HostValue Bool(bool v) { return HostValue(std::in_place_index<1>, v); }
  static HostValue UInt(std::uint64_t v) { return HostValue(std::in_place_index<2>, v); }
  static HostValue Int(std::int64_t v) { return HostValue(std::in_place_index<3>, v); }
  static HostValue Float(double v) { return HostValue(std::in_place_index<4>, v); }
  static HostValue String(std::string v) { return HostValue(std::in_place_index<5>, std::move(v)); }
  static HostValue Array(HostArray v) { return HostValue(std::in_place_index<6>, std::move(v)); }
  // An entry under a key given before replaces that entry's value and keeps its place.
  static HostValue Object(HostEntries entries);

  bool is_null() const noexcept { return storage_.index() == 0; }
  std::optional<bool> as_bool() const noexcept { return get_as<1>(); }
  std::optional<std::int64_t> as_i64() const noexcept;
  std::optional<std::uint64_t> as_u64() const noexcept { return get_as<2>(); }
  std::optional<double> as_f64() const noexcept { return get_as<4>(); }

  bool is_string() const noexcept { return storage_.index() == 5; }
  std::optional<std::string_view> as_str() const noexcept;
  std::optional<std::string> into_string() &&;

  bool is_array() const noexcept { return storage_.index() == 6; }
  std::optional<std::span<const HostValue>> as_array() const noexcept;
  std::optional<std::span<HostValue>> as_array_mut() noexcept;
  std::optional<HostArray> into_array() &&;

  bool is_object() const noexcept { return storage_.index() == 7; }
  const HostValue* get(std::string_view key) const;
  HostValue* get_mut(std::string_view key);
  std::optional<std::span<const HostEntry>> entries() const noexcept;
  std::optional<HostEntries> into_entries() &&;

  HostValue clone() const { return *this; }
  void debug_to(std::string& out) const;
  std::string debug() const;

 private:
  template <std::size_t I, class... Args>
  explicit HostValue(std::in_place_index_t<I> index, Args&&... args)
      : storage_(index, std::forward<Args>(args)...) {}

  template <std::size_t I>
  std::optional<std::variant_alternative_t<I, Storage>> get_as() const noexcept {
    if (const auto* held = std::get_if<I>(&storage_)) return *held;
    return std::nullopt;
  }

  void release_nested_containers() noexcept;

  Storage storage_;
};

}  // namespace tovrin::testing
