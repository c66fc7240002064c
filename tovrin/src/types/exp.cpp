#include "tovrin/types/exp.hpp"

#include <cstring>
#include <memory>

namespace tovrin {

namespace {

// The operand slots of a two-operand node; nulls for every other kind.
template <class P>
auto operand_slots(P& payload) {
  using Slot =
      std::conditional_t<std::is_const_v<P>, const std::unique_ptr<Exp>, std::unique_ptr<Exp>>;
  return std::visit(
      [](auto& node) -> std::pair<Slot*, Slot*> {
        if constexpr (requires { node.left; }) {
          return {&node.left, &node.right};
        } else {
          return {nullptr, nullptr};
        }
      },
      payload);
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

Exp::Exp(const Exp& other) : payload_(other.shallow_copy()) {
  copy_children_from(other);
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
  // Room for the inner nodes of a typical expression at once, instead of regrowing from one.
  pending.reserve(16);
  move_children_into(pending);
  while (!pending.empty()) {
    Exp node = std::move(pending.back());
    pending.pop_back();
    node.move_children_into(pending);
  }
}

bool Exp::has_children() const noexcept {
  switch (kind()) {
    case Kind::Literal:
    case Kind::Var:
      return false;
    case Kind::Call:
      return !std::get_if<Call>(&payload_)->item.args.empty();
    case Kind::Not:
      return std::get_if<Not>(&payload_)->child != nullptr;
    case Kind::ArrayLit:
      return !std::get_if<ArrayLit>(&payload_)->elements.empty();
    case Kind::ObjectLit:
      return !std::get_if<ObjectLit>(&payload_)->entries.empty();
    default: {
      auto [left, right] = operand_slots(payload_);
      return *left || *right;
    }
  }
}

void Exp::move_children_into(std::vector<Exp>& out) {
  // Children without children of their own (literals, variables) are released where they are,
  // which needs no depth: only the others are moved out.
  const auto take_element = [&](Exp& child) {
    if (child.has_children()) out.push_back(std::move(child));
  };
  const auto take = [&](std::unique_ptr<Exp>& child) {
    if (child) {
      take_element(*child);
      child.reset();
    }
  };
  switch (kind()) {
    case Kind::Literal:
    case Kind::Var:
      return;
    case Kind::Call:
      for (auto& arg : std::get_if<Call>(&payload_)->item.args)
        take_element(arg);
      return;
    case Kind::Not:
      take(std::get_if<Not>(&payload_)->child);
      return;
    case Kind::ArrayLit:
      for (auto& element : std::get_if<ArrayLit>(&payload_)->elements)
        take_element(element);
      return;
    case Kind::ObjectLit:
      for (auto& entry : std::get_if<ObjectLit>(&payload_)->entries)
        take_element(entry.second);
      return;
    default: {
      auto [left, right] = operand_slots(payload_);
      take(*left);
      take(*right);
      return;
    }
  }
}

void Exp::collect_children(std::vector<const Exp*>& out) const {
  push_children(*this, out);
}

void Exp::collect_children(std::vector<Exp*>& out) {
  push_children(*this, out);
}

template <class Self, class Out>
void Exp::push_children(Self& self, Out& out) {
  switch (self.kind()) {
    case Kind::Literal:
    case Kind::Var:
      return;
    case Kind::Call:
      for (auto& arg : std::get_if<Call>(&self.payload_)->item.args)
        out.push_back(&arg);
      return;
    case Kind::Not:
      if (auto& child = std::get_if<Not>(&self.payload_)->child) out.push_back(child.get());
      return;
    case Kind::ArrayLit:
      for (auto& element : std::get_if<ArrayLit>(&self.payload_)->elements)
        out.push_back(&element);
      return;
    case Kind::ObjectLit:
      for (auto& entry : std::get_if<ObjectLit>(&self.payload_)->entries)
        out.push_back(&entry.second);
      return;
    default: {
      auto [left, right] = operand_slots(self.payload_);
      if (*left) out.push_back(left->get());
      if (*right) out.push_back(right->get());
      return;
    }
  }
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

void Exp::copy_children_from(const Exp& other) {
  std::vector<std::pair<const Exp*, Exp*>> work{{&other, this}};
  std::vector<const Exp*> sources;
  std::vector<Exp*> targets;
  while (!work.empty()) {
    auto [source, target] = work.back();
    work.pop_back();
    sources.clear();
    targets.clear();
    source->collect_children(sources);
    target->collect_children(targets);
    for (std::size_t i = 0; i < sources.size(); ++i) {
      targets[i]->payload_ = sources[i]->shallow_copy();
      work.emplace_back(sources[i], targets[i]);
    }
  }
}

void Exp::make_owned() {
  std::vector<Exp*> work{this};
  while (!work.empty()) {
    Exp* node = work.back();
    work.pop_back();
    if (auto* literal = std::get_if<Literal>(&node->payload_)) {
      literal->value.make_owned();
    } else {
      node->collect_children(work);
    }
  }
}

namespace {

// Compares what two nodes hold apart from their children; equal nodes have equally many children.
bool same_node(const Exp& a, const Exp& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Exp::Kind::Literal:
      return a.get_if<Exp::Literal>()->value == b.get_if<Exp::Literal>()->value;
    case Exp::Kind::Call: {
      const auto& x = a.get_if<Exp::Call>()->item;
      const auto& y = b.get_if<Exp::Call>()->item;
      return x.name == y.name && x.args.size() == y.args.size();
    }
    case Exp::Kind::Var:
      return a.get_if<Exp::Var>()->access == b.get_if<Exp::Var>()->access;
    case Exp::Kind::ArrayLit:
      return a.get_if<Exp::ArrayLit>()->elements.size() ==
             b.get_if<Exp::ArrayLit>()->elements.size();
    case Exp::Kind::ObjectLit: {
      const auto& x = a.get_if<Exp::ObjectLit>()->entries;
      const auto& y = b.get_if<Exp::ObjectLit>()->entries;
      if (x.size() != y.size()) return false;
      for (auto i = x.begin(), j = y.begin(); i != x.end(); ++i, ++j) {
        if (i->first != j->first) return false;
      }
      return true;
    }
    default:
      return true;
  }
}

}  // namespace

bool operator==(const Exp& a, const Exp& b) {
  std::vector<std::pair<const Exp*, const Exp*>> work{{&a, &b}};
  std::vector<const Exp*> left_children;
  std::vector<const Exp*> right_children;
  while (!work.empty()) {
    auto [x, y] = work.back();
    work.pop_back();
    if (!same_node(*x, *y)) return false;
    left_children.clear();
    right_children.clear();
    x->collect_children(left_children);
    y->collect_children(right_children);
    if (left_children.size() != right_children.size()) return false;
    // Pushed in reverse so that the walk meets the children in order.
    for (std::size_t i = left_children.size(); i-- > 0;) {
      work.emplace_back(left_children[i], right_children[i]);
    }
  }
  return true;
}

}  // namespace tovrin
