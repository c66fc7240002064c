#include "tovrin/types/value.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace tovrin {
namespace {

Value str(std::string_view s) {
  return Value::owned_string(std::string(s));
}
Value obj(std::vector<Object::Entry> entries) {
  return Value::Object(Object::from_entries(std::move(entries)));
}

TEST(ValueDebug, FloatsUseShortestDigitsAndTheirLayout) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {
      {1.0, "Float(1.0)"},
      {100.0, "Float(100.0)"},
      {2.5, "Float(2.5)"},
      {0.1 + 0.2, "Float(0.30000000000000004)"},
      {1e15, "Float(1000000000000000.0)"},
      {1e16, "Float(1e16)"},
      {1.5e16, "Float(1.5e16)"},
      {123456789012345678.0, "Float(1.2345678901234568e17)"},
      {0.0001, "Float(0.0001)"},
      {9.9e-5, "Float(9.9e-5)"},
      {1e-5, "Float(1e-5)"},
      {5e-324, "Float(5e-324)"},
      {1.7976931348623157e308, "Float(1.7976931348623157e308)"},
      {-2.5, "Float(-2.5)"},
      {-1e-7, "Float(-1e-7)"},
      {0.0, "Float(0.0)"},
      {-0.0, "Float(-0.0)"},
      {std::numeric_limits<double>::quiet_NaN(), "Float(NaN)"},
      {-std::numeric_limits<double>::quiet_NaN(), "Float(NaN)"},
      {std::numeric_limits<double>::infinity(), "Float(inf)"},
      {-std::numeric_limits<double>::infinity(), "Float(-inf)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Value::Float(c.value).debug(), c.expected) << c.expected;
  }
}

TEST(ValueDebug, ScalarsAndContainers) {
  EXPECT_EQ(Value::Int(0).debug(), "Int(0)");
  EXPECT_EQ(Value::Int(std::numeric_limits<std::int64_t>::min()).debug(),
            "Int(-9223372036854775808)");
  EXPECT_EQ(Value::Bool(true).debug(), "Bool(true)");
  EXPECT_EQ(Value::Bool(false).debug(), "Bool(false)");
  EXPECT_EQ(Value::Null().debug(), "Null");
  EXPECT_EQ(Value::Array({Value::Int(1), str("x")}).debug(), "Array([Int(1), String(\"x\")])");
  EXPECT_EQ(Value::Array({}).debug(), "Array([])");
  EXPECT_EQ(obj({{"b", Value::Bool(false)}, {"a", Value::Null()}}).debug(),
            "Object({\"a\": Null, \"b\": Bool(false)})");
  EXPECT_EQ(obj({}).debug(), "Object({})");
  EXPECT_EQ(obj({{"a", Value::Int(2)}, {"B", Value::Int(1)}}).debug(),
            "Object({\"B\": Int(1), \"a\": Int(2)})");
  EXPECT_EQ(obj({{"k\"\n", Value::Null()}}).debug(), "Object({\"k\\\"\\n\": Null})");
}

TEST(ValueDebug, QuotedTextEscapes) {
  const struct {
    std::string text;
    const char* expected;
  } cases[] = {
      {"it's", R"(String("it's"))"},
      {"a\\b", R"(String("a\\b"))"},
      {"a\"b", R"(String("a\"b"))"},
      {std::string("\0", 1), R"(String("\0"))"},
      {"\t\n\r", R"(String("\t\n\r"))"},
      {"\x1b", R"(String("\u{1b}"))"},
      {"\x07", R"(String("\u{7}"))"},
      {"\x7f", R"(String("\u{7f}"))"},
      {"\u00a0", R"(String("\u{a0}"))"},
      {"\u200b", R"(String("\u{200b}"))"},
      {"\u2028\u2029", R"(String("\u{2028}\u{2029}"))"},
      {"e\u0301", R"(String("e\u{301}"))"},
      {"\U000e0001", R"(String("\u{e0001}"))"},  // a format character
      {"\U000F0000", R"(String("\u{f0000}"))"},  // private use
      {"\U0001FFFF", R"(String("\u{1ffff}"))"},  // unassigned
      {"é", R"(String("é"))"},
      {"😀 ok", R"(String("😀 ok"))"},
      {"", R"(String(""))"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(str(c.text).debug(), c.expected) << c.expected;
  }
}

TEST(ValueType, NamesEveryKind) {
  EXPECT_EQ(type_text(Value::Int(1).get_type()), "int");
  EXPECT_EQ(type_text(Value::Float(1).get_type()), "float");
  EXPECT_EQ(type_text(Value::Bool(true).get_type()), "bool");
  EXPECT_EQ(type_text(str("").get_type()), "string");
  EXPECT_EQ(type_text(Value::Array({}).get_type()), "array");
  EXPECT_EQ(type_text(obj({}).get_type()), "object");
  EXPECT_EQ(type_text(Value::Null().get_type()), "null");
}

TEST(ValueEquality, NeverConvertsBetweenVariants) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_NE(Value::Int(1), Value::Float(1.0));
  EXPECT_NE(Value::Int(0), Value::Bool(false));
  EXPECT_NE(Value::Null(), Value::Int(0));
  EXPECT_NE(Value::Float(nan), Value::Float(nan));
  EXPECT_EQ(Value::Float(0.0), Value::Float(-0.0));
  EXPECT_EQ(Value::Null(), Value::Null());
}

TEST(ValueEquality, TextContainersAndOrder) {
  const std::string source = "hello";
  EXPECT_EQ(Value::borrowed_string(source), str("hello"));
  EXPECT_NE(str("\u00e9"), str("e\u0301"));
  EXPECT_NE(Value::Array({Value::Int(1), Value::Int(2)}),
            Value::Array({Value::Int(2), Value::Int(1)}));
  EXPECT_EQ(Value::Array({}), Value::Array({}));
  EXPECT_EQ(obj({{"a", Value::Int(1)}, {"b", Value::Int(2)}}),
            obj({{"b", Value::Int(2)}, {"a", Value::Int(1)}}));
  EXPECT_NE(obj({{"a", Value::Int(1)}}), obj({{"a", Value::Int(1)}, {"b", Value::Int(2)}}));
  EXPECT_NE(obj({{"a", Value::Int(1)}}), obj({{"b", Value::Int(1)}}));
  EXPECT_EQ(obj({}), obj({}));
}

TEST(ValueTruthy, FollowsTheOneRule) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const auto& falsy :
       {Value::Int(0), Value::Float(0.0), Value::Float(-0.0), Value::Bool(false), str(""),
        Value::Array({}), obj({}), Value::Null()}) {
    EXPECT_FALSE(truthy(falsy)) << falsy.debug();
  }
  for (const auto& truthy_value :
       {Value::Float(nan), Value::Int(-1), str("0"), str(" "), Value::Array({Value::Null()}),
        obj({{"k", Value::Null()}}), Value::Float(INFINITY), Value::Bool(true)}) {
    EXPECT_TRUE(truthy(truthy_value)) << truthy_value.debug();
  }
}

TEST(ValueObject, LaterKeyWinsAndKeysSortByUnsignedBytes) {
  const auto value = obj({{"\u00e9", Value::Int(1)},
                          {"a", Value::Int(2)},
                          {"Z", Value::Int(3)},
                          {"ab", Value::Int(4)},
                          {"a", Value::Int(5)}});
  std::string keys;
  for (const auto& [key, _] : *value.as_object())
    keys += key + ",";
  EXPECT_EQ(keys, "Z,a,ab,\u00e9,");
  EXPECT_EQ(*value.as_object()->find("a"), Value::Int(5));
}

TEST(ValueOwnership, CopyKeepsBorrowsAndIntoOwnedDetaches) {
  std::string source = "borrowed";
  Value array =
      Value::Array({Value::borrowed_string(source), Value::Float(std::nan("")), str("owned")});
  const Value copy = array;
  EXPECT_TRUE(copy.as_array()->at(0).as_text()->is_borrowed());

  Value owned = std::move(array).into_owned();
  source.assign("XXXXXXXX");
  const auto& elements = *owned.as_array();
  EXPECT_FALSE(elements[0].as_text()->is_borrowed());
  EXPECT_EQ(elements[0].string_view(), "borrowed");
  EXPECT_TRUE(std::isnan(*elements[1].as_float()));
  EXPECT_EQ(elements[2].string_view(), "owned");
}

}  // namespace
}  // namespace tovrin
