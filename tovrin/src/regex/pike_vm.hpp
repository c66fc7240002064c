#pragma once

#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "hir.hpp"
#include "pike_program.hpp"

namespace tovrin::regex {

// A Thompson NFA simulation over the chars of the text (a Pike VM without captures): every
// char is examined once against the set of live states, so a search takes time linear in the
// text for a fixed pattern and memory proportional to the program. It answers every pattern of
// the dialect, assertions included. Safe to search from several threads at once.
class PikeVm {
 public:
  explicit PikeVm(const Hir& hir);
  ~PikeVm();

  // Whether the pattern matches anywhere in `text` (valid UTF-8).
  bool is_match(std::string_view text) const;

  std::size_t program_size() const { return program_.insts.size(); }

 private:
  struct Scratch;

  std::unique_ptr<Scratch> acquire() const;
  void release(std::unique_ptr<Scratch> scratch) const;

  PikeProgram program_;
  mutable std::mutex pool_mutex_;
  mutable std::vector<std::unique_ptr<Scratch>> pool_;
};

}  // namespace tovrin::regex
