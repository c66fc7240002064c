#include "tovrin/types/exp.hpp"

#include <gtest/gtest.h>

namespace tovrin {
namespace {

Exp var(std::string name) {
  return Exp(Exp::Var{VarAccess({VarName{std::move(name), {}}})});
}
Exp int_lit(std::int64_t v) {
  return Exp::literal(Value::Int(v));
}
Exp text_lit(std::string_view borrowed) {
  return Exp::literal(Value::borrowed_string(borrowed));
}
Exp call(std::string_view name, std::vector<Exp> args) {
  return Exp(Exp::Call{FunctionItem(name, std::move(args))});
}
Exp object(std::vector<SortedMap<Exp>::Entry> entries) {
  return Exp(Exp::ObjectLit{SortedMap<Exp>::from_entries(std::move(entries))});
}
std::vector<Exp> list(Exp a, Exp b) {
  std::vector<Exp> out;
  out.push_back(std::move(a));
  out.push_back(std::move(b));
  return out;
}

TEST(ExpEquality, StructuralCases) {
  EXPECT_EQ(Exp::binary<Exp::Kind::Eq>(var("a"), var("b")),
            Exp::binary<Exp::Kind::Eq>(var("a"), var("b")));
  EXPECT_NE(int_lit(1), Exp::literal(Value::Float(1.0)));
  EXPECT_EQ(Exp::literal(Value::Float(0.0)), Exp::literal(Value::Float(-0.0)));
  const std::string source = "x";
  EXPECT_EQ(text_lit(source), Exp::literal(Value::owned_string("x")));
  EXPECT_EQ(object({{"a", int_lit(1)}, {"b", int_lit(2)}}),
            object({{"b", int_lit(2)}, {"a", int_lit(1)}}));
  EXPECT_EQ(object({{"a", int_lit(1)}, {"a", int_lit(2)}}), object({{"a", int_lit(2)}}));
  EXPECT_NE(object({{"a", int_lit(1)}}), object({{"b", int_lit(1)}}));
  EXPECT_NE(call("f", list(var("a"), var("b"))), call("f", list(var("b"), var("a"))));
  EXPECT_NE(call("f", {}), call("F", {}));
  EXPECT_NE(call("f", {}), call("f", list(var("a"), var("b"))));
  EXPECT_NE(Exp::gt(var("a"), var("b")), Exp::lt(var("b"), var("a")));
  EXPECT_NE(Exp::negation(var("a")), var("a"));
  EXPECT_NE(Exp(Exp::ArrayLit{list(int_lit(1), int_lit(2))}),
            Exp(Exp::ArrayLit{list(int_lit(2), int_lit(1))}));
  EXPECT_NE(var("a"), Exp(Exp::Var{VarAccess({VarName{"a", 0}})}));
}

TEST(ExpConstructors, ComparisonKindsAndOperandOrder) {
  const Exp gt = Exp::gt(var("l"), var("r"));
  EXPECT_EQ(gt.kind(), Exp::Kind::Gt);
  EXPECT_EQ(*gt.get_if<Exp::Gt>()->left, var("l"));
  EXPECT_EQ(Exp::lt(var("l"), var("r")).kind(), Exp::Kind::Lt);
  EXPECT_EQ(Exp::geq(var("l"), var("r")).kind(), Exp::Kind::Geq);
  EXPECT_EQ(Exp::leq(var("l"), var("r")).kind(), Exp::Kind::Leq);
  const FunctionItem item("name", {});
  EXPECT_EQ(item.name, "name");
}

TEST(ExpOwnership, CopyBorrowsAndIntoOwnedDetaches) {
  std::string source = "text";
  Exp tree = call("f", list(text_lit(source), Exp::negation(text_lit(source))));
  const Exp copy = tree;
  EXPECT_EQ(copy, tree);
  const auto& copied_arg = copy.get_if<Exp::Call>()->item.args[0];
  EXPECT_TRUE(copied_arg.get_if<Exp::Literal>()->value.as_text()->is_borrowed());

  Exp owned = std::move(tree).into_owned();
  source.assign("XXXX");
  const Exp expected = call("f", list(Exp::literal(Value::owned_string("text")),
                                      Exp::negation(Exp::literal(Value::owned_string("text")))));
  EXPECT_EQ(owned, expected);
  EXPECT_EQ(Exp(owned).into_owned(), expected);
}

// The children of every kind, in the order that the tree walks and the binding rely on.
TEST(ExpChildren, EachKindInOrder) {
  const auto children_of = [](const Exp& tree) {
    std::vector<Exp> out;
    tree.for_each_child([&](const Exp& child) { out.push_back(child); });
    return out;
  };
  struct Case {
    Exp tree;
    std::vector<Exp> children;
  };
  const Case cases[] = {
      {int_lit(1), {}},
      {var("a"), {}},
      {Exp::negation(var("a")), {var("a")}},
      {Exp::leq(var("l"), var("r")), {var("l"), var("r")}},
      {call("f", list(int_lit(1), var("x"))), {int_lit(1), var("x")}},
      {call("f", {}), {}},
      {Exp(Exp::ArrayLit{list(var("x"), int_lit(2))}), {var("x"), int_lit(2)}},
      {object({{"b", var("x")}, {"a", int_lit(1)}}), {int_lit(1), var("x")}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(children_of(c.tree), c.children) << static_cast<int>(c.tree.kind());
    std::vector<const Exp*> collected;
    c.tree.collect_children(collected);
    ASSERT_EQ(collected.size(), c.children.size());
    for (std::size_t i = 0; i < collected.size(); ++i)
      EXPECT_EQ(*collected[i], c.children[i]);
  }
}

// A node that lost its operand (the state a move leaves behind) differs from one that has it.
TEST(ExpEquality, MissingOperandDiffers) {
  EXPECT_NE(Exp(Exp::Not{nullptr}), Exp::negation(var("a")));
  EXPECT_EQ(Exp(Exp::Not{nullptr}), Exp(Exp::Not{nullptr}));
  EXPECT_EQ(Exp(Exp::Not{nullptr}), Exp(Exp(Exp::Not{nullptr})));
}

// Every operation on a tree must cope with nesting far beyond what the call stack allows.
TEST(ExpDepth, MillionLevelTreesNeedNoRecursion) {
  constexpr int kDepth = 1'000'000;
  const std::string source = "s";
  Exp chain = text_lit(source);
  for (int i = 0; i < kDepth; ++i) {
    chain = (i % 3 == 0)   ? Exp::binary<Exp::Kind::And>(std::move(chain), var("x"))
            : (i % 3 == 1) ? Exp::negation(std::move(chain))
                           : call("f", list(var("y"), std::move(chain)));
  }
  Exp copy = chain;
  EXPECT_EQ(copy, chain);
  copy.make_owned();
  EXPECT_EQ(copy, chain);
  Exp different = Exp::binary<Exp::Kind::Or>(Exp(chain), var("z"));
  Exp same_shape = Exp::binary<Exp::Kind::Or>(std::move(copy), var("w"));
  EXPECT_NE(different, same_shape);
  chain = var("reassigned");  // releases the deep tree through assignment
  EXPECT_EQ(chain, var("reassigned"));
}

// Deep trees lean either way: operator chains to the left, calls and `!` to the right. A
// difference is found wherever it stands, at the deepest leaf included.
TEST(ExpDepth, DifferencesAnywhereInDeepTreesOfEitherLean) {
  constexpr int kDepth = 100'000;
  const auto left_chain = [](Exp leaf) {
    Exp tree = std::move(leaf);
    for (int i = 0; i < kDepth; ++i)
      tree = Exp::binary<Exp::Kind::And>(std::move(tree), var("x"));
    return tree;
  };
  const auto right_chain = [](Exp leaf) {
    Exp tree = std::move(leaf);
    for (int i = 0; i < kDepth; ++i)
      tree = call("f", list(var("y"), Exp::negation(std::move(tree))));
    return tree;
  };
  for (const auto& chain : {+left_chain, +right_chain}) {
    const Exp tree = chain(int_lit(1));
    const Exp copy = tree;
    EXPECT_EQ(copy, tree);
    EXPECT_NE(chain(int_lit(2)), tree);
    EXPECT_NE(chain(Exp::literal(Value::Float(1.0))), tree);
  }
  EXPECT_NE(left_chain(int_lit(1)), right_chain(int_lit(1)));
}

}  // namespace
}  // namespace tovrin
