#include "tovrin/errors.hpp"

#include <gtest/gtest.h>

namespace tovrin {
namespace {

TEST(ErrorDisplay, EveryTemplate) {
  const struct {
    EvalError error;
    const char* expected;
  } cases[] = {
      {EvalError::VariableAccess{VarAccessError::VariableNotFound{"x"}}, "Variable not found: x"},
      {EvalError::VariableAccess{VarAccessError::KeyNotFound{"a.b", "c"}},
       "Object 'a.b' does not contain key 'c'"},
      {EvalError::VariableAccess{VarAccessError::Empty{}}, "Variable access is empty"},
      {EvalError::VariableAccess{VarAccessError::TypeError{"t"}}, "Type error: t"},
      {EvalError::VariableAccess{VarAccessError::IndexOutOfBounds{"i"}}, "Index out of bounds: i"},
      {EvalError::VariableAccess{VarAccessError::Conversion{"c"}}, "Conversion error: c"},
      {EvalError::UndefinedFunction{"f"}, "Undefined function: f"},
      {EvalError::TypeError{"x"}, "Type Error: x"},
      {EvalError::ValueError{"No value on stack after evaluation"},
       "Value Error: No value on stack after evaluation"},
      {EvalError::RegexError{"r"}, "Regex Error: r"},
      {EvalError::ArgumentError{1, 2}, "Argument Error: Expected 1 arguments, but got 2"},
      {EvalError::AsyncInSyncContext{}, "Cannot call an async function in a sync context"},
      {EvalError::Custom{""}, ""},
      {EvalError::Custom{"it's \"quoted\"\nand broken"}, "it's \"quoted\"\nand broken"},
      {EvalError::FunctionCall{FnCallError("len", EvalError::ArgumentError{1, 2})},
       "Error calling function 'len': Argument Error: Expected 1 arguments, but got 2"},
      {EvalError::FunctionCall{
           FnCallError("a", EvalError::FunctionCall{FnCallError("b", EvalError::TypeError{"x"})})},
       "Error calling function 'a': Error calling function 'b': Type Error: x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.error.to_string(), c.expected);
  }
}

TEST(ErrorCopy, NestedCallErrorOutlivesTheOriginal) {
  auto original = std::make_unique<EvalError>(
      EvalError::FunctionCall{FnCallError("outer", EvalError::ValueError{"inner"})});
  const EvalError copy = *original;
  const std::string expected = original->to_string();
  original.reset();
  EXPECT_EQ(copy.to_string(), expected);
  ASSERT_NE(copy.get_if<EvalError::FunctionCall>(), nullptr);
  EXPECT_EQ(copy.get_if<EvalError::FunctionCall>()->call.name(), "outer");
}

}  // namespace
}  // namespace tovrin
