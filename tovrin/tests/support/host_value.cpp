#include "support/host_value.hpp"

#include <algorithm>

#include "tovrin/types/json_object.hpp"
#include "tovrin/utils/debug_text.hpp"
#include "tovrin/utils/float_format.hpp"
#include "tovrin/utils/nested_release.hpp"

namespace tovrin::testing {

static_assert(JsonObject<HostValue>);

HostValue HostValue::Object(HostEntries entries) {
  HostEntries kept;
  kept.reserve(entries.size());
  for (HostEntry& entry : entries) {
    auto same_key = [&](const HostEntry& other) { return other.first == entry.first; };
    if (auto found = std::find_if(kept.begin(), kept.end(), same_key); found != kept.end()) {
      found->second = std::move(entry.second);
    } else {
      kept.push_back(std::move(entry));
    }
  }
  return HostValue(std::in_place_index<7>, std::move(kept));
}

std::optional<std::int64_t> HostValue::as_i64() const noexcept {
  if (const auto* i = std::get_if<3>(&storage_)) return *i;
  if (const auto* u = std::get_if<2>(&storage_); u != nullptr && *u <= INT64_MAX) {
    return static_cast<std::int64_t>(*u);
  }
  return std::nullopt;
}

std::optional<std::string_view> HostValue::as_str() const noexcept {
  if (const auto* s = std::get_if<5>(&storage_)) return std::string_view(*s);
  return std::nullopt;
}

std::optional<std::string> HostValue::into_string() && {
  if (auto* s = std::get_if<5>(&storage_)) return std::move(*s);
  return std::nullopt;
}

std::optional<std::span<const HostValue>> HostValue::as_array() const noexcept {
  if (const auto* a = std::get_if<6>(&storage_)) return std::span<const HostValue>(*a);
  return std::nullopt;
}

std::optional<std::span<HostValue>> HostValue::as_array_mut() noexcept {
  if (auto* a = std::get_if<6>(&storage_)) return std::span<HostValue>(*a);
  return std::nullopt;
}

std::optional<HostArray> HostValue::into_array() && {
  if (auto* a = std::get_if<6>(&storage_)) return std::move(*a);
  return std::nullopt;
}

namespace {

// The value under `key` among `entries` (const or not), or null.
template <class Entries>
auto* value_under(Entries* entries, std::string_view key) {
  decltype(&entries->front().second) found = nullptr;
  if (entries == nullptr) return found;
  for (auto& entry : *entries) {
    if (entry.first == key) return found = &entry.second;
  }
  return found;
}

}  // namespace

const HostValue* HostValue::get(std::string_view key) const {
  return value_under(std::get_if<7>(&storage_), key);
}

HostValue* HostValue::get_mut(std::string_view key) {
  return value_under(std::get_if<7>(&storage_), key);
}

std::optional<std::span<const HostEntry>> HostValue::entries() const noexcept {
  if (const auto* o = std::get_if<7>(&storage_)) return std::span<const HostEntry>(*o);
  return std::nullopt;
}

std::optional<HostEntries> HostValue::into_entries() && {
  if (auto* o = std::get_if<7>(&storage_)) return std::move(*o);
  return std::nullopt;
}

void HostValue::release_nested_containers() noexcept {
  tovrin::release_nested_containers(
      *this, [](HostValue& value) { return std::get_if<6>(&value.storage_); },
      [](HostValue& value) { return std::get_if<7>(&value.storage_); });
}

void HostValue::debug_to(std::string& out) const {
  switch (storage_.index()) {
    case 0:
      out += "Null";
      return;
    case 1:
      out += *as_bool() ? "Bool(true)" : "Bool(false)";
      return;
    case 2:
      out += "UInt(" + std::to_string(*as_u64()) + ")";
      return;
    case 3:
      out += "Int(" + std::to_string(*std::get_if<3>(&storage_)) + ")";
      return;
    case 4:
      out += "Float(";
      append_float(out, *as_f64(), FloatStyle::Debug);
      out += ')';
      return;
    case 5:
      out += "String(";
      append_debug_quoted(out, *as_str());
      out += ')';
      return;
    case 6: {
      out += "Array([";
      const char* separator = "";
      for (const auto& element : *std::get_if<6>(&storage_)) {
        out += std::exchange(separator, ", ");
        element.debug_to(out);
      }
      out += "])";
      return;
    }
    default: {
      out += "Object({";
      const char* separator = "";
      for (const auto& [key, value] : *std::get_if<7>(&storage_)) {
        out += std::exchange(separator, ", ");
        append_debug_quoted(out, key);
        out += ": ";
        value.debug_to(out);
      }
      out += "})";
      return;
    }
  }
}

std::string HostValue::debug() const {
  std::string out;
  debug_to(out);
  return out;
}

}  // namespace tovrin::testing
