#pragma once

#include <cstdint>
#include <vector>

#include "codepoint_set.hpp"

namespace tovrin::regex {

// Zero-width assertions. "Word" is `\w` in the Unicode forms and [0-9A-Za-z_] in the ASCII
// forms; a missing char (before the start, after the end) counts as a non-word char.
enum class Look : std::uint8_t {
  Start,                 // start of the text
  End,                   // end of the text
  StartLF,               // start of the text or just after an LF
  EndLF,                 // end of the text or just before an LF
  StartCRLF,             // start of text, or after CR or LF, but not between a CR and an LF
  EndCRLF,               // end of text, or before CR or LF, but not between a CR and an LF
  WordAscii,             // exactly one side is a word char
  WordAsciiNegate,       // not WordAscii
  WordUnicode,           //
  WordUnicodeNegate,     //
  WordStartAscii,        // left not word, right word
  WordEndAscii,          // left word, right not word
  WordStartUnicode,      //
  WordEndUnicode,        //
  WordStartHalfAscii,    // left not word (right not examined)
  WordEndHalfAscii,      // right not word (left not examined)
  WordStartHalfUnicode,  //
  WordEndHalfUnicode,    //
};

// The translated pattern, ready for a matcher: every char class resolved to a code point set
// (literals are one-char sets, case folding already applied), every assertion explicit,
// non-capturing groups dropped, repetitions with their counts. Its depth is bounded by the nest
// limit, so walking it recursively is safe.
struct Hir {
  enum class Kind : std::uint8_t {
    Empty,      // matches the empty string
    Class,      // one char from `set` (an empty set never matches)
    Look,       // the assertion `look`
    Repeat,     // children[0] repeated min..max times (max unused when `unbounded`)
    Concat,     // children in sequence
    Alternate,  // any one of children
    Capture,    // children[0]; a capturing group, which only adds to the compiled size
  };

  Kind kind = Kind::Empty;
  CodepointSet set;
  // Class: built with Unicode mode off. Matching ignores it; it only tells apart classes of equal
  // sets when the literal search decides whether the pattern is a small literal set.
  bool byte_class = false;
  regex::Look look = regex::Look::Start;
  std::uint32_t min = 0;
  std::uint32_t max = 0;
  bool unbounded = false;
  // Repeat: prefers more copies (laziness and the `U` flag already applied). Matching ignores it;
  // it orders the literals of the literal search.
  bool greedy = true;
  std::vector<Hir> children;
};

}  // namespace tovrin::regex
