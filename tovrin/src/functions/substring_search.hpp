#pragma once

#include <cstddef>
#include <string_view>

namespace tovrin::functions {

// Finds a fixed needle in texts in time linear in the lengths of both, with constant extra
// memory: the two-way algorithm of Crochemore and Perrin. The needle's factorization is computed
// once, so one searcher serves every search of a replace or a split.
class SubstringSearcher {
 public:
  // The searcher borrows `needle`, which must outlive it.
  explicit SubstringSearcher(std::string_view needle) noexcept;

  // The position of the leftmost occurrence that starts at or after `from`, or npos. An empty
  // needle occurs at `from` itself when `from` is within the text. A long text is searched a
  // window at a time, spending the work of each window but the last (so this may throw
  // StopRequested); a short one at once, its work being the caller's to spend.
  std::size_t find(std::string_view haystack, std::size_t from = 0) const {
    if (from <= haystack.size() && haystack.size() - from > kMinWindowStarts) {
      return find_in_windows(haystack, from);
    }
    return find_at_once(haystack, from);
  }

 private:
  // Occurrences may start at this many bytes of one window of a search, unless the needle is
  // longer: a window then has as many starts as the needle has bytes, so that no byte is
  // scanned more than twice.
  static constexpr std::size_t kMinWindowStarts = std::size_t{1} << 16;

  std::size_t find_in_windows(std::string_view haystack, std::size_t from) const;
  std::size_t find_at_once(std::string_view haystack, std::size_t from) const noexcept;
  std::size_t find_long(std::string_view haystack) const noexcept;

  std::string_view needle_;
  std::ptrdiff_t split_ = 0;   // last position of the left part of the critical factorization
  std::ptrdiff_t period_ = 1;  // the shift after a full match (or the safe shift when aperiodic)
  bool periodic_ = false;      // whether the left part repeats at distance period_
};

}  // namespace tovrin::functions
