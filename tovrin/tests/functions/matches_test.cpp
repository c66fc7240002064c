#include <gtest/gtest.h>

#include "functions/builtin_test_support.hpp"

namespace tovrin {
namespace {

using test::str;

functions::BuiltinResult run(const std::vector<Value>& args) {
  return test::call(functions::matches, args);
}

TEST(Matches, SearchIsUnanchored) {
  EXPECT_EQ(*run({str("xxabcxx"), str("abc")}), Value::Bool(true));
  EXPECT_EQ(*run({str("xxabcxx"), str("^abc")}), Value::Bool(false));
  EXPECT_EQ(*run({str(""), str("")}), Value::Bool(true));
  EXPECT_EQ(*run({str("A"), str("a")}), Value::Bool(false));
}

TEST(Matches, ArgumentChecksComeFirst) {
  const struct {
    std::vector<Value> args;
    const char* message;
  } cases[] = {
      {{str("a")}, "Argument Error: Expected 2 arguments, but got 1"},
      {{Value::Int(1), Value::Int(2)},
       "Type Error: Expected a string as the first argument, got: 'int'"},
      {{str("a"), Value::Null()},
       "Type Error: Expected a string as the second argument, got: 'null'"},
      {{Value::Int(1), str("(")},
       "Type Error: Expected a string as the first argument, got: 'int'"},
  };
  for (const auto& c : cases) {
    auto result = run(c.args);
    ASSERT_FALSE(result.has_value()) << c.message;
    EXPECT_EQ(result.error().to_string(), c.message);
  }
}

TEST(Matches, CompileFailureCarriesTheWholeDescription) {
  auto result = run({str("x"), str("(")});
  ASSERT_FALSE(result.has_value());
  const auto* regex_error = result.error().get_if<EvalError::RegexError>();
  ASSERT_NE(regex_error, nullptr);
  EXPECT_EQ(regex_error->detail,
            "Invalid regex pattern: 'regex parse error:\n    (\n    ^\nerror: unclosed group'");
}

}  // namespace
}  // namespace tovrin
