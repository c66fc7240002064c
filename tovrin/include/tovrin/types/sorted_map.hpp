#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tovrin/work_budget.hpp"

namespace tovrin {

// A map from owned UTF-8 keys to values that iterates in ascending byte order of the keys
// (unsigned bytes; a prefix sorts first). Held as a sorted vector: objects in expressions and
// results are small, and a vector keeps lookups and iteration cheap.
template <class V>
class SortedMap {
 public:
  using Entry = std::pair<std::string, V>;
  using iterator = typename std::vector<Entry>::iterator;
  using const_iterator = typename std::vector<Entry>::const_iterator;

  SortedMap() = default;

  // Builds a map from entries in any order; of two entries with equal keys the later one wins.
  // Sorting many entries spends a unit of work per comparison, so it may throw StopRequested.
  static SortedMap from_entries(std::vector<Entry> entries) {
    SortedMap map;
    map.entries_ = std::move(entries);
    auto& list = map.entries_;
    WorkBudget* budget = list.size() > kFewEntries ? &WorkBudget::current() : nullptr;
    const auto by_key = [budget](const Entry& a, const Entry& b) {
      if (budget != nullptr) budget->spend(1);
      return a.first < b.first;
    };
    if (std::is_sorted(list.begin(), list.end(), by_key) &&
        std::adjacent_find(list.begin(), list.end(), [](const Entry& a, const Entry& b) {
          return a.first == b.first;
        }) == list.end()) {
      return map;
    }
    std::stable_sort(list.begin(), list.end(), by_key);
    // Keep the last entry of every run of equal keys.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (i + 1 < list.size() && list[i + 1].first == list[i].first) continue;
      if (kept != i) list[kept] = std::move(list[i]);
      ++kept;
    }
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(kept), list.end());
    return map;
  }

  std::size_t size() const noexcept { return entries_.size(); }
  bool empty() const noexcept { return entries_.empty(); }
  void reserve(std::size_t count) { entries_.reserve(count); }

  const_iterator begin() const noexcept { return entries_.begin(); }
  const_iterator end() const noexcept { return entries_.end(); }
  // Mutable iteration is for changing values in place; keys must stay as they are.
  iterator begin() noexcept { return entries_.begin(); }
  iterator end() noexcept { return entries_.end(); }

  const V* find(std::string_view key) const noexcept {
    auto it = lower_bound(key);
    return it != entries_.end() && it->first == key ? &it->second : nullptr;
  }
  V* find(std::string_view key) noexcept {
    auto it = lower_bound(key);
    return it != entries_.end() && it->first == key ? &it->second : nullptr;
  }

  // Puts an entry; a present key keeps its place and gets the new value. `key` is a std::string
  // (moved in) or a std::string_view (copied once, into a new entry).
  template <class Key>
  void insert_or_assign(Key&& key, V&& value) {
    const std::string_view text(key);
    if (entries_.empty() || std::string_view(entries_.back().first) < text) {
      entries_.emplace_back(std::forward<Key>(key), std::move(value));
      return;
    }
    auto it = lower_bound(text);
    if (it != entries_.end() && it->first == text) {
      it->second = std::move(value);
    } else {
      entries_.emplace(it, std::forward<Key>(key), std::move(value));
    }
  }

 private:
  iterator lower_bound(std::string_view key) noexcept {
    return std::lower_bound(entries_.begin(), entries_.end(), key,
                            [](const Entry& e, std::string_view k) { return e.first < k; });
  }
  const_iterator lower_bound(std::string_view key) const noexcept {
    return std::lower_bound(entries_.begin(), entries_.end(), key,
                            [](const Entry& e, std::string_view k) { return e.first < k; });
  }

  // Sorting this many entries is too little work to spend.
  static constexpr std::size_t kFewEntries = 64;

  std::vector<Entry> entries_;
};

}  // namespace tovrin
