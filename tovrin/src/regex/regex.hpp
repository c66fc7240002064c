#pragma once

#include <cstdint>
#include <memory>
#include <optional>
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
//
// A search can be stopped (tovrin/work_budget.hpp): the VM spends work for every char, and RE2
// searches a long text in windows short enough to end soon even at RE2's slowest, spending
// between them. That needs matches of bounded length; a pattern whose matches are too long for
// such windows searches long texts on the VM instead. RE2 searches a pattern of unbounded
// matches in one go, unless a large counted repetition in it may make RE2's DFA give way to
// its slow NFA: such a pattern searches long texts on the VM as well.
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

  // Whether RE2's answer for `text` is exact and comes within the limits above.
  bool re2_answers(std::string_view text) const;
  // Whether one RE2 search of `bytes` bytes stays within the work allowed between stop checks.
  bool re2_searches_at_once(std::size_t bytes) const;
  // Whether RE2 can search texts of any length: in windows, or at once when matches are
  // unbounded and its DFA is not at risk.
  bool re2_searches_any_length() const;
  bool re2_search(std::string_view text) const;

  std::unique_ptr<re2::RE2> re2_;  // absent when RE2 cannot answer any text
  bool re2_needs_ascii_text_ = false;
  bool re2_needs_no_carriage_return_ = false;
  // The most bytes one RE2 search covers: its share of the work allowed between stop checks,
  // by the size of its program.
  std::uint64_t re2_search_bytes_ = 0;
  std::optional<std::uint64_t> max_match_bytes_;  // nothing when matches are unbounded
  bool re2_dfa_at_risk_ = false;
  std::unique_ptr<const PikeVm> vm_;  // absent when RE2 answers every text
  std::uint64_t footprint_ = 0;
};

// Compiles a pattern (valid UTF-8). On failure the error is the full text that describes it:
// for a syntax error the multi-line description that quotes the pattern and marks the place.
Result<std::shared_ptr<const Matcher>, std::string> compile(std::string_view pattern);

}  // namespace tovrin::regex
