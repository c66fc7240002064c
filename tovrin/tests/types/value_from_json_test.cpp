#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <vector>

#include "support/exp_builders.hpp"
#include "support/json.hpp"
#include "support/small_stack.hpp"
#include "tovrin/internal_failure.hpp"
#include "tovrin/interpreter.hpp"
#include "tovrin/types/value_from_json.hpp"

namespace tovrin {
namespace {

using testing::HostArray;
using testing::HostEntries;
using testing::HostValue;
using testing::json;
using testing::run_on_small_stack;

// Both conversions must agree on everything but where strings live.
void expect_both(const HostValue& host, const Value& expected) {
  auto borrowed = Value::from_json_object_ref(host);
  ASSERT_TRUE(borrowed.has_value()) << host.debug();
  EXPECT_EQ(*borrowed, expected) << host.debug() << " gave " << borrowed->debug();
  auto owned = Value::from_json_object(host.clone());
  ASSERT_TRUE(owned.has_value()) << host.debug();
  EXPECT_EQ(*owned, expected) << host.debug() << " gave " << owned->debug();
}

TEST(ValueFromJson, Numbers) {
  expect_both(HostValue::UInt(9223372036854775807u), Value::Int(9223372036854775807));
  expect_both(HostValue::UInt(9223372036854775808u), Value::Float(9223372036854775808.0));
  expect_both(HostValue::UInt(18446744073709551615u), Value::Float(18446744073709551616.0));
  // 2^63 + 1025 lies closer to 2^63 + 2048 than to 2^63.
  expect_both(HostValue::UInt(9223372036854776833u), Value::Float(9223372036854777856.0));
  // 2^63 + 1024 is a tie and goes to the even neighbour 2^63.
  expect_both(HostValue::UInt(9223372036854776832u), Value::Float(9223372036854775808.0));
  expect_both(HostValue::Int(-1), Value::Int(-1));
  expect_both(HostValue::UInt(0), Value::Int(0));
  expect_both(HostValue::Float(1.0), Value::Float(1.0));
  EXPECT_NE(*Value::from_json_object_ref(HostValue::Float(1.0)), Value::Int(1));
  expect_both(HostValue::Bool(false), Value::Bool(false));
  expect_both(HostValue::Null(), Value::Null());

  const auto nan = Value::from_json_object_ref(HostValue::Float(std::nan("")));
  ASSERT_NE(nan->as_float(), nullptr);
  EXPECT_TRUE(std::isnan(*nan->as_float()));
  const auto negative_zero = Value::from_json_object(HostValue::Float(-0.0));
  EXPECT_TRUE(std::signbit(*negative_zero->as_float()));
}

TEST(ValueFromJson, Containers) {
  expect_both(json("[]"), Value::Array({}));
  expect_both(json("{}"), Value::Object({}));
  expect_both(json(R"(["x", [1, null], {"k": -2}])"),
              Value::Array({Value::owned_string("x"), Value::Array({Value::Int(1), Value::Null()}),
                            Value::Object(Object::from_entries({{"k", Value::Int(-2)}}))}));

  const auto sorted = Value::from_json_object_ref(json(R"({"é": 1, "b": 2, "a": 3, "Z": 4})"));
  std::string keys;
  for (const auto& [key, value] : *sorted->as_object())
    keys += key + " ";
  EXPECT_EQ(keys, "Z a b é ");
}

TEST(ValueFromJson, BorrowedFormBorrowsOnlyStrings) {
  const HostValue host = json(R"(["a string long enough to be on the heap"])");
  const auto value = Value::from_json_object_ref(host);
  const Text& text = *value->as_array()->front().as_text();
  EXPECT_TRUE(text.is_borrowed());
  EXPECT_EQ(text.view().data(), host.as_array()->front().as_str()->data());
}

TEST(ValueFromJson, OwnedFormMovesStrings) {
  HostValue host = json(R"({"k": "a string long enough to be on the heap"})");
  const char* buffer = host.get("k")->as_str()->data();
  const auto value = Value::from_json_object(std::move(host));
  const Text& text = *value->as_object()->find("k")->as_text();
  EXPECT_FALSE(text.is_borrowed());
  EXPECT_EQ(text.view().data(), buffer);
}

// Objects and arrays in turn, `depth` of them around the string "leaf".
HostValue nested_host(int depth) {
  HostValue value = HostValue::String("leaf");
  for (int level = 0; level < depth; ++level) {
    if (level % 2 == 0) {
      HostEntries entries;
      entries.emplace_back("k", std::move(value));
      value = HostValue::Object(std::move(entries));
    } else {
      HostArray elements;
      elements.push_back(std::move(value));
      value = HostValue::Array(std::move(elements));
    }
  }
  return value;
}

// How many containers lie around the innermost value, which must be the string "leaf".
int depth_of(const Value& value) {
  int depth = 0;
  const Value* current = &value;
  while (true) {
    if (const auto* elements = current->as_array()) {
      current = &elements->front();
    } else if (const auto* entries = current->as_object()) {
      current = entries->find("k");
    } else {
      EXPECT_EQ(current->string_view(), "leaf");
      return depth;
    }
    ++depth;
  }
}

constexpr int kDepth = 100'000;

TEST(ValueFromJson, NestingCostsNoCallStack) {
  run_on_small_stack([] {
    {
      const HostValue host = nested_host(kDepth);
      const auto borrowed = Value::from_json_object_ref(host);
      ASSERT_TRUE(borrowed.has_value());
      EXPECT_EQ(depth_of(*borrowed), kDepth);
    }
    const auto owned = Value::from_json_object(nested_host(kDepth));
    ASSERT_TRUE(owned.has_value());
    EXPECT_EQ(depth_of(*owned), kDepth);
    // Releasing the values and the host values at the end of each scope needs no recursion
    // either.
  });
}

// A host value that answers no kind at all, or claims one it cannot deliver. It can also be
// null, or an array of the elements it is given, so that the odd ones can stand inside
// containers.
struct OddHost {
  bool claims_string = false;
  bool claims_array = false;
  bool claims_object = false;
  bool null = false;
  std::vector<OddHost> elements = {};

  bool is_null() const { return null; }
  std::optional<bool> as_bool() const { return std::nullopt; }
  std::optional<std::int64_t> as_i64() const { return std::nullopt; }
  std::optional<std::uint64_t> as_u64() const { return std::nullopt; }
  std::optional<double> as_f64() const { return std::nullopt; }
  bool is_string() const { return claims_string; }
  std::optional<std::string_view> as_str() const { return std::nullopt; }
  std::optional<std::string> into_string() && { return std::nullopt; }
  bool is_array() const { return claims_array || !elements.empty(); }
  std::optional<std::span<const OddHost>> as_array() const {
    if (elements.empty()) return std::nullopt;
    return std::span<const OddHost>(elements);
  }
  std::optional<std::span<OddHost>> as_array_mut() {
    if (elements.empty()) return std::nullopt;
    return std::span<OddHost>(elements);
  }
  std::optional<std::vector<OddHost>> into_array() && {
    if (elements.empty()) return std::nullopt;
    return std::move(elements);
  }
  bool is_object() const { return claims_object; }
  const OddHost* get(std::string_view) const { return nullptr; }
  OddHost* get_mut(std::string_view) { return nullptr; }
  std::optional<std::span<const std::pair<std::string, OddHost>>> entries() const {
    return std::nullopt;
  }
  std::optional<std::vector<std::pair<std::string, OddHost>>> into_entries() && {
    return std::nullopt;
  }
  OddHost clone() const { return *this; }
  void debug_to(std::string& out) const { out += "Odd"; }
};
static_assert(JsonObject<OddHost>);

// A value of no known kind ends the conversion, alone or inside containers that were partly
// converted around it.
TEST(ValueFromJson, UnsupportedValueType) {
  const OddHost null{.null = true};
  const OddHost inner{.elements = {null, OddHost{}, null}};
  for (const OddHost& host : {OddHost{}, OddHost{.elements = {null, inner, null}}}) {
    EXPECT_EQ(Value::from_json_object_ref(host).error(), "Unsupported value type");
    EXPECT_EQ(Value::from_json_object(host).error(), "Unsupported value type");
  }
}

// A variable whose value, or some value inside it, is of no known kind fails the evaluation
// with the conversion's error.
TEST(ValueFromJson, VariableOfNoKnownKindIsAConversionError) {
  EnvBuilder<OddHost> builder;
  builder.bind("odd", OddHost{});
  builder.bind("list", OddHost{.elements = {OddHost{.null = true}, OddHost{}}});
  const auto env = std::move(builder).build();
  for (const char* accessor : {"odd", "list", "list[1]"}) {
    const auto result = interpreter::eval(testing::var(accessor), env);
    ASSERT_FALSE(result) << accessor;
    EXPECT_EQ(result.error().to_string(), "Conversion error: Unsupported value type") << accessor;
  }
  const auto null = interpreter::eval(testing::var("list[0]"), env);
  ASSERT_TRUE(null);
  EXPECT_TRUE(null->get().is_null());
}

TEST(ValueFromJson, KindWithoutContentIsAnInternalFailure) {
  const struct {
    OddHost host;
    const char* message;
  } cases[] = {
      {{.claims_string = true}, "Expected JSON string"},
      {{.claims_array = true}, "Expected JSON array"},
      {{.claims_object = true}, "Expected JSON object"},
  };
  for (const auto& c : cases) {
    try {
      (void)Value::from_json_object(c.host);
      ADD_FAILURE() << c.message;
    } catch (const InternalFailure& failure) {
      EXPECT_STREQ(failure.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace tovrin
