#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "tovrin/result.hpp"

namespace re2 {
class RE2;
}

namespace tovrin::regex {

// A compiled pattern. Safe to search from several threads at once.
//
// Some patterns are valid but not yet answerable by the RE2-based search: word start/end
// assertions, Unicode word boundaries (and `\B`) on text that is not pure ASCII, CRLF-aware line
// anchors on text that holds a CR, and repetitions too large to spell out. For those, is_match
// throws InternalFailure instead of answering, and only for the texts that need it; compile
// itself never throws.
class Matcher {
 public:
  ~Matcher();
  Matcher(const Matcher&) = delete;
  Matcher& operator=(const Matcher&) = delete;

  // Whether the pattern matches anywhere in `text` (valid UTF-8).
  bool is_match(std::string_view text) const;

 private:
  friend Result<std::shared_ptr<const Matcher>, std::string> compile(std::string_view pattern);
  Matcher() = default;

  std::unique_ptr<re2::RE2> re2_;
  bool needs_ascii_text_ = false;
  bool needs_no_carriage_return_ = false;
  std::string unsupported_;
};

// Compiles a pattern (valid UTF-8). On failure the error is the full text that describes it:
// for a syntax error the multi-line description that quotes the pattern and marks the place.
Result<std::shared_ptr<const Matcher>, std::string> compile(std::string_view pattern);

}  // namespace tovrin::regex
