#include "pike_vm.hpp"

#include <cstdint>
#include <utility>

#include "look_matcher.hpp"
#include "tovrin/utils/utf8.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::regex {

namespace {

// A set of instruction indices with constant-time insert, test and clear, in insertion order.
class SparseSet {
 public:
  explicit SparseSet(std::size_t capacity) : dense_(capacity), sparse_(capacity) {}

  bool insert(std::uint32_t value) {
    std::uint32_t slot = sparse_[value];
    if (slot < size_ && dense_[slot] == value) return false;
    sparse_[value] = size_;
    dense_[size_++] = value;
    return true;
  }
  void clear() { size_ = 0; }
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  const std::uint32_t* begin() const { return dense_.data(); }
  const std::uint32_t* end() const { return dense_.data() + size_; }

 private:
  std::vector<std::uint32_t> dense_;
  std::vector<std::uint32_t> sparse_;
  std::uint32_t size_ = 0;
};

}  // namespace

struct PikeVm::Scratch {
  explicit Scratch(std::size_t size) : current(size), next(size) {}
  SparseSet current;
  SparseSet next;
  std::vector<std::uint32_t> stack;
};

namespace {

// Adds `start` and everything reachable from it without consuming a char at the position
// described by `at`. Returns whether a match state was reached.
bool add_closure(const PikeProgram& program, SparseSet& set, std::vector<std::uint32_t>& stack,
                 std::uint32_t start, const Surroundings& at) {
  stack.push_back(start);
  while (!stack.empty()) {
    std::uint32_t pc = stack.back();
    stack.pop_back();
    if (!set.insert(pc)) continue;
    const PikeInst& inst = program.insts[pc];
    switch (inst.op) {
      case PikeInst::Op::Match:
        stack.clear();
        return true;
      case PikeInst::Op::Jump:
        stack.push_back(inst.arg);
        break;
      case PikeInst::Op::Split:
        stack.push_back(inst.alt);
        stack.push_back(inst.arg);
        break;
      case PikeInst::Op::Look:
        if (look_holds(inst.look, at)) stack.push_back(pc + 1);
        break;
      case PikeInst::Op::Char:
      case PikeInst::Op::Class:
        break;
    }
  }
  return false;
}

bool consumes(const PikeProgram& program, const PikeInst& inst, char32_t c) {
  if (inst.op == PikeInst::Op::Char) return inst.arg == c;
  return inst.op == PikeInst::Op::Class && program.classes[inst.arg].contains(c);
}

// Live states stepped over one char per unit of work.
constexpr std::size_t kStatesPerUnit = 8;

char32_t char_at(std::string_view text, std::size_t offset) {
  return offset < text.size() ? utf8::decode_valid_at(text, offset) : Surroundings::kNone;
}

}  // namespace

PikeVm::PikeVm(const Hir& hir) : program_(compile_pike(hir)) {}

PikeVm::~PikeVm() = default;

std::unique_ptr<PikeVm::Scratch> PikeVm::acquire() const {
  {
    std::lock_guard<std::mutex> lock(pool_mutex_);
    if (!pool_.empty()) {
      std::unique_ptr<Scratch> scratch = std::move(pool_.back());
      pool_.pop_back();
      return scratch;
    }
  }
  return std::make_unique<Scratch>(program_.insts.size());
}

void PikeVm::release(std::unique_ptr<Scratch> scratch) const {
  std::lock_guard<std::mutex> lock(pool_mutex_);
  pool_.push_back(std::move(scratch));
}

bool PikeVm::is_match(std::string_view text) const {
  WorkBudget& budget = WorkBudget::current();
  std::unique_ptr<Scratch> scratch = acquire();
  SparseSet* current = &scratch->current;
  SparseSet* next = &scratch->next;
  current->clear();
  bool found = false;
  std::size_t offset = 0;
  Surroundings at{Surroundings::kNone, char_at(text, 0)};
  for (;;) {
    // A match may start here as well as continue from earlier.
    if (offset == 0 || !program_.anchored_start) {
      if (add_closure(program_, *current, scratch->stack, 0, at)) {
        found = true;
        break;
      }
    }
    if (offset == text.size() || (current->empty() && program_.anchored_start)) break;
    // A char costs a step for each live state; a stop request leaves the scratch to be freed.
    budget.spend(1 + current->size() / kStatesPerUnit);
    std::size_t following = offset + utf8::encoded_length(at.right);
    Surroundings after{at.right, char_at(text, following)};
    next->clear();
    for (std::uint32_t pc : *current) {
      if (consumes(program_, program_.insts[pc], at.right) &&
          add_closure(program_, *next, scratch->stack, pc + 1, after)) {
        found = true;
        break;
      }
    }
    if (found) break;
    std::swap(current, next);
    offset = following;
    at = after;
  }
  release(std::move(scratch));
  return found;
}

}  // namespace tovrin::regex
