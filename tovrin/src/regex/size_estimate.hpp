#pragma once

#include <cstdint>

#include "hir.hpp"

namespace tovrin::regex {

// The memory limit of the compiled automaton.
inline constexpr std::uint64_t kCompiledSizeLimit = 10485760;

// The memory, in bytes, of the larger of the two automata the pattern compiles into (NFAs over
// UTF-8 bytes, one built forward and one in reverse). Counting stops soon after the limit is
// passed, so the result is exact only up to the limit.
std::uint64_t estimate_compiled_size(const Hir& hir);

// Alternations of at least this many plain literal strings are searched for with a multi-literal
// searcher instead of the automaton; smaller ones build the automaton like any other pattern.
inline constexpr std::size_t kLiteralSearcherBranches = 3000;

// Whether the pattern is an alternation of at least kLiteralSearcherBranches plain literal
// strings, which is searched without building the automaton and so never meets the size limit.
bool is_literal_alternation(const Hir& hir);

}  // namespace tovrin::regex
