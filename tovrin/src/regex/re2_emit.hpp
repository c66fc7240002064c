#pragma once

#include <string>

#include "hir.hpp"

namespace tovrin::regex {

// What the texts searched with an emitted RE2 pattern must look like for RE2's answer to be
// exact.
struct TextNeeds {
  // RE2 knows only ASCII word boundaries, and its `\B` may hold inside a multi-byte char; on
  // pure-ASCII text both agree with the Unicode and the char-wise meaning.
  bool ascii = false;
  // CRLF-aware line anchors are plain line anchors on text without CR.
  bool no_carriage_return = false;
};

struct Re2Pattern {
  std::string pattern;
  TextNeeds needs;
  // Non-empty when RE2 cannot answer for any text: why.
  std::string unsupported;
};

// Writes the intermediate form as an RE2 pattern that uses none of RE2's own class tables, case
// folding or flags: every set is spelled out as code point ranges.
Re2Pattern emit_re2(const Hir& hir);

}  // namespace tovrin::regex
