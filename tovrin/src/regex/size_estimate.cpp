#include "regex/size_estimate.hpp"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "regex/utf8.hpp"

namespace tovrin::regex {

namespace {

constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max() / 4;

std::uint64_t add(std::uint64_t a, std::uint64_t b) {
  return std::min(kSaturated, a + b);
}
std::uint64_t mul(std::uint64_t a, std::uint64_t b) {
  if (a == 0 || b == 0) return 0;
  return a > kSaturated / b ? kSaturated : a * b;
}

// Splits [lo, hi] into ranges whose chars have the same UTF-8 length and differ only in
// whole trailing bytes; each such range is one sequence of per-byte ranges.
std::uint64_t range_byte_ranges(char32_t lo, char32_t hi) {
  std::uint64_t total = 0;
  std::vector<std::pair<char32_t, char32_t>> stack{{lo, hi}};
  while (!stack.empty()) {
    auto [s, e] = stack.back();
    stack.pop_back();
    bool split = false;
    for (char32_t boundary : {char32_t{0x7F}, char32_t{0x7FF}, char32_t{0xFFFF}}) {
      if (s <= boundary && e > boundary) {
        stack.push_back({boundary + 1, e});
        stack.push_back({s, boundary});
        split = true;
        break;
      }
    }
    if (split) continue;
    std::size_t length = utf8_length(s);
    for (std::size_t i = 1; i < length && !split; ++i) {
      char32_t max = (char32_t{1} << (6 * i)) - 1;
      if ((s & ~max) != (e & ~max)) {
        if ((s & max) != 0) {
          stack.push_back({(s | max) + 1, e});
          stack.push_back({s, s | max});
          split = true;
        } else if ((e & max) != max) {
          stack.push_back({e & ~max, e});
          stack.push_back({s, (e & ~max) - 1});
          split = true;
        }
      }
    }
    if (!split) total += length;
  }
  return total;
}

// Large classes share many byte-range states between their UTF-8 sequences.
std::uint64_t class_size(std::uint64_t byte_ranges) {
  constexpr std::uint64_t kUnshared = 28;
  if (byte_ranges <= kUnshared) return 40 + 36 * byte_ranges;
  return 40 + 36 * kUnshared + 16 * (byte_ranges - kUnshared);
}

bool is_literal_string(const Hir& hir) {
  if (hir.kind == Hir::Kind::Class) return hir.set.is_single();
  if (hir.kind != Hir::Kind::Concat) return false;
  return std::all_of(hir.children.begin(), hir.children.end(), [](const Hir& child) {
    return child.kind == Hir::Kind::Empty ||
           (child.kind == Hir::Kind::Class && child.set.is_single());
  });
}

}  // namespace

bool is_literal_alternation(const Hir& hir) {
  return hir.kind == Hir::Kind::Alternate && hir.children.size() >= 2 &&
         std::all_of(hir.children.begin(), hir.children.end(), is_literal_string);
}

std::uint64_t utf8_byte_ranges(const CodepointSet& set) {
  std::uint64_t total = 0;
  for (const CodepointRange& r : set.ranges())
    total += range_byte_ranges(r.lo, r.hi);
  return total;
}

std::uint64_t estimate_compiled_size(const Hir& hir) {
  switch (hir.kind) {
    case Hir::Kind::Empty:
    case Hir::Kind::Look:
      return 0;
    case Hir::Kind::Class:
      if (hir.set.is_single()) return 32 * utf8_length(hir.set.ranges()[0].lo);
      return class_size(utf8_byte_ranges(hir.set));
    case Hir::Kind::Repeat: {
      std::uint64_t child = estimate_compiled_size(hir.children[0]);
      std::uint64_t copies = hir.unbounded ? std::max<std::uint64_t>(hir.min, 1) : hir.max;
      return add(mul(child, copies), 40);
    }
    case Hir::Kind::Capture:
      return add(estimate_compiled_size(hir.children[0]), 64);
    case Hir::Kind::Concat:
    case Hir::Kind::Alternate: {
      std::uint64_t total = 0;
      for (const Hir& child : hir.children)
        total = add(total, estimate_compiled_size(child));
      return total;
    }
  }
  return 0;
}

bool exceeds_compiled_size_limit(const Hir& hir) {
  return estimate_compiled_size(hir) > kCompiledSizeLimit;
}

}  // namespace tovrin::regex
