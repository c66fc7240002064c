#pragma once

#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tovrin::regex {

struct CodepointRange {
  char32_t lo;
  char32_t hi;  // inclusive

  friend bool operator==(const CodepointRange&, const CodepointRange&) = default;
};

// A set of Unicode scalar values as sorted, disjoint, non-adjacent inclusive ranges. Surrogates
// (U+D800..U+DFFF) are never members: they are not chars and never occur in UTF-8 text.
class CodepointSet {
 public:
  CodepointSet() = default;
  CodepointSet(std::initializer_list<CodepointRange> ranges);
  static CodepointSet from_ranges(std::vector<CodepointRange> ranges);
  static CodepointSet single(char32_t c) { return from_ranges({{c, c}}); }
  static CodepointSet all();

  const std::vector<CodepointRange>& ranges() const { return ranges_; }
  bool empty() const { return ranges_.empty(); }
  bool contains(char32_t c) const;
  // Whether the set is exactly one char.
  bool is_single() const { return ranges_.size() == 1 && ranges_[0].lo == ranges_[0].hi; }
  bool is_ascii() const { return ranges_.empty() || ranges_.back().hi < 0x80; }

  void add(char32_t lo, char32_t hi);
  void add(const CodepointSet& other);
  void negate();
  void intersect(const CodepointSet& other);
  void subtract(const CodepointSet& other);
  void symmetric_difference(const CodepointSet& other);

  friend bool operator==(const CodepointSet&, const CodepointSet&) = default;

 private:
  void canonicalize();

  std::vector<CodepointRange> ranges_;
};

// The union of many ranges and sets, given in any order and made into a set at once: adding them
// to a set one by one would sort the whole set again for each, which is quadratic for a class or
// an alternation of thousands of chars.
class CodepointSetBuilder {
 public:
  void add(char32_t lo, char32_t hi) { ranges_.push_back({lo, hi}); }
  void add(const CodepointSet& set) {
    ranges_.insert(ranges_.end(), set.ranges().begin(), set.ranges().end());
  }
  CodepointSet build() && { return CodepointSet::from_ranges(std::move(ranges_)); }

 private:
  std::vector<CodepointRange> ranges_;
};

}  // namespace tovrin::regex
