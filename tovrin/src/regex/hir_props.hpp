#pragma once

#include <cstdint>
#include <optional>

#include "hir.hpp"

namespace tovrin::regex {

// Whether the node can match only the empty string: assertions, empty pieces, `x{0}`, and
// anything built from those alone. Repeating such a node any number of times (at least once)
// is the same as having it once.
bool matches_only_empty(const Hir& hir);

// Whether every match must begin at the start of the text (`\A` or `^` without `m` before
// anything that consumes a char), or end at its end.
bool anchored_at_start(const Hir& hir);
bool anchored_at_end(const Hir& hir);

// The most bytes of UTF-8 text that one match can span; nothing when a repetition without an
// upper count (or a count product beyond any text) makes it unbounded.
std::optional<std::uint64_t> max_match_bytes(const Hir& hir);

// The largest count of any repetition of a piece that consumes chars: its upper count, or its
// lower count when it has none; 1 without counted repetitions.
std::uint32_t largest_repeat_count(const Hir& hir);

}  // namespace tovrin::regex
