#include <algorithm>
#include <unordered_map>

#include "hir_props.hpp"
#include "pike_program.hpp"
#include "tovrin/internal_failure.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::regex {

CharClass::CharClass(const CodepointSet& set) {
  for (const CodepointRange& r : set.ranges()) {
    for (char32_t c = r.lo; c <= r.hi && c < 0x80; ++c)
      ascii_[c >> 6] |= std::uint64_t{1} << (c & 63);
    if (r.hi >= 0x80) non_ascii_.push_back({std::max<char32_t>(r.lo, 0x80), r.hi});
  }
}

bool CharClass::contains_non_ascii(char32_t c) const {
  auto it = std::upper_bound(non_ascii_.begin(), non_ascii_.end(), c,
                             [](char32_t v, const CodepointRange& r) { return v < r.lo; });
  return it != non_ascii_.begin() && std::prev(it)->hi >= c;
}

namespace {

// Far above what any pattern within the compile size limit needs.
constexpr std::size_t kMaxInsts = std::size_t{1} << 30;

class PikeCompiler {
 public:
  PikeProgram run(const Hir& hir) {
    program_.anchored_start = anchored_at_start(hir);
    emit(hir);
    push(PikeInst::Op::Match);
    return std::move(program_);
  }

 private:
  std::uint32_t here() const { return static_cast<std::uint32_t>(program_.insts.size()); }

  std::uint32_t push(PikeInst::Op op, std::uint32_t arg = 0) {
    if (program_.insts.size() >= kMaxInsts) TOVRIN_INTERNAL_FAILURE("regex program too large");
    budget_.spend(1);
    std::uint32_t at = here();
    PikeInst inst;
    inst.op = op;
    inst.arg = arg;
    program_.insts.push_back(inst);
    return at;
  }

  // A split whose first branch is the code that follows it; the other is patched later.
  std::uint32_t push_split() { return push(PikeInst::Op::Split, here() + 1); }

  void emit(const Hir& h) {
    switch (h.kind) {
      case Hir::Kind::Empty:
        return;
      case Hir::Kind::Class:
        emit_class(h.set);
        return;
      case Hir::Kind::Look:
        program_.insts[push(PikeInst::Op::Look)].look = h.look;
        return;
      case Hir::Kind::Capture:
        emit(h.children[0]);
        return;
      case Hir::Kind::Concat:
        for (const Hir& child : h.children)
          emit(child);
        return;
      case Hir::Kind::Alternate:
        emit_alternate(h);
        return;
      case Hir::Kind::Repeat:
        emit_repeat(h);
        return;
    }
  }

  void emit_class(const CodepointSet& set) {
    if (set.is_single()) {
      push(PikeInst::Op::Char, set.ranges()[0].lo);
      return;
    }
    // Copies of a repeated class share one table entry.
    auto [it, inserted] = class_index_.try_emplace(&set, program_.classes.size());
    if (inserted) program_.classes.emplace_back(set);
    push(PikeInst::Op::Class, static_cast<std::uint32_t>(it->second));
  }

  void emit_alternate(const Hir& h) {
    std::vector<std::uint32_t> exits;
    for (std::size_t i = 0; i + 1 < h.children.size(); ++i) {
      std::uint32_t split = push_split();
      emit(h.children[i]);
      exits.push_back(push(PikeInst::Op::Jump));
      program_.insts[split].alt = here();
    }
    emit(h.children.back());
    for (std::uint32_t exit : exits)
      program_.insts[exit].arg = here();
  }

  void emit_repeat(const Hir& h) {
    const Hir& child = h.children[0];
    if (!h.unbounded && h.max == 0) return;
    if (matches_only_empty(child)) {
      // It holds once or not at all; with a minimum of 0 the whole repetition always holds.
      if (h.min > 0) emit(child);
      return;
    }
    if (h.unbounded) {
      if (h.min == 0) {
        std::uint32_t loop = push_split();
        emit(child);
        push(PikeInst::Op::Jump, loop);
        program_.insts[loop].alt = here();
        return;
      }
      for (std::uint32_t i = 1; i < h.min; ++i)
        emit(child);
      std::uint32_t last = here();
      emit(child);
      std::uint32_t again = push(PikeInst::Op::Split, last);
      program_.insts[again].alt = here();
      return;
    }
    for (std::uint32_t i = 0; i < h.min; ++i)
      emit(child);
    // Each optional copy may end the repetition: x{2,4} is x x (x (x)?)?, written flat.
    std::vector<std::uint32_t> exits;
    for (std::uint32_t i = h.min; i < h.max; ++i) {
      exits.push_back(push_split());
      emit(child);
    }
    for (std::uint32_t exit : exits)
      program_.insts[exit].alt = here();
  }

  PikeProgram program_;
  std::unordered_map<const CodepointSet*, std::size_t> class_index_;
  // Every instruction made spends a unit, so that compiling a large pattern can be stopped.
  WorkBudget& budget_ = WorkBudget::current();
};

}  // namespace

PikeProgram compile_pike(const Hir& hir) {
  return PikeCompiler().run(hir);
}

}  // namespace tovrin::regex
