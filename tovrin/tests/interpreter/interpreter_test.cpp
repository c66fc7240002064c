#include <gtest/gtest.h>

#include "interpreter/eval_fixture.hpp"

namespace tovrin::testing {
namespace {

struct Case {
  Exp exp;
  const char* outcome;
};

class Interpreter : public EvalTest {
 protected:
  void expect_all(std::vector<Case> cases) {
    for (std::size_t i = 0; i < cases.size(); ++i)
      EXPECT_EQ(outcome(cases[i].exp), cases[i].outcome) << "case " << i;
  }
};

TEST_F(Interpreter, LiteralIsBorrowedFromTheTree) {
  const Exp exp = str_lit("abc");
  auto result = eval(exp);
  ASSERT_TRUE(result.has_value());
  EXPECT_TRUE(result->is_borrowed());
  EXPECT_EQ(&result->get(), &exp.get_if<Exp::Literal>()->value);

  for (const Exp& container :
       {array_lit(int_lit(1), str_lit("a")), object_lit({{"k", int_lit(1)}})}) {
    auto made = eval(container);
    ASSERT_TRUE(made.has_value());
    EXPECT_FALSE(made->is_borrowed());
  }
  EXPECT_EQ(outcome(array_lit(int_lit(1), str_lit("a"))), "Array([Int(1), String(\"a\")])");
  EXPECT_EQ(outcome(object_lit({{"k", int_lit(1)}})), "Object({\"k\": Int(1)})");
}

TEST_F(Interpreter, OrPassesATruthyLeftValueThrough) {
  const Exp exp = or_(str_lit("left"), call("missing"));
  auto result = eval(exp);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(&result->get(), &exp.get_if<Exp::Or>()->left->get_if<Exp::Literal>()->value);

  expect_all({
      {or_(int_lit(1), call("missing")), "Int(1)"},
      {or_(int_lit(0), call("missing")), "Undefined function: missing"},
      {or_(int_lit(0), str_lit("x")), "String(\"x\")"},
      {or_(str_lit(""), int_lit(0)), "Int(0)"},
      {or_(null_lit(), null_lit()), "Null"},
      {or_(array_lit(), object_lit({})), "Object({})"},
      {or_(float_lit(2.5), int_lit(0)), "Float(2.5)"},
  });
}

TEST_F(Interpreter, AndGivesFalseForEveryFalsyLeftValue) {
  expect_all({
      {and_(int_lit(0), call("missing")), "Bool(false)"},
      {and_(int_lit(0), int_lit(1)), "Bool(false)"},
      {and_(int_lit(1), str_lit("a")), "String(\"a\")"},
      {and_(array_lit(), int_lit(1)), "Bool(false)"},
      {and_(object_lit({}), int_lit(1)), "Bool(false)"},
      {and_(str_lit(""), int_lit(1)), "Bool(false)"},
      {and_(null_lit(), int_lit(1)), "Bool(false)"},
      {and_(float_lit(-0.0), int_lit(1)), "Bool(false)"},
      {and_(str_lit("a"), int_lit(0)), "Int(0)"},
      {and_(int_lit(1), call("missing")), "Undefined function: missing"},
  });
}

TEST_F(Interpreter, Negation) {
  bind("nan", "NaN");
  expect_all({
      {not_(int_lit(0)), "Bool(true)"},
      {not_(float_lit(0.0)), "Bool(true)"},
      {not_(float_lit(-0.0)), "Bool(true)"},
      {not_(str_lit("")), "Bool(true)"},
      {not_(array_lit()), "Bool(true)"},
      {not_(object_lit({})), "Bool(true)"},
      {not_(null_lit()), "Bool(true)"},
      {not_(int_lit(1)), "Bool(false)"},
      {not_(str_lit("a")), "Bool(false)"},
      {not_(float_lit(-1.5)), "Bool(false)"},
      {not_(var("nan")), "Bool(false)"},
      {not_(not_(str_lit("a"))), "Bool(true)"},
  });
}

TEST_F(Interpreter, OrderedComparisonOnlyOfTwoIntsOrTwoFloats) {
  expect_all({
      {lt(int_lit(1), int_lit(2)), "Bool(true)"},
      {gt(int_lit(1), int_lit(2)), "Bool(false)"},
      {leq(int_lit(2), int_lit(2)), "Bool(true)"},
      {geq(int_lit(-3), int_lit(2)), "Bool(false)"},
      {lt(float_lit(1.5), float_lit(2.5)), "Bool(true)"},
      {geq(float_lit(2.5), float_lit(2.5)), "Bool(true)"},
      {lt(int_lit(INT64_MIN), int_lit(INT64_MAX)), "Bool(true)"},
      {lt(int_lit(1), float_lit(2.0)),
       "Type Error: Cannot compare values of different types: int and float"},
      {gt(float_lit(2.0), int_lit(1)),
       "Type Error: Cannot compare values of different types: float and int"},
      {lt(str_lit("a"), str_lit("b")),
       "Type Error: Cannot compare values of different types: string and string"},
      {gt(bool_lit(true), bool_lit(false)),
       "Type Error: Cannot compare values of different types: bool and bool"},
      {leq(null_lit(), array_lit()),
       "Type Error: Cannot compare values of different types: null and array"},
      {geq(object_lit({}), int_lit(1)),
       "Type Error: Cannot compare values of different types: object and int"},
  });
}

TEST_F(Interpreter, ComparisonsWithNaNAreFalse) {
  bind("x", "NaN");
  expect_all({
      {lt(var("x"), float_lit(1.0)), "Bool(false)"},
      {gt(var("x"), float_lit(1.0)), "Bool(false)"},
      {leq(var("x"), var("x")), "Bool(false)"},
      {geq(var("x"), var("x")), "Bool(false)"},
      {eq(var("x"), var("x")), "Bool(false)"},
      {neq(var("x"), var("x")), "Bool(true)"},
  });
}

TEST_F(Interpreter, EqualityNeverConvertsBetweenIntAndFloat) {
  bind("big", "9223372036854775808");
  bind("s", R"("text")");
  expect_all({
      {eq(int_lit(1), float_lit(1.0)), "Bool(false)"},
      {neq(int_lit(1), float_lit(1.0)), "Bool(true)"},
      {eq(array_lit(int_lit(1), array_lit(int_lit(2))),
          array_lit(int_lit(1), array_lit(int_lit(2)))),
       "Bool(true)"},
      {eq(var("big"), float_lit(9223372036854775808.0)), "Bool(true)"},
      {eq(var("s"), str_lit("text")), "Bool(true)"},
      {eq(object_lit({{"a", int_lit(1)}}), object_lit({{"a", int_lit(2)}})), "Bool(false)"},
  });
}

TEST_F(Interpreter, EvaluationOrderDecidesTheErrorReported) {
  expect_all({
      {call("nosuch", var("a")), "Variable not found: a"},
      {call("nosuch", int_lit(1)), "Undefined function: nosuch"},
      {array_lit(var("a"), var("b")), "Variable not found: b"},
      {call("count", var("a"), var("b")), "Variable not found: a"},
      {object_lit({{"x", var("a")}, {"y", var("b")}}), "Variable not found: b"},
      {object_lit({{"y", var("a")}, {"x", var("b")}}), "Variable not found: a"},
      {lt(var("a"), var("b")), "Variable not found: a"},
      {eq(int_lit(1), var("b")), "Variable not found: b"},
      // The type error of a comparison waits for both operands.
      {lt(str_lit("s"), var("b")), "Variable not found: b"},
      {not_(var("a")), "Variable not found: a"},
  });
}

TEST_F(Interpreter, OnlyTheCalledFunctionWrapsItsError) {
  auto result = eval(call("one", call("one", int_lit(1), int_lit(2))));
  ASSERT_FALSE(result.has_value());
  const auto* wrapped = result.error().get_if<EvalError::FunctionCall>();
  ASSERT_NE(wrapped, nullptr);
  EXPECT_EQ(wrapped->call.name(), "one");
  const auto* inner = wrapped->call.error().get_if<EvalError::ArgumentError>();
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->expected, 1u);
  EXPECT_EQ(inner->got, 2u);

  expect_all({
      {call("boom"), "Error calling function 'boom': boom"},
      {call("count", call("boom")), "Error calling function 'boom': boom"},
      {call("one", call("nosuch")), "Undefined function: nosuch"},
      {call("one", var("a")), "Variable not found: a"},
  });
}

TEST_F(Interpreter, AsyncFunctionIsRejectedWithItsName) {
  auto result = eval(call("later", int_lit(1)));
  ASSERT_FALSE(result.has_value());
  const auto* wrapped = result.error().get_if<EvalError::FunctionCall>();
  ASSERT_NE(wrapped, nullptr);
  EXPECT_EQ(wrapped->call.name(), "later");
  EXPECT_NE(wrapped->call.error().get_if<EvalError::AsyncInSyncContext>(), nullptr);
  EXPECT_FALSE(async_called);
}

TEST_F(Interpreter, CallsGetTheirArgumentsInOrder) {
  bind("x", R"(["a", -1])");
  expect_all({
      {call("count"), "Int(0)"},
      {call("echo"), "Array([])"},
      {call("echo", int_lit(1), str_lit("two"), var("x"), array_lit()),
       "Array([Int(1), String(\"two\"), Array([String(\"a\"), Int(-1)]), Array([])])"},
      {call("one", call("one", int_lit(7))), "Int(7)"},
  });
}

TEST_F(Interpreter, FunctionNamesAreCaseSensitive) {
  expect_all({
      {call("Count"), "Undefined function: Count"},
      {call("COUNT"), "Undefined function: COUNT"},
  });
}

TEST_F(Interpreter, VariablesBorrowBoundStringsAndCallResultsOwnTheirs) {
  bind("s", R"("a bound string long enough to live on the heap")");
  const auto env_value = env();
  const char* bound = env_value.find_binding("s")->as_str()->data();

  const Exp variable = var("s");
  auto read = interpreter::eval(variable, env_value);
  ASSERT_TRUE(read.has_value());
  EXPECT_FALSE(read->is_borrowed());
  EXPECT_TRUE(read->get().as_text()->is_borrowed());
  EXPECT_EQ(read->get().string_view().data(), bound);

  const Exp called = call("one", var("s"));
  auto result = interpreter::eval(called, env_value);
  ASSERT_TRUE(result.has_value());
  EXPECT_FALSE(result->get().as_text()->is_borrowed());
  EXPECT_EQ(result->get().string_view(), "a bound string long enough to live on the heap");
}

TEST_F(Interpreter, VariablesConvertTheValueFound) {
  bind("a", R"({"b": [1, 18446744073709551615, -2, 1.5, "s", null, true, {"z": 0, "y": 1}]})");
  expect_all({
      {var("a.b[0]"), "Int(1)"},
      {var("a.b[1]"), "Float(1.8446744073709552e19)"},
      {var("a.b[7]"), "Object({\"y\": Int(1), \"z\": Int(0)})"},
      {var("a.b[8]"), "Index out of bounds: Index out of bounds at 'a' (index: 8, length: 8)"},
      {var("a.c"), "Object 'a' does not contain key 'c'"},
  });
}

TEST_F(Interpreter, ContainersAreBuiltInSourceOrder) {
  expect_all({
      {array_lit(), "Array([])"},
      {object_lit({}), "Object({})"},
      {array_lit(int_lit(1), array_lit(str_lit("a"), null_lit()), bool_lit(true)),
       "Array([Int(1), Array([String(\"a\"), Null]), Bool(true)])"},
      {object_lit({{"b", int_lit(2)}, {"a", array_lit(int_lit(1))}, {"c", object_lit({})}}),
       "Object({\"a\": Array([Int(1)]), \"b\": Int(2), \"c\": Object({})})"},
  });
}

TEST_F(Interpreter, BuiltinsThroughTheDefaultTable) {
  use_builtins();
  bind("name", R"("Alexandra")");
  auto nested = eval(call("len", call("len", int_lit(1), int_lit(2))));
  ASSERT_FALSE(nested.has_value());
  const auto* wrapped = nested.error().get_if<EvalError::FunctionCall>();
  ASSERT_NE(wrapped, nullptr);
  EXPECT_EQ(wrapped->call.name(), "len");
  EXPECT_NE(wrapped->call.error().get_if<EvalError::ArgumentError>(), nullptr);

  expect_all({
      {eq(call("len", str_lit("abc")), int_lit(3)), "Bool(true)"},
      {call("startsWith", var("name"), str_lit("Alex")), "Bool(true)"},
      {call("matches", var("name"), str_lit("^Al.x")), "Bool(true)"},
      {call("Len", str_lit("abc")), "Undefined function: Len"},
      {call("startswith", var("name"), str_lit("A")), "Undefined function: startswith"},
      {call("len", var("nobody")), "Variable not found: nobody"},
  });
}

// A call knows its built-in from its name; a table of one's own still decides what runs, also
// under a built-in's name.
TEST(InterpreterCalls, OwnTableDecidesOverTheBuiltinOfTheName) {
  const Exp len = call("len", str_lit("abc"));
  EXPECT_EQ(len.get_if<Exp::Call>()->item.builtin, &functions::len);
  EXPECT_EQ(Exp(len).get_if<Exp::Call>()->item.builtin, &functions::len);
  EXPECT_EQ(call("Len").get_if<Exp::Call>()->item.builtin, nullptr);

  FunctionTable table;
  table.insert_or_assign("len",
                         FnCallback::sync([](FnArgs) -> FnResult { return Value::Int(42); }));
  EnvBuilder<HostValue> builder;
  builder.with_functions(MaybeOwned<FunctionTable>::borrowed(table));
  const auto env = std::move(builder).build();
  const auto outcome = [&](const Exp& exp) {
    auto result = interpreter::eval(exp, env);
    return result ? result->get().debug() : result.error().to_string();
  };
  EXPECT_EQ(outcome(len), "Int(42)");
  EXPECT_EQ(outcome(call("split", str_lit("a,b"), str_lit(","))), "Undefined function: split");
}

}  // namespace
}  // namespace tovrin::testing
