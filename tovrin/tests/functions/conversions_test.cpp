#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "functions/builtin_test_support.hpp"

namespace tovrin {
namespace {

using test::arr;
using test::call;
using test::failure;
using test::obj;
using test::outcome;
using test::str;
using test::text_of;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(Bool, FollowsTheTruthRule) {
  const struct {
    Value subject;
    bool expected;
  } cases[] = {
      {Value::Int(0), false},
      {Value::Float(0.0), false},
      {Value::Float(-0.0), false},
      {Value::Bool(false), false},
      {str(""), false},
      {arr({}), false},
      {obj({}), false},
      {Value::Null(), false},
      {Value::Float(kNaN), true},
      {str("0"), true},
      {str(" "), true},
      {arr({Value::Null()}), true},
      {Value::Int(-1), true},
      {obj({{"k", Value::Null()}}), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(outcome(call(functions::to_bool, {c.subject})), Value::Bool(c.expected).debug())
        << c.subject.debug();
  }
}

TEST(String, ReturnsTheTextFormOwned) {
  EXPECT_EQ(text_of(call(functions::to_string, {str("a\"b")})), "a\"b");
  EXPECT_EQ(text_of(call(functions::to_string, {Value::Null()})), "null");
  EXPECT_EQ(text_of(call(functions::to_string, {Value::Float(1e20)})), "100000000000000000000");
  EXPECT_EQ(text_of(call(functions::to_string, {arr({str("x"), Value::Float(1.0)})})),
            R"(["x", 1])");
  const std::string text = "borrowed";
  auto result = functions::to_string(std::vector<Value>{Value::borrowed_string(text)});
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->as_text()->is_borrowed());
}

TEST(Int, ConvertsNumbersAndTruthValues) {
  const struct {
    Value subject;
    std::int64_t expected;
  } cases[] = {
      {Value::Int(kMin), kMin},
      {Value::Float(-2.7), -2},
      {Value::Float(2.7), 2},
      {Value::Float(-0.0), 0},
      {Value::Float(kNaN), 0},
      {Value::Float(1e300), kMax},
      {Value::Float(9223372036854775808.0), kMax},
      {Value::Float(9223372036854774784.0), 9223372036854774784},
      {Value::Float(-9223372036854775808.0), kMin},
      {Value::Float(-1e300), kMin},
      {Value::Float(kInf), kMax},
      {Value::Float(-kInf), kMin},
      {Value::Bool(true), 1},
      {Value::Bool(false), 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(outcome(call(functions::into_int, {c.subject})), Value::Int(c.expected).debug())
        << c.subject.debug();
  }
}

TEST(Int, ReadsSignedDecimalText) {
  const struct {
    const char* text;
    std::int64_t expected;
  } cases[] = {
      {"+5", 5},
      {"-0", 0},
      {"007", 7},
      {"-9223372036854775808", kMin},
      {"9223372036854775807", kMax},
      {"-00000000000000000000009223372036854775808", kMin},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(outcome(call(functions::into_int, {str(c.text)})), Value::Int(c.expected).debug())
        << c.text;
  }
}

TEST(Int, RejectsEverythingElseShowingTheArgument) {
  const std::vector<Value> rejected = {
      str("9223372036854775808"),
      str("-9223372036854775809"),
      str("1.0"),
      str("1e3"),
      str("0x10"),
      str("1_000"),
      str(" 1"),
      str("1 "),
      str("+"),
      str("-"),
      str(""),
      str("+-1"),
      str("\xd9\xa1"),
      arr({Value::Int(1), str("a")}),
      obj({}),
      Value::Null(),
  };
  for (const auto& subject : rejected) {
    EXPECT_EQ(failure(call(functions::into_int, {subject})),
              "Type Error: Expected a value that can be converted to 'i64', got '" +
                  subject.debug() + "'");
  }
  EXPECT_EQ(failure(call(functions::into_int, {str("1.5")})),
            "Type Error: Expected a value that can be converted to 'i64', got 'String(\"1.5\")'");
  EXPECT_EQ(failure(call(functions::into_int, {Value::Null()})),
            "Type Error: Expected a value that can be converted to 'i64', got 'Null'");
}

// Compares the bits, so that NaN, the sign of zero and exact rounding all count.
std::string float_bits(const functions::BuiltinResult& result) {
  if (!result || !result->as_float()) return outcome(result);
  const double value = *result->as_float();
  if (std::isnan(value)) return std::signbit(value) ? "-NaN" : "NaN";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%a", value);
  return buffer;
}
std::string float_bits(double value) {
  return float_bits(Value::Float(value));
}

TEST(Float, ConvertsNumbersAndTruthValues) {
  const struct {
    Value subject;
    double expected;
  } cases[] = {
      {Value::Int(9007199254740993), 9007199254740992.0},
      {Value::Int(-3), -3.0},
      {Value::Int(kMax), 9223372036854775808.0},
      {Value::Float(-0.0), -0.0},
      {Value::Float(-kInf), -kInf},
      {Value::Float(kNaN), kNaN},
      {Value::Bool(true), 1.0},
      {Value::Bool(false), 0.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(float_bits(call(functions::into_float, {c.subject})), float_bits(c.expected))
        << c.subject.debug();
  }
}

TEST(Float, ReadsDecimalAndSpecialText) {
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      {"12", 12.0},
      {"12.", 12.0},
      {".5", 0.5},
      {"5.", 5.0},
      {"12.5", 12.5},
      {"-12.5", -12.5},
      {"+0.25", 0.25},
      {"1E3", 1000.0},
      {"1e+3", 1000.0},
      {"25e-1", 2.5},
      {".5e1", 5.0},
      {"-0", -0.0},
      {"0.1", 0.1},
      {"0.30000000000000004", 0.30000000000000004},
      {"9007199254740993", 9007199254740992.0},  // a tie goes to the even neighbour
      {"9007199254740995", 9007199254740996.0},
      {"1.7976931348623157e308", 1.7976931348623157e308},
      {"5e-324", 5e-324},
      {"3e-324", 5e-324},
      {"1e400", kInf},
      {"-1e400", -kInf},
      {"1e-400", 0.0},
      {"-1e-400", -0.0},
      {"2e-324", 0.0},
      {"0.000000000000000000000000000000001e-300", 0.0},
      {"1000000000000000000000000000000000000000e300", kInf},
      {"1e99999999999999999999", kInf},
      {"0e99999999999999999999", 0.0},
      {"inf", kInf},
      {"-INF", -kInf},
      {"Infinity", kInf},
      {"+iNfInItY", kInf},
      {"nan", kNaN},
      {"NaN", kNaN},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(float_bits(call(functions::into_float, {str(c.text)})), float_bits(c.expected))
        << c.text;
  }
  EXPECT_EQ(float_bits(call(functions::into_float, {str("-nan")})), "-NaN");
}

TEST(Float, RejectsEverythingElseShowingTheArgument) {
  const std::vector<Value> rejected = {
      str("."),
      str("e5"),
      str("1e"),
      str("1e+"),
      str(" 1"),
      str("1 "),
      str(""),
      str("+"),
      str("--1"),
      str("0x1p3"),
      str("1_0"),
      str("1.2.3"),
      str("infi"),
      str("nan(1)"),
      str("+.e1"),
      str("1,5"),
      str("\xd9\xa1"),
      arr({Value::Null()}),
      obj({{"a", Value::Int(1)}}),
      Value::Null(),
  };
  for (const auto& subject : rejected) {
    EXPECT_EQ(failure(call(functions::into_float, {subject})),
              "Type Error: Expected a value that can be converted to 'f64', got '" +
                  subject.debug() + "'");
  }
}

}  // namespace
}  // namespace tovrin
