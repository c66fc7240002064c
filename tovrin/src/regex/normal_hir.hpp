#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hir.hpp"

namespace tovrin::regex {

// The intermediate form rebuilt into the normal shape the literal search decision is taken on.
// The shape decides which literal sets come out of a pattern, so it follows fixed rules:
// - a concatenation is flattened, its empty pieces are dropped and adjacent literal chars are
//   joined into one literal string;
// - an alternation is flattened; one of single chars only, or of classes only, becomes one class;
//   otherwise, when every branch is a concatenation and they all begin with the same items,
//   those items are factored out in front of an alternation of the rests;
// - a class of one char is a literal, a class of none never matches;
// - `x{0}` is empty, `x{1}` is `x`, and a piece that only matches the empty string is repeated at
//   most once.
// Every node built through `normalize` keeps these invariants: a concatenation or alternation
// has at least two children, a literal is never empty.
struct NormalHir {
  enum class Kind : std::uint8_t {
    Empty,
    Literal,    // `literal`, UTF-8
    Class,      // one char of `set`: two or more chars, or none (never matches)
    Look,       // the assertion `look`
    Repeat,     // children[0] repeated min..max times (no max when unbounded)
    Capture,    // children[0] in a capturing group
    Concat,     // children in sequence
    Alternate,  // any one of children, the first preferred
  };

  Kind kind = Kind::Empty;
  std::string literal;
  // Class: the chars, shared with the intermediate form it was built from (which must outlive
  // it) or owned when classes were merged.
  std::shared_ptr<const CodepointSet> set;
  // Class: built with Unicode mode off. Byte classes and char classes never compare equal, even
  // with equal sets; a class of none is always a byte class.
  bool byte_class = false;
  regex::Look look = regex::Look::Start;
  std::uint32_t min = 0;
  std::optional<std::uint32_t> max;
  bool greedy = true;
  std::vector<NormalHir> children;

  // Matches the empty string and nothing else: no piece in it consumes a char or never matches.
  bool only_empty = true;
  bool has_capture = false;
  bool has_look = false;
};

// Whether two nodes have the same shape. Two capturing groups are never the same: each is its
// own group.
bool same_shape(const NormalHir& a, const NormalHir& b);

// The normal form of `hir`; it refers to the classes of `hir`.
NormalHir normalize(const Hir& hir);

}  // namespace tovrin::regex
