#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "functions/builtin_test_support.hpp"

namespace tovrin {
namespace {

using test::arr;
using test::call;
using test::obj;
using test::outcome;
using test::str;
using test::text_of;

TEST(Len, CountsCharactersElementsAndEntries) {
  const struct {
    Value subject;
    std::int64_t expected;
  } cases[] = {
      {str("h\xc3\xa9llo"), 5},                      // one character of two bytes
      {str("\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd"), 2},  // an emoji and its modifier count separately
      {str("e\xcc\x81"), 2},                         // a letter and a combining accent
      {str(""), 0},
      {arr({}), 0},
      {obj({}), 0},
      {arr({arr({Value::Int(1), Value::Int(2)}), Value::Null()}), 2},
      {obj({{"a", Value::Int(1)}, {"b", arr({})}}), 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(outcome(call(functions::len, {c.subject})), Value::Int(c.expected).debug());
  }
}

TEST(StartsWithEndsWith, CompareBytesAtEitherEnd) {
  const struct {
    const char* text;
    const char* affix;
    bool starts;
    bool ends;
  } cases[] = {
      {"hello", "", true, true},      {"", "", true, true},
      {"hello", "he", true, false},   {"hello", "lo", false, true},
      {"hello", "hello", true, true}, {"hi", "hi!", false, false},
      {"", "a", false, false},        {"Hello", "hello", false, false},
      {"abcabc", "abc", true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(outcome(call(functions::starts_with, {str(c.text), str(c.affix)})),
              Value::Bool(c.starts).debug())
        << c.text << " / " << c.affix;
    EXPECT_EQ(outcome(call(functions::ends_with, {str(c.text), str(c.affix)})),
              Value::Bool(c.ends).debug())
        << c.text << " / " << c.affix;
  }
}

TEST(Contains, SearchesTextArraysAndKeys) {
  const auto nan = Value::Float(std::numeric_limits<double>::quiet_NaN());
  const struct {
    Value container;
    Value item;
    bool expected;
  } cases[] = {
      {str("hello"), str(""), true},
      {str(""), str(""), true},
      {str("hello"), str("ell"), true},
      {str("hello"), str("hello"), true},
      {str("hello"), str("hellO"), false},
      {str("hi"), str("hi!"), false},
      {str("aaab"), str("aab"), true},
      {arr({Value::Int(1)}), Value::Float(1.0), false},
      {arr({Value::Int(1), Value::Int(2)}), Value::Int(2), true},
      {arr({arr({Value::Int(1)})}), arr({Value::Int(1)}), true},
      {arr({nan}), nan, false},
      {arr({}), Value::Null(), false},
      {arr({Value::Null()}), Value::Null(), true},
      {obj({{"k", str("v")}}), str("k"), true},
      {obj({{"k", str("v")}}), str("v"), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(outcome(call(functions::contains, {c.container, c.item})),
              Value::Bool(c.expected).debug())
        << c.container.debug() << " / " << c.item.debug();
  }
}

TEST(Replace, TakesOccurrencesLeftToRightWithoutOverlap) {
  const struct {
    const char* text;
    const char* from;
    const char* to;
    const char* expected;
  } cases[] = {
      {"aaa", "aa", "b", "ba"},
      {"hello world", "o", "0", "hell0 w0rld"},
      {"hello", "x", "y", "hello"},
      {"hello", "hello", "", ""},
      {"a.b.c", ".", "$1\\", "a$1\\b$1\\c"},
      {"ab", "", "-", "-a-b-"},
      {"", "", "x", "x"},
      {"", "a", "x", ""},
      {"\xc3\xa9\xc3\xa8", "", "|", "|\xc3\xa9|\xc3\xa8|"},
      {"abab", "ab", "abab", "abababab"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_of(call(functions::replace, {str(c.text), str(c.from), str(c.to)})), c.expected)
        << c.text << " / " << c.from;
  }
}

TEST(Split, KeepsEmptyPieces) {
  const auto strings = [](std::vector<const char*> pieces) {
    Array out;
    for (const char* piece : pieces)
      out.push_back(str(piece));
    return Value::Array(std::move(out)).debug();
  };
  const struct {
    const char* text;
    const char* separator;
    std::vector<const char*> pieces;
  } cases[] = {
      {"a,b,c", ",", {"a", "b", "c"}},
      {",a,", ",", {"", "a", ""}},
      {"a,,b", ",", {"a", "", "b"}},
      {"", ",", {""}},
      {"abc", "x", {"abc"}},
      {"aaa", "aa", {"", "a"}},
      {"a<>b<>", "<>", {"a", "b", ""}},
      {"abc", "", {"", "a", "b", "c", ""}},
      {"", "", {"", ""}},
      {"\xc3\xa9x", "", {"", "\xc3\xa9", "x", ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(outcome(call(functions::split, {str(c.text), str(c.separator)})), strings(c.pieces))
        << c.text << " / " << c.separator;
  }
}

// Texts with more pieces than the split keeps track of in one search.
TEST(Split, ManyPieces) {
  for (const std::size_t count : {64u, 65u, 66u, 200u}) {
    std::string text;
    Array expected;
    for (std::size_t i = 0; i < count; ++i) {
      const std::string piece = i % 7 == 0 ? "" : std::to_string(i);
      text += (i == 0 ? "" : "<>") + piece;
      expected.push_back(str(piece));
    }
    EXPECT_EQ(outcome(call(functions::split, {str(text), str("<>")})),
              Value::Array(std::move(expected)).debug())
        << count;
  }
}

TEST(Join, RendersEveryElementInItsTextForm) {
  const Value mixed = arr({str("a\"b"), Value::Int(-1), Value::Float(2.0), Value::Bool(true),
                           Value::Null(), arr({str("x")}), obj({{"k", Value::Float(0.5)}})});
  EXPECT_EQ(text_of(call(functions::join, {mixed, str(", ")})),
            R"(a"b, -1, 2, true, null, ["x"], {"k": 0.5})");
  EXPECT_EQ(text_of(call(functions::join, {arr({}), str(",")})), "");
  EXPECT_EQ(text_of(call(functions::join, {arr({str("only")}), str(",")})), "only");
  EXPECT_EQ(text_of(call(functions::join, {arr({Value::Int(1), Value::Int(2)}), str("")})), "12");
}

// Results outlive their arguments: nothing in them may borrow.
TEST(TextFunctions, ResultsOwnTheirText) {
  const std::string text = "a,b";
  const std::vector<Value> args = {Value::borrowed_string(text), Value::borrowed_string(",")};
  auto pieces = functions::split(args);
  ASSERT_TRUE(pieces);
  for (const auto& piece : *pieces->as_array())
    EXPECT_FALSE(piece.as_text()->is_borrowed());
  const std::vector<Value> same = {Value::borrowed_string(text), Value::borrowed_string("x"),
                                   Value::borrowed_string("y")};
  auto replaced = functions::replace(same);
  ASSERT_TRUE(replaced);
  EXPECT_FALSE(replaced->as_text()->is_borrowed());
}

}  // namespace
}  // namespace tovrin
