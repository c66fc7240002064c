#include "tovrin/types/exp.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace tovrin {

namespace {

// Walks two trees side by side, without recursion, handing `visit` each pair of nodes that stand
// at the same place, a parent before its children. `visit` returns false to end the walk; so does
// a pair whose nodes have unequally many children. Returns whether the walk went through both
// trees.
//
// Children are met last to first: operator chains lean to the left, so the deep side of a node is
// its first child, and taking it last keeps the work list short.
template <class A, class B, class Visit>
bool walk_in_step(A& a, B& b, Visit visit) {
  std::vector<std::pair<A*, B*>> work{{&a, &b}};
  std::vector<A*> a_children;
  std::vector<B*> b_children;
  while (!work.empty()) {
    auto [x, y] = work.back();
    work.pop_back();
    if (!visit(*x, *y)) return false;
    a_children.clear();
    b_children.clear();
    x->for_each_child([&](A& child) { a_children.push_back(&child); });
    y->for_each_child([&](B& child) { b_children.push_back(&child); });
    if (a_children.size() != b_children.size()) return false;
    for (std::size_t i = 0; i < a_children.size(); ++i)
      work.emplace_back(a_children[i], b_children[i]);
  }
  return true;
}

// Compares what two nodes hold apart from their children.
bool same_node(const Exp& a, const Exp& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Exp::Kind::Literal:
      return a.get_if<Exp::Literal>()->value == b.get_if<Exp::Literal>()->value;
    case Exp::Kind::Call:
      return a.get_if<Exp::Call>()->item.name == b.get_if<Exp::Call>()->item.name;
    case Exp::Kind::Var:
      return a.get_if<Exp::Var>()->access == b.get_if<Exp::Var>()->access;
    case Exp::Kind::ObjectLit: {
      const auto& x = a.get_if<Exp::ObjectLit>()->entries;
      const auto& y = b.get_if<Exp::ObjectLit>()->entries;
      return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                        [](const auto& i, const auto& j) { return i.first == j.first; });
    }
    default:
      return true;
  }
}

}  // namespace

Exp* ExpList::allocate(std::size_t count) {
  static_assert(alignof(Exp) <= kHeader);
  char* block = static_cast<char*>(::operator new(kHeader + count * sizeof(Exp)));
  std::memcpy(block, &count, sizeof count);
  return reinterpret_cast<Exp*>(block + kHeader);
}

ExpList::ExpList(std::size_t count) {
  if (count == 0) return;
  trees_ = allocate(count);
  std::uninitialized_value_construct_n(trees_, count);
}

ExpList::ExpList(std::vector<Exp>&& trees) : ExpList(moved_from(trees)) {}

ExpList ExpList::moved_from(std::span<Exp> trees) {
  ExpList list;
  if (trees.empty()) return list;
  list.trees_ = allocate(trees.size());
  std::uninitialized_move(trees.begin(), trees.end(), list.trees_);
  return list;
}

void ExpList::release() noexcept {
  if (trees_ == nullptr) return;
  std::destroy_n(trees_, size());
  ::operator delete(reinterpret_cast<char*>(trees_) - kHeader);
  trees_ = nullptr;
}

FunctionItem::FunctionItem(std::string_view name, ExpList args)
    : name(name), args(std::move(args)), builtin(functions::find_builtin(name)) {}

// Each node of the copy is made with default nodes in place of its children, which the walk then
// reaches and fills.
Exp::Exp(const Exp& other) {
  walk_in_step(other, *this, [](const Exp& source, Exp& target) {
    target.payload_ = source.shallow_copy();
    return true;
  });
}

Exp& Exp::operator=(const Exp& other) {
  if (this != &other) *this = Exp(other);
  return *this;
}

Exp& Exp::operator=(Exp&& other) noexcept {
  if (this != &other) {
    // Release the old tree through the iterative destructor, not the recursive default one.
    Exp old(std::move(*this));
    payload_ = std::move(other.payload_);
  }
  return *this;
}

Exp::~Exp() {
  if (!has_children()) return;
  std::vector<Exp> pending;
  move_inner_children_into(pending);
  while (!pending.empty()) {
    Exp node = std::move(pending.back());
    pending.pop_back();
    node.move_inner_children_into(pending);
  }
}

// Children without children of their own (literals, variables) are released where they stand,
// which takes no depth; only the others are moved out, each leaving an empty node behind.
void Exp::move_inner_children_into(std::vector<Exp>& out) {
  for_each_child([&](Exp& child) {
    if (!child.has_children()) return;
    // Room for the inner nodes of a typical expression at once, instead of regrowing from one.
    if (out.capacity() == 0) out.reserve(16);
    out.push_back(std::move(child));
  });
}

Exp::Payload Exp::shallow_copy() const {
  return std::visit(
      [](const auto& node) -> Payload {
        using T = std::decay_t<decltype(node)>;
        if constexpr (std::is_same_v<T, Literal> || std::is_same_v<T, Var>) {
          return node;
        } else if constexpr (std::is_same_v<T, Call>) {
          return Call{FunctionItem(node.item.name, ExpList(node.item.args.size()))};
        } else if constexpr (std::is_same_v<T, Not>) {
          return Not{node.child ? std::make_unique<Exp>() : nullptr};
        } else if constexpr (std::is_same_v<T, ArrayLit>) {
          return ArrayLit{ExpList(node.elements.size())};
        } else if constexpr (std::is_same_v<T, ObjectLit>) {
          SortedMap<Exp> entries;
          entries.reserve(node.entries.size());
          for (const auto& entry : node.entries)
            entries.insert_or_assign(entry.first, Exp());
          return ObjectLit{std::move(entries)};
        } else {
          return T{node.left ? std::make_unique<Exp>() : nullptr,
                   node.right ? std::make_unique<Exp>() : nullptr};
        }
      },
      payload_);
}

void Exp::make_owned() {
  std::vector<Exp*> work{this};
  while (!work.empty()) {
    Exp* node = work.back();
    work.pop_back();
    if (auto* literal = std::get_if<Literal>(&node->payload_)) {
      literal->value.make_owned();
    } else {
      node->for_each_child([&](Exp& child) { work.push_back(&child); });
    }
  }
}

bool operator==(const Exp& a, const Exp& b) {
  return walk_in_step(a, b, [](const Exp& x, const Exp& y) { return same_node(x, y); });
}

}  // namespace tovrin
