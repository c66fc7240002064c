#include "tovrin/utils/text_form.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "functions/builtin_test_support.hpp"

namespace tovrin {
namespace {

using test::arr;
using test::obj;
using test::str;

TEST(TextForm, FloatsNeverUseExponentNotation) {
  const std::string largest = "17976931348623157" + std::string(292, '0');
  const std::string smallest = "0." + std::string(323, '0') + "5";
  const struct {
    double value;
    std::string expected;
  } cases[] = {
      {1.0, "1"},
      {3.0, "3"},
      {1.5, "1.5"},
      {-2.5, "-2.5"},
      {0.0, "0"},
      {-0.0, "-0"},
      {0.1 + 0.2, "0.30000000000000004"},
      {123.456, "123.456"},
      {1e16, "1" + std::string(16, '0')},
      {1e20, "100000000000000000000"},
      {1e-7, "0.0000001"},
      {-1e-7, "-0.0000001"},
      {0.001, "0.001"},
      {9223372036854775808.0, "9223372036854776000"},
      {1.7976931348623157e308, largest},
      {-1.7976931348623157e308, "-" + largest},
      {5e-324, smallest},
      {std::numeric_limits<double>::quiet_NaN(), "NaN"},
      {-std::numeric_limits<double>::quiet_NaN(), "NaN"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_form(Value::Float(c.value)), c.expected) << c.value;
  }
}

TEST(TextForm, ScalarsAtTopLevel) {
  EXPECT_EQ(text_form(Value::Int(0)), "0");
  EXPECT_EQ(text_form(Value::Int(-42)), "-42");
  EXPECT_EQ(text_form(Value::Int(std::numeric_limits<std::int64_t>::min())),
            "-9223372036854775808");
  EXPECT_EQ(text_form(Value::Int(std::numeric_limits<std::int64_t>::max())), "9223372036854775807");
  EXPECT_EQ(text_form(Value::Bool(true)), "true");
  EXPECT_EQ(text_form(Value::Bool(false)), "false");
  EXPECT_EQ(text_form(Value::Null()), "null");
  EXPECT_EQ(text_form(str("a\"b")), "a\"b");
  EXPECT_EQ(text_form(str("tab\there\\")), "tab\there\\");
}

TEST(TextForm, ContainersQuoteAndEscapeTheirStrings) {
  const struct {
    Value value;
    const char* expected;
  } cases[] = {
      {arr({Value::Int(1), str("a"), arr({Value::Bool(true), Value::Null()})}),
       R"([1, "a", [true, null]])"},
      {arr({str("a\tb")}), R"(["a\tb"])"},
      {arr({str("\\ \" \n \r")}), R"(["\\ \" \n \r"])"},
      {arr({str("it's")}), R"(["it's"])"},
      {arr({str("\x01\x7f\xc3\xa9")}), "[\"\x01\x7f\xc3\xa9\"]"},
      {obj({{"b", Value::Int(1)}, {"a", str("x")}}), R"({"a": "x", "b": 1})"},
      {arr({}), "[]"},
      {obj({}), "{}"},
      {arr({str("")}), R"([""])"},
      {obj({{"k", obj({})}}), R"({"k": {}})"},
      {arr({Value::Float(1.0), Value::Float(2.5)}), "[1, 2.5]"},
      {arr({arr({obj({{"a", arr({str("x\n")})}})})}), R"([[{"a": ["x\n"]}]])"},
      {obj({{"n", Value::Float(-0.0)}, {"s", str("q\"")}}), R"({"n": -0, "s": "q\""})"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_form(c.value), c.expected);
  }
}

TEST(TextForm, KeysAreNeverEscaped) {
  const std::string awkward = "k\"\t\\";
  EXPECT_EQ(text_form(obj({{awkward, str(awkward)}})), "{\"k\"\t\\\": \"k\\\"\\t\\\\\"}");
}

TEST(TextForm, AppendsToWhatTheSinkHolds) {
  std::string out = "x=";
  text_form_to(out, arr({Value::Int(1)}));
  EXPECT_EQ(out, "x=[1]");
}

// Escaping spends its work as it goes, so that the stop check is asked while a long text inside
// a container is rendered.
TEST(TextForm, EscapingALongNestedTextSpendsItsWork) {
  const std::string long_text(std::size_t{1} << 20, 'x');
  const Value array = arr({str(long_text)});
  std::string out;
  EXPECT_GE(test::stop_checks_during([&] { text_form_to(out, array); }), 2);
  EXPECT_EQ(out.size(), long_text.size() + 4);
  EXPECT_TRUE(out == "[\"" + long_text + "\"]");
}

TEST(EscapeStrForJson, BorrowsTextWithoutEscapes) {
  for (std::string_view text :
       {std::string_view(""), std::string_view("plain 'text' \x01 \xc3\xa9")}) {
    const Text escaped = escape_str_for_json(text);
    EXPECT_TRUE(escaped.is_borrowed());
    EXPECT_EQ(escaped.view().data(), text.data());
    EXPECT_EQ(escaped.view().size(), text.size());
  }
}

TEST(EscapeStrForJson, EscapesEachOfTheFiveCharacters) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"\t", R"(\t)"}, {"\n", R"(\n)"},           {"\r", R"(\r)"},         {"\"", R"(\")"},
      {"\\", R"(\\)"}, {"a\tb\nc", R"(a\tb\nc)"}, {"\\\\\"", R"(\\\\\")"}, {"end\\", R"(end\\)"},
  };
  for (const auto& c : cases) {
    const Text escaped = escape_str_for_json(c.text);
    EXPECT_FALSE(escaped.is_borrowed()) << c.text;
    EXPECT_EQ(escaped.view(), c.expected);
  }
}

}  // namespace
}  // namespace tovrin
