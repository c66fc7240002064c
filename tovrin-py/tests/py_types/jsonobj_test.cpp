#include "py_types/jsonobj.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tovrin/types/value_from_json.hpp"

namespace tovrin::py {
namespace {

using J = PyJsonValue;

PyJsonValue object_of(std::vector<PyJsonEntry> entries) {
  PyJsonObject map;
  for (auto& [key, value] : entries)
    map.insert_or_assign(std::move(key), std::move(value));
  return J::Object(std::move(map));
}

PyJsonValue array_of(std::vector<PyJsonValue> elements) {
  return J::Array(std::move(elements));
}

TEST(PyJsonValueDebug, EveryVariant) {
  const struct {
    PyJsonValue value;
    const char* debug;
  } cases[] = {
      {J::Null(), "Null"},
      {J::Bool(false), "Bool(false)"},
      {J::UInt(0), "UInt(0)"},
      {J::UInt(std::numeric_limits<std::uint64_t>::max()), "UInt(18446744073709551615)"},
      {J::Int(-1), "Int(-1)"},
      {J::Int(std::numeric_limits<std::int64_t>::min()), "Int(-9223372036854775808)"},
      {J::Float(1.5), "Float(1.5)"},
      {J::Float(1.0), "Float(1.0)"},
      {J::Float(1e16), "Float(1e16)"},
      {J::Float(-0.0), "Float(-0.0)"},
      {J::Float(std::numeric_limits<double>::infinity()), "Float(inf)"},
      {J::Float(std::nan("")), "Float(NaN)"},
      {J::String("x"), "String(\"x\")"},
      {J::String("a\nb"), "String(\"a\\nb\")"},
      {J::String("it's"), "String(\"it's\")"},
      {array_of({}), "Array([])"},
      {object_of({}), "Object({})"},
      {array_of({J::UInt(1), J::Null()}), "Array([UInt(1), Null])"},
      {object_of({{"b", J::UInt(1)}, {"a", J::Int(-2)}}),
       "Object({\"b\": UInt(1), \"a\": Int(-2)})"},
      {array_of({object_of({{"k", array_of({J::Bool(true)})}})}),
       "Array([Object({\"k\": Array([Bool(true)])})])"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.value.debug(), c.debug);
}

TEST(PyJsonValueObject, RepeatedKeyKeepsFirstPositionWithLastValue) {
  const auto value = object_of({{"z", J::UInt(1)}, {"a", J::UInt(2)}, {"z", J::UInt(3)}});
  EXPECT_EQ(value.debug(), "Object({\"z\": UInt(3), \"a\": UInt(2)})");
  ASSERT_NE(value.get("z"), nullptr);
  EXPECT_EQ(value.get("z")->as_u64(), 3u);
  EXPECT_EQ(value.get("y"), nullptr);
  EXPECT_EQ(value.get("Z"), nullptr);
}

TEST(PyJsonValueCopy, IsDeepAndKeepsOrder) {
  auto original = object_of({{"b", array_of({J::String("s")})}, {"a", J::Null()}});
  auto copy = original.clone();
  *copy.get_mut("b")->as_array_mut()->data() = J::String("changed");
  EXPECT_EQ(original.debug(), "Object({\"b\": Array([String(\"s\")]), \"a\": Null})");
  EXPECT_EQ(copy.debug(), "Object({\"b\": Array([String(\"changed\")]), \"a\": Null})");
}

TEST(PyJsonValueFromValue, IntegersBecomeIntAndObjectsComeSorted) {
  EXPECT_EQ(J::from_value(Value::Int(5)).kind(), J::Kind::Int);
  EXPECT_EQ(J::from_value(Value::Int(5)).debug(), "Int(5)");
  EXPECT_EQ(J::from_value(Value::Float(-0.0)).debug(), "Float(-0.0)");
  EXPECT_EQ(J::from_value(Value::Null()).debug(), "Null");
  EXPECT_EQ(J::from_value(Value::Bool(true)).debug(), "Bool(true)");

  std::vector<Object::Entry> entries;
  entries.emplace_back("b", Value::Array({Value::Int(1), Value::Null()}));
  entries.emplace_back("a", Value::Float(std::nan("")));
  const auto converted = J::from_value(Value::Object(Object::from_entries(std::move(entries))));
  EXPECT_EQ(converted.debug(), "Object({\"a\": Float(NaN), \"b\": Array([Int(1), Null])})");
}

TEST(PyJsonValueFromValue, BorrowedTextIsCopiedOwnedTextIsMoved) {
  std::string source = "borrowed text that is long enough to live on the heap";
  auto from_borrowed = J::from_value(Value::borrowed_string(source));
  source.assign(source.size(), '#');
  EXPECT_EQ(from_borrowed.as_str(), "borrowed text that is long enough to live on the heap");

  std::string owned = "owned text that is long enough to live on the heap";
  const char* buffer = owned.data();
  auto from_owned = J::from_value(Value::owned_string(std::move(owned)));
  EXPECT_EQ(from_owned.as_str()->data(), buffer);
}

TEST(PyJsonValueHost, EachValueAnswersOneKind) {
  const auto big = J::UInt(9223372036854775808u);
  EXPECT_EQ(big.as_i64(), std::nullopt);
  EXPECT_EQ(big.as_u64(), 9223372036854775808u);
  EXPECT_EQ(J::UInt(9223372036854775807u).as_i64(), 9223372036854775807);
  EXPECT_EQ(J::Int(-3).as_u64(), std::nullopt);
  EXPECT_EQ(J::Int(-3).as_f64(), std::nullopt);
  EXPECT_EQ(J::UInt(3).as_f64(), std::nullopt);
  EXPECT_EQ(J::Float(2.0).as_i64(), std::nullopt);
  EXPECT_EQ(J::Bool(false).as_bool(), false);
  EXPECT_EQ(J::Bool(false).as_i64(), std::nullopt);
  EXPECT_TRUE(J::Null().is_null());
  EXPECT_FALSE(J::Null().as_bool().has_value());
  EXPECT_FALSE(J::String("x").is_array());
  EXPECT_EQ(J::String("x").get("x"), nullptr);
  EXPECT_FALSE(array_of({}).entries().has_value());
  EXPECT_FALSE(object_of({}).as_array().has_value());
}

TEST(PyJsonValueHost, ConsumingOperationsMoveContent) {
  auto entries = std::move(*object_of({{"k", J::UInt(1)}, {"j", J::Null()}}).into_entries());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].first, "k");
  EXPECT_EQ(entries[1].first, "j");
  EXPECT_EQ(J::String("s").into_string(), "s");
  EXPECT_EQ(J::UInt(1).into_string(), std::nullopt);
  EXPECT_EQ(array_of({J::Null(), J::Null()}).into_array()->size(), 2u);
}

// The engine reads integers through as_i64 first: unsigned ones in the signed range become Int,
// larger ones the nearest Float; signed ones stay Int.
TEST(PyJsonValueHost, IntegersConvertAsTheEngineReadsThem) {
  const struct {
    PyJsonValue host;
    Value expected;
  } cases[] = {
      {J::UInt(0), Value::Int(0)},
      {J::UInt(9223372036854775807u), Value::Int(9223372036854775807)},
      {J::UInt(9223372036854775808u), Value::Float(9223372036854775808.0)},
      {J::UInt(18446744073709551615u), Value::Float(18446744073709551616.0)},
      {J::Int(-1), Value::Int(-1)},
      {array_of({J::UInt(1), J::Int(-2)}), Value::Array({Value::Int(1), Value::Int(-2)})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(*Value::from_json_object_ref(c.host), c.expected) << c.host.debug();
    EXPECT_EQ(*Value::from_json_object(c.host.clone()), c.expected) << c.host.debug();
  }
}

}  // namespace
}  // namespace tovrin::py
