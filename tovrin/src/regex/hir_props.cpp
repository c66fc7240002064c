#include "regex/hir_props.hpp"

#include <algorithm>

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

}  // namespace tovrin::regex
