#include "codepoint_set.hpp"

#include <algorithm>

namespace tovrin::regex {

namespace {

constexpr char32_t kMaxChar = 0x10FFFF;
constexpr char32_t kSurrogateLo = 0xD800;
constexpr char32_t kSurrogateHi = 0xDFFF;

}  // namespace

CodepointSet::CodepointSet(std::initializer_list<CodepointRange> ranges) : ranges_(ranges) {
  canonicalize();
}

CodepointSet CodepointSet::from_ranges(std::vector<CodepointRange> ranges) {
  CodepointSet set;
  set.ranges_ = std::move(ranges);
  set.canonicalize();
  return set;
}

CodepointSet CodepointSet::all() {
  return CodepointSet{{0, kMaxChar}};
}

bool CodepointSet::contains(char32_t c) const {
  auto it = std::upper_bound(ranges_.begin(), ranges_.end(), c,
                             [](char32_t v, const CodepointRange& r) { return v < r.lo; });
  return it != ranges_.begin() && std::prev(it)->hi >= c;
}

void CodepointSet::canonicalize() {
  std::vector<CodepointRange> in;
  in.reserve(ranges_.size() + 1);
  for (CodepointRange r : ranges_) {
    if (r.lo > r.hi) std::swap(r.lo, r.hi);
    r.hi = std::min(r.hi, kMaxChar);
    if (r.lo > r.hi) continue;
    // Cut out the surrogates.
    if (r.lo <= kSurrogateHi && r.hi >= kSurrogateLo) {
      if (r.lo < kSurrogateLo) in.push_back({r.lo, kSurrogateLo - 1});
      if (r.hi > kSurrogateHi) in.push_back({kSurrogateHi + 1, r.hi});
      continue;
    }
    in.push_back(r);
  }
  std::sort(in.begin(), in.end(),
            [](const CodepointRange& a, const CodepointRange& b) { return a.lo < b.lo; });
  ranges_.clear();
  for (const CodepointRange& r : in) {
    if (!ranges_.empty() && r.lo <= ranges_.back().hi + 1) {
      ranges_.back().hi = std::max(ranges_.back().hi, r.hi);
    } else {
      ranges_.push_back(r);
    }
  }
  // Ranges that only touch across the surrogate gap stay separate; that is still canonical
  // because no char lies between them.
}

void CodepointSet::add(char32_t lo, char32_t hi) {
  ranges_.push_back({lo, hi});
  canonicalize();
}

void CodepointSet::add(const CodepointSet& other) {
  if (other.ranges_.empty()) return;
  ranges_.insert(ranges_.end(), other.ranges_.begin(), other.ranges_.end());
  canonicalize();
}

void CodepointSet::negate() {
  std::vector<CodepointRange> out;
  char32_t next = 0;
  for (const CodepointRange& r : ranges_) {
    if (r.lo > next) out.push_back({next, r.lo - 1});
    next = r.hi + 1;
  }
  if (next <= kMaxChar) out.push_back({next, kMaxChar});
  ranges_ = std::move(out);
  canonicalize();
}

void CodepointSet::intersect(const CodepointSet& other) {
  std::vector<CodepointRange> out;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < ranges_.size() && j < other.ranges_.size()) {
    char32_t lo = std::max(ranges_[i].lo, other.ranges_[j].lo);
    char32_t hi = std::min(ranges_[i].hi, other.ranges_[j].hi);
    if (lo <= hi) out.push_back({lo, hi});
    if (ranges_[i].hi < other.ranges_[j].hi) {
      ++i;
    } else {
      ++j;
    }
  }
  ranges_ = std::move(out);
}

void CodepointSet::subtract(const CodepointSet& other) {
  CodepointSet complement = other;
  complement.negate();
  intersect(complement);
}

void CodepointSet::symmetric_difference(const CodepointSet& other) {
  CodepointSet both = *this;
  both.intersect(other);
  add(other);
  subtract(both);
}

}  // namespace tovrin::regex
