#pragma once

#include <cstdint>

#include "regex/hir.hpp"

namespace tovrin::regex {

// The memory limit of the compiled automaton.
inline constexpr std::uint64_t kCompiledSizeLimit = 10485760;

// A rough estimate, in bytes, of the automaton the pattern compiles into (an NFA over UTF-8
// bytes, built forward and in reverse). Saturates instead of overflowing.
std::uint64_t estimate_compiled_size(const Hir& hir);

// Whether the automaton would exceed kCompiledSizeLimit.
bool exceeds_compiled_size_limit(const Hir& hir);

// Whether the pattern is an alternation of plain literal strings, which is searched without
// building the automaton and so never meets the size limit.
bool is_literal_alternation(const Hir& hir);

// The number of byte ranges in the UTF-8 sequences that spell out the set.
std::uint64_t utf8_byte_ranges(const CodepointSet& set);

}  // namespace tovrin::regex
