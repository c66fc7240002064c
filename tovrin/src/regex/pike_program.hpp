#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "codepoint_set.hpp"
#include "hir.hpp"

namespace tovrin::regex {

// A char set laid out for membership tests during a search: a bitmap for ASCII, sorted ranges
// for the rest.
class CharClass {
 public:
  explicit CharClass(const CodepointSet& set);
  bool contains(char32_t c) const {
    if (c < 0x80) return (ascii_[c >> 6] >> (c & 63)) & 1;
    return contains_non_ascii(c);
  }

 private:
  bool contains_non_ascii(char32_t c) const;

  std::array<std::uint64_t, 2> ascii_{};
  std::vector<CodepointRange> non_ascii_;
};

// One step of a Thompson NFA over chars. Char, Class and Look continue at the next
// instruction.
struct PikeInst {
  enum class Op : std::uint8_t {
    Char,   // consume the char `arg`
    Class,  // consume a char of classes[arg]
    Look,   // hold only where `look` does
    Split,  // continue at both `arg` and `alt`
    Jump,   // continue at `arg`
    Match,
  };
  Op op = Op::Match;
  regex::Look look = regex::Look::Start;
  std::uint32_t arg = 0;
  std::uint32_t alt = 0;
};

struct PikeProgram {
  std::vector<PikeInst> insts;  // starts at 0
  std::vector<CharClass> classes;
  // Every match begins at the start of the text, so the search need not restart later.
  bool anchored_start = false;
};

// Counted repetitions are written out as copies; a repetition of something that matches only
// the empty string is written once. The caller bounds the program's size by checking the
// pattern against the compile size limit first.
PikeProgram compile_pike(const Hir& hir);

}  // namespace tovrin::regex
