#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "functions/builtin_test_support.hpp"

namespace tovrin {
namespace {

using test::arr;
using test::call;
using test::failure;
using test::obj;
using test::str;

struct Case {
  test::Builtin function;
  const char* name;
  std::vector<Value> args;
  const char* expected;
};

// The count is checked before any kind, so wrong kinds never hide a wrong count.
TEST(BuiltinArguments, CountIsCheckedFirst) {
  const Value i = Value::Int(1);
  const Case cases[] = {
      {functions::len, "len", {}, "Argument Error: Expected 1 arguments, but got 0"},
      {functions::len, "len", {i, i}, "Argument Error: Expected 1 arguments, but got 2"},
      {functions::starts_with,
       "startsWith",
       {i},
       "Argument Error: Expected 2 arguments, but got 1"},
      {functions::ends_with,
       "endsWith",
       {i, i, i},
       "Argument Error: Expected 2 arguments, but got 3"},
      {functions::contains, "contains", {i}, "Argument Error: Expected 2 arguments, but got 1"},
      {functions::replace,
       "replace",
       {str("a"), str("b")},
       "Argument Error: Expected 3 arguments, but got 2"},
      {functions::split, "split", {}, "Argument Error: Expected 2 arguments, but got 0"},
      {functions::join, "join", {i}, "Argument Error: Expected 2 arguments, but got 1"},
      {functions::to_bool, "bool", {}, "Argument Error: Expected 1 arguments, but got 0"},
      {functions::to_string,
       "string",
       {str("a"), str("b")},
       "Argument Error: Expected 1 arguments, but got 2"},
      {functions::into_int, "int", {i, i}, "Argument Error: Expected 1 arguments, but got 2"},
      {functions::into_float, "float", {}, "Argument Error: Expected 1 arguments, but got 0"},
      {functions::base64_encode,
       "base64Encode",
       {i, i},
       "Argument Error: Expected 1 arguments, but got 2"},
      {functions::base64_decode,
       "base64Decode",
       {},
       "Argument Error: Expected 1 arguments, but got 0"},
      {functions::format, "format", {}, "Argument Error: Expected 1 arguments, but got 0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(failure(call(c.function, c.args)), c.expected) << c.name;
  }
}

// Kinds are checked left to right; the first wrong one is named, later ones are not looked at.
TEST(BuiltinArguments, FirstWrongKindIsNamed) {
  const Value i = Value::Int(1);
  const Value s = str("s");
  const Case cases[] = {
      {functions::len, "len", {i}, "Type Error: Expected a string, array, or object, got: 'int'"},
      {functions::len,
       "len",
       {Value::Null()},
       "Type Error: Expected a string, array, or object, got: 'null'"},
      {functions::len,
       "len",
       {Value::Float(1)},
       "Type Error: Expected a string, array, or object, got: 'float'"},
      {functions::starts_with,
       "startsWith",
       {i, i},
       "Type Error: Expected a string as the first argument, got: 'int'"},
      {functions::starts_with,
       "startsWith",
       {s, Value::Bool(true)},
       "Type Error: Expected a string as the second argument, got: 'bool'"},
      {functions::ends_with,
       "endsWith",
       {arr({}), i},
       "Type Error: Expected a string as the first argument, got: 'array'"},
      {functions::ends_with,
       "endsWith",
       {s, obj({})},
       "Type Error: Expected a string as the second argument, got: 'object'"},
      {functions::replace,
       "replace",
       {Value::Null(), i, i},
       "Type Error: Expected a string as the first argument, got: 'null'"},
      {functions::replace,
       "replace",
       {s, i, i},
       "Type Error: Expected a string as the second argument, got: 'int'"},
      {functions::replace,
       "replace",
       {s, s, Value::Float(2)},
       "Type Error: Expected a string as the third argument, got: 'float'"},
      {functions::split,
       "split",
       {i, s},
       "Type Error: Expected a string as the first argument, got: 'int'"},
      {functions::split,
       "split",
       {s, Value::Null()},
       "Type Error: Expected a string as the second argument, got: 'null'"},
      {functions::join, "join", {s, i}, "Type Error: Expected an array argument, got: 'string'"},
      {functions::join, "join", {arr({}), i}, "Type Error: Expected a string argument, got: 'int'"},
      {functions::base64_encode,
       "base64Encode",
       {arr({})},
       "Type Error: Expected a string argument, got: 'array'"},
      {functions::base64_decode,
       "base64Decode",
       {Value::Bool(false)},
       "Type Error: Expected a string argument, got: 'bool'"},
      {functions::format,
       "format",
       {i, s},
       "Type Error: Expected a string as the first argument, got: 'int'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(failure(call(c.function, c.args)), c.expected) << c.name;
  }
}

TEST(BuiltinArguments, ContainsNamesBothKinds) {
  const char* prefix =
      "Type Error: Expected (string, string), (array, value), or (object, string) arguments, got: ";
  const struct {
    std::vector<Value> args;
    std::string kinds;
  } cases[] = {
      {{str("a"), Value::Int(1)}, "('string', 'int')"},
      {{Value::Int(1), str("a")}, "('int', 'string')"},
      {{Value::Float(1), Value::Null()}, "('float', 'null')"},
      {{Value::Bool(true), arr({})}, "('bool', 'array')"},
      {{Value::Null(), Value::Null()}, "('null', 'null')"},
      {{obj({}), Value::Int(1)}, "('object', 'int')"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(failure(call(functions::contains, c.args)), prefix + c.kinds);
  }
}

}  // namespace
}  // namespace tovrin
