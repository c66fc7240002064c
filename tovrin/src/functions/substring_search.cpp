#include "functions/substring_search.hpp"

#include <algorithm>
#include <cstring>

#include "tovrin/work_budget.hpp"

namespace tovrin::functions {

namespace {

// The start (minus one) of the lexicographically largest suffix of `x`, by the byte order when
// `reversed` is false and by the opposite order otherwise, and that suffix's period.
struct MaximalSuffix {
  std::ptrdiff_t start;
  std::ptrdiff_t period;
};

MaximalSuffix maximal_suffix(std::string_view x, bool reversed) noexcept {
  const auto m = static_cast<std::ptrdiff_t>(x.size());
  std::ptrdiff_t start = -1;
  std::ptrdiff_t j = 0;
  std::ptrdiff_t k = 1;
  std::ptrdiff_t period = 1;
  while (j + k < m) {
    const auto a = static_cast<unsigned char>(x[static_cast<std::size_t>(j + k)]);
    const auto b = static_cast<unsigned char>(x[static_cast<std::size_t>(start + k)]);
    if (a == b) {
      if (k == period) {
        j += period;
        k = 1;
      } else {
        ++k;
      }
    } else if ((a < b) != reversed) {
      j += k;
      k = 1;
      period = j - start;
    } else {
      start = j;
      j = start + 1;
      k = period = 1;
    }
  }
  return {start, period};
}

}  // namespace

SubstringSearcher::SubstringSearcher(std::string_view needle) noexcept : needle_(needle) {
  if (needle.size() < 2) return;
  const MaximalSuffix forward = maximal_suffix(needle, false);
  const MaximalSuffix backward = maximal_suffix(needle, true);
  const MaximalSuffix critical = forward.start > backward.start ? forward : backward;
  split_ = critical.start;
  // The period of the right part bounds it, so the comparison stays inside the needle.
  periodic_ = std::memcmp(needle.data(), needle.data() + critical.period,
                          static_cast<std::size_t>(split_ + 1)) == 0;
  const auto m = static_cast<std::ptrdiff_t>(needle.size());
  period_ = periodic_ ? critical.period : std::max(split_ + 1, m - split_ - 1) + 1;
}

std::size_t SubstringSearcher::find_in_windows(std::string_view haystack, std::size_t from) const {
  if (needle_.empty()) return from;
  // Each window ends where an occurrence starting at its last start would end, so windows
  // overlap by the needle's length less one byte and no occurrence falls between them.
  const std::size_t overlap = needle_.size() - 1;
  const std::size_t starts = std::max(kMinWindowStarts, needle_.size());
  WorkBudget& budget = WorkBudget::current();
  while (haystack.size() - from > starts + overlap) {
    const std::size_t found = find_at_once(haystack.substr(0, from + starts + overlap), from);
    if (found != std::string_view::npos) return found;
    budget.spend_bytes(starts + overlap);
    from += starts;
  }
  return find_at_once(haystack, from);
}

std::size_t SubstringSearcher::find_at_once(std::string_view haystack,
                                            std::size_t from) const noexcept {
  if (from > haystack.size()) return std::string_view::npos;
  if (needle_.empty()) return from;
  if (needle_.size() == 1) return haystack.find(needle_[0], from);
  if (haystack.size() - from < needle_.size()) return std::string_view::npos;
  const std::size_t found = find_long(haystack.substr(from));
  return found == std::string_view::npos ? found : from + found;
}

std::size_t SubstringSearcher::find_long(std::string_view haystack) const noexcept {
  const char* x = needle_.data();
  const char* y = haystack.data();
  const auto m = static_cast<std::ptrdiff_t>(needle_.size());
  const auto n = static_cast<std::ptrdiff_t>(haystack.size());
  // Matches the right part left to right, then the left part right to left. For a periodic
  // needle `memory` keeps the prefix already known to match after a shift by the period.
  std::ptrdiff_t memory = -1;
  for (std::ptrdiff_t j = 0; j <= n - m;) {
    std::ptrdiff_t i = std::max(split_, memory) + 1;
    while (i < m && x[i] == y[i + j])
      ++i;
    if (i < m) {
      j += i - split_;
      memory = -1;
      continue;
    }
    const std::ptrdiff_t left_end = periodic_ ? memory : -1;
    i = split_;
    while (i > left_end && x[i] == y[i + j])
      --i;
    if (i <= left_end) return static_cast<std::size_t>(j);
    j += period_;
    if (periodic_) memory = m - period_ - 1;
  }
  return std::string_view::npos;
}

}  // namespace tovrin::functions
