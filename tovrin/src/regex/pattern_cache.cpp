#include "pattern_cache.hpp"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace tovrin::regex {

namespace {

constexpr std::size_t kMaxEntries = 64;
// Bounds the memory the cached matchers hold on to, per thread.
constexpr std::uint64_t kMaxFootprint = std::uint64_t{16} << 20;

using Compiled = Result<std::shared_ptr<const Matcher>, std::string>;

struct Entry {
  std::size_t hash;
  std::string pattern;
  Compiled compiled;
  std::uint64_t footprint;
  std::uint64_t last_use;
};

std::uint64_t footprint_of(std::string_view pattern, const Compiled& compiled) {
  std::uint64_t size = pattern.size() + sizeof(Entry);
  return compiled ? size + (*compiled)->footprint() : size + compiled.error().size();
}

class PatternCache {
 public:
  Compiled get(std::string_view pattern) {
    std::size_t hash = std::hash<std::string_view>{}(pattern);
    ++clock_;
    for (Entry& entry : entries_) {
      if (entry.hash == hash && entry.pattern == pattern) {
        entry.last_use = clock_;
        return entry.compiled;
      }
    }
    Compiled compiled = compile(pattern);
    std::uint64_t footprint = footprint_of(pattern, compiled);
    if (footprint <= kMaxFootprint) {
      make_room(footprint);
      entries_.push_back({hash, std::string(pattern), compiled, footprint, clock_});
      total_footprint_ += footprint;
    }
    return compiled;
  }

 private:
  void make_room(std::uint64_t footprint) {
    while (!entries_.empty() &&
           (entries_.size() >= kMaxEntries || total_footprint_ + footprint > kMaxFootprint)) {
      auto oldest =
          std::min_element(entries_.begin(), entries_.end(),
                           [](const Entry& a, const Entry& b) { return a.last_use < b.last_use; });
      total_footprint_ -= oldest->footprint;
      *oldest = std::move(entries_.back());
      entries_.pop_back();
    }
  }

  std::vector<Entry> entries_;
  std::uint64_t total_footprint_ = 0;
  std::uint64_t clock_ = 0;
};

}  // namespace

Compiled compile_cached(std::string_view pattern) {
  thread_local PatternCache cache;
  return cache.get(pattern);
}

}  // namespace tovrin::regex
