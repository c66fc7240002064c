#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "tovrin/utils/text_hash.hpp"

namespace tovrin {

// A map from owned UTF-8 keys to values that keeps its entries in the order in which their keys
// were first inserted, in one contiguous vector. Inserting under a present key replaces the
// value in the key's first place.
//
// Most maps met here (bindings, objects of bound values) have a handful of entries: up to
// kScanLimit entries a key is found by comparing the keys in turn, which costs less than
// hashing it. A larger map keeps a hash index over the entries, so lookups stay constant-time.
template <class V>
class OrderedMap {
 public:
  using Entry = std::pair<std::string, V>;
  using iterator = typename std::vector<Entry>::iterator;
  using const_iterator = typename std::vector<Entry>::const_iterator;

  static constexpr std::size_t kScanLimit = 8;

  OrderedMap() = default;

  std::size_t size() const noexcept { return entries_.size(); }
  bool empty() const noexcept { return entries_.empty(); }
  void reserve(std::size_t count) {
    entries_.reserve(count);
    if (count > kScanLimit && slots_.size() < slot_count_for(count)) rebuild_index(count);
  }
  void clear() noexcept {
    entries_.clear();
    slots_.clear();
  }

  const_iterator begin() const noexcept { return entries_.begin(); }
  const_iterator end() const noexcept { return entries_.end(); }
  // Mutable iteration is for changing values in place; keys must stay as they are.
  iterator begin() noexcept { return entries_.begin(); }
  iterator end() noexcept { return entries_.end(); }

  // The entries in insertion order.
  const std::vector<Entry>& values_container() const noexcept { return entries_; }
  // The entries moved out; the map is left empty.
  std::vector<Entry> take_entries() && {
    slots_.clear();
    return std::move(entries_);
  }

  const_iterator find(std::string_view key) const noexcept {
    return entries_.begin() + static_cast<std::ptrdiff_t>(position(key));
  }
  iterator find(std::string_view key) noexcept {
    return entries_.begin() + static_cast<std::ptrdiff_t>(position(key));
  }
  const V& at(std::string_view key) const {
    auto it = find(key);
    if (it == end()) throw std::out_of_range("OrderedMap::at");
    return it->second;
  }

  // `key` is a std::string (moved in) or a std::string_view (copied once, into the entry).
  template <class Key>
  void insert_or_assign(Key&& key, V&& value) {
    auto [entry, put] = try_emplace(std::forward<Key>(key), std::move(value));
    // try_emplace moves from `value` only when it puts the entry.
    if (!put) entry->second = std::move(value);
  }
  template <class Key>
  void insert_or_assign(Key&& key, const V& value) {
    insert_or_assign(std::forward<Key>(key), V(value));
  }
  // Puts an entry made in place from `value` unless the key is present; the bool tells whether
  // it was put. `key` is a std::string (moved in) or a std::string_view (copied once). The key
  // is hashed once, for the lookup and the index alike.
  template <class Key, class... Args>
  std::pair<iterator, bool> try_emplace(Key&& key, Args&&... value) {
    const std::string_view text(key);
    if (slots_.empty()) {
      const std::size_t at = scan(text);
      if (at != entries_.size()) return {iterator_at(at), false};
      emplace_entry(std::forward<Key>(key), std::forward<Args>(value)...);
      if (entries_.size() > kScanLimit) rebuild_index(entries_.size() * 2);
    } else {
      const std::size_t hash = hash_of(text);
      const std::size_t at = probe(text, hash);
      if (at != entries_.size()) return {iterator_at(at), false};
      emplace_entry(std::forward<Key>(key), std::forward<Args>(value)...);
      index_last(hash);
    }
    return {end() - 1, true};
  }
  // Appends an entry whose key the caller knows to be absent, without looking for it. The key
  // (a std::string or a std::string_view) and the value (from whatever V can be made of) are
  // made in the entry's place.
  template <class Key, class... Args>
  void append_new(Key&& key, Args&&... value) {
    emplace_entry(std::forward<Key>(key), std::forward<Args>(value)...);
    if (slots_.empty() && entries_.size() <= kScanLimit) return;
    index_last(hash_of(entries_.back().first));
  }

 private:
  // Slot values are entry positions plus one; 0 marks an empty slot. The table is at most half
  // full, so probes stay short.
  using Slot = std::uint32_t;

  iterator iterator_at(std::size_t at) noexcept {
    return entries_.begin() + static_cast<std::ptrdiff_t>(at);
  }
  // Appends an entry made in place, without indexing it.
  template <class Key, class... Args>
  void emplace_entry(Key&& key, Args&&... value) {
    entries_.emplace_back(std::piecewise_construct, std::forward_as_tuple(std::forward<Key>(key)),
                          std::forward_as_tuple(std::forward<Args>(value)...));
  }

  static std::size_t slot_count_for(std::size_t entries) { return std::bit_ceil(entries * 2); }
  static std::size_t hash_of(std::string_view key) noexcept { return TextHash{}(key); }

  // The position of the key's entry, or size() when it is absent.
  std::size_t position(std::string_view key) const noexcept {
    return slots_.empty() ? scan(key) : probe(key, hash_of(key));
  }
  std::size_t scan(std::string_view key) const noexcept {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (TextEqual{}(entries_[i].first, key)) return i;
    }
    return entries_.size();
  }
  std::size_t probe(std::string_view key, std::size_t hash) const noexcept {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot slot = slots_[i];
      if (slot == 0) return entries_.size();
      if (TextEqual{}(entries_[slot - 1].first, key)) return slot - 1;
    }
  }

  void place(std::size_t entry, std::size_t hash) noexcept {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i] != 0)
      i = (i + 1) & mask;
    slots_[i] = static_cast<Slot>(entry + 1);
  }

  void rebuild_index(std::size_t capacity) {
    slots_.assign(slot_count_for(capacity), 0);
    for (std::size_t i = 0; i < entries_.size(); ++i)
      place(i, hash_of(entries_[i].first));
  }

  // Indexes the entry just appended (its key hashing to `hash`), growing the index when it
  // would be more than half full.
  void index_last(std::size_t hash) {
    if (slots_.size() < slot_count_for(entries_.size())) {
      rebuild_index(entries_.size() * 2);
    } else {
      place(entries_.size() - 1, hash);
    }
  }

  std::vector<Entry> entries_;
  std::vector<Slot> slots_;
};

}  // namespace tovrin
