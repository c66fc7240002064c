#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "codepoint_set.hpp"

namespace tovrin::regex {

struct Utf8ByteRange {
  std::uint8_t lo;
  std::uint8_t hi;
};

// A run of byte ranges; a byte string matches when each byte falls in its range.
struct Utf8Sequence {
  std::array<Utf8ByteRange, 4> ranges;
  std::size_t length;
};

// The UTF-8 encodings of the set's chars as byte range sequences, in increasing order: each
// range of chars is split where the encoding length changes and where trailing bytes stop
// covering their whole span.
std::vector<Utf8Sequence> utf8_sequences(const CodepointSet& set);

}  // namespace tovrin::regex
