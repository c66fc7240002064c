#pragma once

#include <cstdint>

#include "regex/hir.hpp"

namespace tovrin::regex {

// The memory limit of the compiled automaton.
inline constexpr std::uint64_t kCompiledSizeLimit = 10485760;

// The memory, in bytes, of the larger of the two automata the pattern compiles into (NFAs over
// UTF-8 bytes, one built forward and one in reverse). Counting stops soon after the limit is
// passed, so the result is exact only up to the limit.
std::uint64_t estimate_compiled_size(const Hir& hir);

// Whether the pattern is an alternation of plain literal strings, which is searched without
// building the automaton and so never meets the size limit.
bool is_literal_alternation(const Hir& hir);

}  // namespace tovrin::regex
