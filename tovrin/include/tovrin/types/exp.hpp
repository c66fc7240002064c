#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "tovrin/functions.hpp"
#include "tovrin/types/compact_text.hpp"
#include "tovrin/types/sorted_map.hpp"
#include "tovrin/types/value.hpp"
#include "tovrin/types/var.hpp"

namespace tovrin {

class Exp;

// The child trees of a call or an array literal, in order: one allocation of exactly their
// number, which never changes once the list is made. The count is kept in the allocation, in
// front of the trees, so that the list itself is one pointer.
class ExpList {
 public:
  ExpList() noexcept = default;
  // `count` null literals, to be replaced.
  explicit ExpList(std::size_t count);
  // Implicit, so that lists can be written as vectors.
  ExpList(std::vector<Exp>&& trees);
  // A list of the trees moved out of `trees`.
  static ExpList moved_from(std::span<Exp> trees);
  ExpList(const ExpList& other) = delete;
  ExpList& operator=(const ExpList& other) = delete;
  ExpList(ExpList&& other) noexcept : trees_(std::exchange(other.trees_, nullptr)) {}
  ExpList& operator=(ExpList&& other) noexcept {
    if (this != &other) {
      release();
      trees_ = std::exchange(other.trees_, nullptr);
    }
    return *this;
  }
  ~ExpList() { release(); }

  std::size_t size() const noexcept { return trees_ == nullptr ? 0 : count_of(trees_); }
  bool empty() const noexcept { return trees_ == nullptr; }
  Exp* begin() noexcept { return trees_; }
  const Exp* begin() const noexcept { return trees_; }
  // Defined below, where Exp is complete.
  Exp* end() noexcept;
  const Exp* end() const noexcept;
  std::reverse_iterator<const Exp*> rbegin() const noexcept;
  std::reverse_iterator<const Exp*> rend() const noexcept;
  Exp& operator[](std::size_t i) noexcept;
  const Exp& operator[](std::size_t i) const noexcept;
  const Exp& front() const noexcept;
  const Exp& back() const noexcept;

 private:
  // The allocation: the count, then the trees. Exp is aligned to 8, as the count is.
  static constexpr std::size_t kHeader = sizeof(std::size_t);
  static std::size_t count_of(const Exp* trees) noexcept {
    std::size_t count;
    std::memcpy(&count, reinterpret_cast<const char*>(trees) - kHeader, sizeof count);
    return count;
  }
  // Room for `count` trees after their count; the trees are not made.
  static Exp* allocate(std::size_t count);
  // Releases each tree through its own iterative destructor, then the allocation.
  void release() noexcept;

  Exp* trees_ = nullptr;  // null for an empty list
};

// A call: the function's name (always owned), its argument trees in call order, and the
// built-in function of that name, found once when the call is made (null when no built-in has
// the name).
struct FunctionItem {
  CompactText name;
  ExpList args;
  functions::Builtin builtin;

  FunctionItem(std::string_view name, ExpList args);
};

// A node of an expression tree. Only the text of string literals may borrow from the expression
// text; into_owned() detaches a tree from it.
//
// Trees may be very deep (a chain of 10^5 `&&` operands nests as deep), so copying, comparing,
// converting and releasing a tree use explicit work lists instead of recursion.
class Exp {
 public:
  enum class Kind : std::uint8_t {
    Literal,
    Call,
    Var,
    Not,
    Or,
    And,
    Eq,
    Neq,
    Gt,
    Lt,
    Geq,
    Leq,
    ArrayLit,
    ObjectLit,
  };

  struct Literal {
    Value value;
  };
  struct Call {
    FunctionItem item;
  };
  struct Var {
    VarAccess access;
  };
  struct Not {
    std::unique_ptr<Exp> child;
  };
  template <Kind K>
  struct Binary {
    std::unique_ptr<Exp> left;
    std::unique_ptr<Exp> right;
  };
  using Or = Binary<Kind::Or>;
  using And = Binary<Kind::And>;
  using Eq = Binary<Kind::Eq>;
  using Neq = Binary<Kind::Neq>;
  using Gt = Binary<Kind::Gt>;
  using Lt = Binary<Kind::Lt>;
  using Geq = Binary<Kind::Geq>;
  using Leq = Binary<Kind::Leq>;
  struct ArrayLit {
    ExpList elements;
  };
  struct ObjectLit {
    SortedMap<Exp> entries;
  };

  using Payload = std::variant<Literal, Call, Var, Not, Or, And, Eq, Neq, Gt, Lt, Geq, Leq,
                               ArrayLit, ObjectLit>;

  // A null literal; also the state of a moved-from node.
  Exp() = default;
  template <class T>
  requires std::is_constructible_v<Payload, T&&> &&
      (!std::is_same_v<std::decay_t<T>, Exp>)Exp(T&& payload)
      : payload_(std::forward<T>(payload)) {}

  static Exp literal(Value value) { return Exp(Literal{std::move(value)}); }
  static Exp negation(Exp child) { return Exp(Not{std::make_unique<Exp>(std::move(child))}); }
  template <Kind K>
  static Exp binary(Exp left, Exp right) {
    return Exp(
        Binary<K>{std::make_unique<Exp>(std::move(left)), std::make_unique<Exp>(std::move(right))});
  }
  static Exp gt(Exp left, Exp right) { return binary<Kind::Gt>(std::move(left), std::move(right)); }
  static Exp lt(Exp left, Exp right) { return binary<Kind::Lt>(std::move(left), std::move(right)); }
  static Exp geq(Exp left, Exp right) {
    return binary<Kind::Geq>(std::move(left), std::move(right));
  }
  static Exp leq(Exp left, Exp right) {
    return binary<Kind::Leq>(std::move(left), std::move(right));
  }

  Exp(const Exp& other);
  Exp& operator=(const Exp& other);
  Exp(Exp&& other) noexcept = default;
  Exp& operator=(Exp&& other) noexcept;
  ~Exp();

  Kind kind() const noexcept { return static_cast<Kind>(payload_.index()); }
  const Payload& payload() const noexcept { return payload_; }
  template <class T>
  const T* get_if() const noexcept {
    return std::get_if<T>(&payload_);
  }

  // Converts every borrowed string literal into an owned copy.
  void make_owned();
  Exp into_owned() && {
    make_owned();
    return std::move(*this);
  }

  // Structural equality; literals compare by Value equality.
  friend bool operator==(const Exp& a, const Exp& b);

  // Calls `visit` with each direct child: the operand, the left then the right operand, the
  // arguments, the elements, or the entry values in key order. This is the one place that reads
  // where each kind keeps its children (shallow_copy makes room for them); every walk over a
  // whole tree (copying, equality, into_owned, release) is built on it and keeps its pending
  // nodes in a work list of its own.
  template <class Visit>
  void for_each_child(Visit&& visit) {
    visit_children(*this, [&](Exp& child) {
      visit(child);
      return true;
    });
  }
  template <class Visit>
  void for_each_child(Visit&& visit) const {
    visit_children(*this, [&](const Exp& child) {
      visit(child);
      return true;
    });
  }

  // Appends pointers to the direct children, in the order of for_each_child.
  void collect_children(std::vector<const Exp*>& out) const {
    for_each_child([&](const Exp& child) { out.push_back(&child); });
  }

 private:
  // Calls `visit` with each direct child, in the order of for_each_child, until it returns false;
  // returns whether it never did. `Node` is Exp or const Exp.
  template <class Node, class Visit>
  static bool visit_children(Node& node, Visit&& visit);
  // Whether some direct child satisfies `pred`; the children after the first that does are not
  // looked at.
  template <class Pred>
  bool any_child(Pred pred) const {
    return !visit_children(*this, [&](const Exp& child) { return !pred(child); });
  }
  bool has_children() const noexcept {
    return any_child([](const Exp&) { return true; });
  }
  // Moves out the children that have children of their own, for release without recursion.
  void move_inner_children_into(std::vector<Exp>& out);
  // A copy of this node's own data, with default nodes in place of its children.
  Payload shallow_copy() const;

  Payload payload_;
};

inline Exp* ExpList::end() noexcept {
  return begin() + size();
}
inline const Exp* ExpList::end() const noexcept {
  return begin() + size();
}
inline std::reverse_iterator<const Exp*> ExpList::rbegin() const noexcept {
  return std::reverse_iterator<const Exp*>(end());
}
inline std::reverse_iterator<const Exp*> ExpList::rend() const noexcept {
  return std::reverse_iterator<const Exp*>(begin());
}
inline Exp& ExpList::operator[](std::size_t i) noexcept {
  return begin()[i];
}
inline const Exp& ExpList::operator[](std::size_t i) const noexcept {
  return begin()[i];
}
inline const Exp& ExpList::front() const noexcept {
  return *begin();
}
inline const Exp& ExpList::back() const noexcept {
  return end()[-1];
}

template <class Node, class Visit>
bool Exp::visit_children(Node& node, Visit&& visit) {
  auto& payload = node.payload_;
  const auto each = [&](auto& children) {
    for (auto& child : children) {
      if (!visit(child)) return false;
    }
    return true;
  };
  // An operand is missing only in a node that was moved from.
  const auto operands = [&](auto* binary) {
    return (!binary->left || visit(*binary->left)) && (!binary->right || visit(*binary->right));
  };
  switch (node.kind()) {
    case Kind::Literal:
    case Kind::Var:
      return true;
    case Kind::Call:
      return each(std::get_if<Call>(&payload)->item.args);
    case Kind::Not: {
      auto& child = std::get_if<Not>(&payload)->child;
      return !child || visit(*child);
    }
    case Kind::Or:
      return operands(std::get_if<Or>(&payload));
    case Kind::And:
      return operands(std::get_if<And>(&payload));
    case Kind::Eq:
      return operands(std::get_if<Eq>(&payload));
    case Kind::Neq:
      return operands(std::get_if<Neq>(&payload));
    case Kind::Gt:
      return operands(std::get_if<Gt>(&payload));
    case Kind::Lt:
      return operands(std::get_if<Lt>(&payload));
    case Kind::Geq:
      return operands(std::get_if<Geq>(&payload));
    case Kind::Leq:
      return operands(std::get_if<Leq>(&payload));
    case Kind::ArrayLit:
      return each(std::get_if<ArrayLit>(&payload)->elements);
    case Kind::ObjectLit:
      for (auto& entry : std::get_if<ObjectLit>(&payload)->entries) {
        if (!visit(entry.second)) return false;
      }
      return true;
  }
  return true;
}

static_assert(sizeof(Exp) == 40, "nodes are kept small: most of a tree is nodes");

}  // namespace tovrin
