#pragma once

#include "regex/hir.hpp"

namespace tovrin::regex {

// Whether the node can match only the empty string: assertions, empty pieces, `x{0}`, and
// anything built from those alone. Repeating such a node any number of times (at least once)
// is the same as having it once.
bool matches_only_empty(const Hir& hir);

// Whether every match must begin at the start of the text (`\A` or `^` without `m` before
// anything that consumes a char), or end at its end.
bool anchored_at_start(const Hir& hir);
bool anchored_at_end(const Hir& hir);

}  // namespace tovrin::regex
