#include "hir_props.hpp"

#include <algorithm>

#include "tovrin/utils/utf8.hpp"

namespace tovrin::regex {

bool matches_only_empty(const Hir& hir) {
  switch (hir.kind) {
    case Hir::Kind::Empty:
    case Hir::Kind::Look:
      return true;
    case Hir::Kind::Class:
      return false;
    case Hir::Kind::Repeat:
      return (!hir.unbounded && hir.max == 0) || matches_only_empty(hir.children[0]);
    case Hir::Kind::Capture:
    case Hir::Kind::Concat:
    case Hir::Kind::Alternate:
      return std::all_of(hir.children.begin(), hir.children.end(), matches_only_empty);
  }
  return false;
}

namespace {

// `forward` walks a concatenation from its first item, else from its last.
bool anchored(const Hir& hir, Look look, bool forward) {
  switch (hir.kind) {
    case Hir::Kind::Empty:
    case Hir::Kind::Class:
      return false;
    case Hir::Kind::Look:
      return hir.look == look;
    case Hir::Kind::Repeat:
      return hir.min > 0 && anchored(hir.children[0], look, forward);
    case Hir::Kind::Capture:
      return anchored(hir.children[0], look, forward);
    case Hir::Kind::Alternate:
      return std::all_of(hir.children.begin(), hir.children.end(),
                         [&](const Hir& child) { return anchored(child, look, forward); });
    case Hir::Kind::Concat: {
      // Assertions before the first item that can consume a char all hold at the match start.
      std::size_t n = hir.children.size();
      for (std::size_t i = 0; i < n; ++i) {
        const Hir& child = hir.children[forward ? i : n - 1 - i];
        if (anchored(child, look, forward)) return true;
        if (!matches_only_empty(child)) return false;
      }
      return false;
    }
  }
  return false;
}

}  // namespace

bool anchored_at_start(const Hir& hir) {
  return anchored(hir, Look::Start, true);
}

bool anchored_at_end(const Hir& hir) {
  return anchored(hir, Look::End, false);
}

std::uint32_t largest_repeat_count(const Hir& hir) {
  std::uint32_t largest = 1;
  if (hir.kind == Hir::Kind::Repeat && !matches_only_empty(hir.children[0])) {
    largest = hir.unbounded ? hir.min : hir.max;
  }
  for (const Hir& child : hir.children)
    largest = std::max(largest, largest_repeat_count(child));
  return largest;
}

std::optional<std::uint64_t> max_match_bytes(const Hir& hir) {
  // Lengths beyond this count as unbounded, which also keeps the arithmetic from overflowing.
  constexpr std::uint64_t kUnbounded = std::uint64_t{1} << 48;
  switch (hir.kind) {
    case Hir::Kind::Empty:
    case Hir::Kind::Look:
      return 0;
    case Hir::Kind::Class:
      return hir.set.empty() ? 0 : utf8::encoded_length(hir.set.ranges().back().hi);
    case Hir::Kind::Repeat: {
      if (hir.max == 0 && !hir.unbounded) return 0;
      const auto child = max_match_bytes(hir.children[0]);
      if (!child) return std::nullopt;
      if (*child == 0) return 0;
      if (hir.unbounded || *child > kUnbounded / hir.max) return std::nullopt;
      return *child * hir.max;
    }
    case Hir::Kind::Capture:
      return max_match_bytes(hir.children[0]);
    case Hir::Kind::Concat:
    case Hir::Kind::Alternate: {
      std::uint64_t total = 0;
      for (const Hir& child : hir.children) {
        const auto bytes = max_match_bytes(child);
        if (!bytes) return std::nullopt;
        total = hir.kind == Hir::Kind::Concat ? total + *bytes : std::max(total, *bytes);
        if (total > kUnbounded) return std::nullopt;
      }
      return total;
    }
  }
  return std::nullopt;
}

}  // namespace tovrin::regex
