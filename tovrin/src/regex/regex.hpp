#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "tovrin/result.hpp"

namespace re2 {
class RE2;
}

namespace tovrin::regex {

class PikeVm;

// A compiled pattern. Safe to search from several threads at once.
//
// Searches go to RE2 where its answer is exact, and to the own Pike VM for the rest: word
// start/end assertions, Unicode word boundaries (and `\B`) on text that is not pure ASCII,
// CRLF-aware line anchors on text that holds a CR, and patterns RE2 cannot compile.
class Matcher {
 public:
  ~Matcher();
  Matcher(const Matcher&) = delete;
  Matcher& operator=(const Matcher&) = delete;

  // Whether the pattern matches anywhere in `text` (valid UTF-8).
  bool is_match(std::string_view text) const;

  // Roughly how many bytes the compiled form holds.
  std::uint64_t footprint() const { return footprint_; }

 private:
  friend Result<std::shared_ptr<const Matcher>, std::string> compile(std::string_view pattern);
  Matcher() = default;

  // Whether RE2's answer for `text` is exact.
  bool re2_answers(std::string_view text) const;

  std::unique_ptr<re2::RE2> re2_;  // absent when RE2 cannot answer any text
  bool re2_needs_ascii_text_ = false;
  bool re2_needs_no_carriage_return_ = false;
  std::unique_ptr<const PikeVm> vm_;  // absent when RE2 answers every text
  std::uint64_t footprint_ = 0;
};

// Compiles a pattern (valid UTF-8). On failure the error is the full text that describes it:
// for a syntax error the multi-line description that quotes the pattern and marks the place.
Result<std::shared_ptr<const Matcher>, std::string> compile(std::string_view pattern);

}  // namespace tovrin::regex
