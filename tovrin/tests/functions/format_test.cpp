#include <gtest/gtest.h>
#include <re2/re2.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "functions/builtin_test_support.hpp"

namespace tovrin {
namespace {

using test::arr;
using test::call;
using test::failure;
using test::str;
using test::text_of;

struct FormatCase {
  const char* text;
  std::vector<Value> values;
  const char* expected;
};

std::vector<Value> with_template(std::string_view text, std::vector<Value> values) {
  values.insert(values.begin(), str(text));
  return values;
}

TEST(Format, FillsPlaceholders) {
  const FormatCase cases[] = {
      {"no placeholders", {str("unused"), Value::Int(1)}, "no placeholders"},
      {"{} {a} { 0} {0 } {-1} {+1} {0x1} {\xc2\xb2} {",
       {str("v")},
       "{} {a} { 0} {0 } {-1} {+1} {0x1} {\xc2\xb2} {"},
      {"{0}", {str("a\"b")}, "a\"b"},
      {"{0}{0}", {str("x")}, "xx"},
      {"{1}-{0}", {str("a"), str("b")}, "b-a"},
      {"{000}|{01}", {str("zero"), str("one")}, "zero|one"},
      {"\xc3\xa9{0}\xc3\xa9", {str("v")}, "\xc3\xa9v\xc3\xa9"},
      {"{0} {1} {2} {3} {4}",
       {Value::Float(1.0), arr({str("a")}), Value::Null(), Value::Bool(true), Value::Int(-7)},
       "1 [\"a\"] null true -7"},
      {"", {}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_of(call(functions::format, with_template(c.text, c.values))), c.expected)
        << c.text;
  }
}

// Placeholders are the leftmost non-overlapping runs of "{", digits, "}"; an escape is one with
// a "{" just before it and a "}" just after it, and keeps one brace on each side.
TEST(Format, EscapedPlaceholders) {
  const FormatCase cases[] = {
      {"{{0}}", {}, "{0}"},
      {"{{0}", {str("v")}, "{v"},
      {"{0}}", {str("v")}, "v}"},
      {"{{{0}}}", {}, "{{0}}"},
      {"{{0}}}", {}, "{0}}"},
      {"{{{0}}", {}, "{{0}"},
      {"{{42}} and {0}", {str("v")}, "{42} and v"},
      {"{{4294967296}}", {}, "{4294967296}"},
      {"{{\xd9\xa1}}", {}, "{\xd9\xa1}"},
      {"{{0}{1}}", {str("a"), str("b")}, "{ab}"},
      {"{0}{{1}}", {str("a")}, "a{1}"},
      {"{{x}}", {}, "{{x}}"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_of(call(functions::format, with_template(c.text, c.values))), c.expected)
        << c.text;
  }
}

TEST(Format, LeftmostBadPlaceholderFails) {
  const FormatCase cases[] = {
      {"{1}", {str("v")}, "Argument Error: Expected 3 arguments, but got 2"},
      {"{0}", {}, "Argument Error: Expected 2 arguments, but got 1"},
      {"{0} {2} {x}", {str("a"), str("b")}, "Argument Error: Expected 4 arguments, but got 3"},
      {"{4294967294}", {str("v")}, "Argument Error: Expected 4294967296 arguments, but got 2"},
      {"{4294967295}", {str("v")}, "Argument Error: Expected 4294967297 arguments, but got 2"},
      {"{4294967296}",
       {str("v")},
       "Value Error: Invalid format placeholder index '4294967296': number too large to fit in "
       "target type"},
      {"{00000000000000000004294967296}",
       {},
       "Value Error: Invalid format placeholder index '00000000000000000004294967296': number too "
       "large to fit in target type"},
      {"{\xd9\xa1\xd9\xa2}",
       {str("v")},
       "Value Error: Invalid format placeholder index '\xd9\xa1\xd9\xa2': invalid digit found in "
       "string"},
      {"{1\xef\xbc\x90}",
       {str("v")},  // a fullwidth zero after an ASCII one
       "Value Error: Invalid format placeholder index '1\xef\xbc\x90': invalid digit found in "
       "string"},
      // Read left to right: whichever problem comes first is reported.
      {"{99999999999\xd9\xa1}",
       {},
       "Value Error: Invalid format placeholder index '99999999999\xd9\xa1': number too large to "
       "fit in target type"},
      {"{4294967295\xd9\xa1}",
       {},
       "Value Error: Invalid format placeholder index '4294967295\xd9\xa1': invalid digit found in "
       "string"},
      {"{0} then {\xd9\xa1} then {9}",
       {str("v")},
       "Value Error: Invalid format placeholder index '\xd9\xa1': invalid digit found in string"},
      {"{9} then {\xd9\xa1}", {str("v")}, "Argument Error: Expected 11 arguments, but got 2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(failure(call(functions::format, with_template(c.text, c.values))), c.expected)
        << c.text;
  }
}

TEST(Format, ResultOwnsItsText) {
  const std::string text = "{0}";
  const std::string value = "borrowed";
  auto result = functions::format(
      std::vector<Value>{Value::borrowed_string(text), Value::borrowed_string(value)});
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->as_text()->is_borrowed());
  EXPECT_EQ(result->string_view(), "borrowed");
}

// The placeholder rules stated over the matches of a compiled pattern, step by step, as the
// reference for the direct scan.
std::string format_by_pattern(std::string_view text, const std::vector<std::string>& values) {
  static const re2::RE2 placeholder(R"(\{(\p{Nd}+)\})");
  std::string out;
  std::size_t copied = 0;
  std::size_t search_from = 0;
  re2::StringPiece match[2];
  while (placeholder.Match(text, search_from, text.size(), re2::RE2::UNANCHORED, match, 2)) {
    const auto start = static_cast<std::size_t>(match[0].data() - text.data());
    const std::size_t end = start + match[0].size();
    const std::string_view digits(match[1].data(), match[1].size());
    search_from = end;
    out.append(text, copied, start - copied);
    copied = end;
    if (start > 0 && text[start - 1] == '{' && end < text.size() && text[end] == '}') {
      out += digits;
      continue;
    }
    std::uint64_t index = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return "<invalid digit " + std::string(digits) + ">";
      index = index * 10 + static_cast<std::uint64_t>(c - '0');
      if (index > 0xFFFFFFFF) return "<too large " + std::string(digits) + ">";
    }
    if (index >= values.size()) return "<argument " + std::to_string(index) + ">";
    out += values[index];
  }
  out.append(text, copied);
  return out;
}

std::string format_by_scan(std::string_view text, const std::vector<std::string>& values) {
  std::vector<Value> args = {str(text)};
  for (const auto& value : values)
    args.push_back(str(value));
  const auto result = call(functions::format, args);
  if (result) return std::string(result->string_view());
  const std::string message = result.error().to_string();
  const auto quoted = [&] {
    const std::size_t open = message.find('\'');
    return message.substr(open + 1, message.find('\'', open + 1) - open - 1);
  };
  if (message.find("invalid digit") != std::string::npos) return "<invalid digit " + quoted() + ">";
  if (message.find("too large") != std::string::npos) return "<too large " + quoted() + ">";
  const auto& argument = *result.error().get_if<EvalError::ArgumentError>();
  return "<argument " + std::to_string(argument.expected - 2) + ">";
}

TEST(Format, ScanFindsTheSameMatchesAsThePattern) {
  // Braces, ASCII digits, Arabic-Indic and fullwidth digits, and characters that are not
  // decimal digits (a superscript two, a letter, an accented letter).
  static const std::vector<std::string> kPieces = {"{",
                                                   "{",
                                                   "{",
                                                   "}",
                                                   "}",
                                                   "}",
                                                   "0",
                                                   "1",
                                                   "9",
                                                   "\xd9\xa1",
                                                   "\xef\xbc\x90",
                                                   "\xc2\xb2",
                                                   "a",
                                                   "\xc3\xa9",
                                                   "4294967295",
                                                   "4294967296"};
  const std::vector<std::string> values = {"<v0>", "<v1>"};
  std::mt19937 random(99);
  std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
  std::uniform_int_distribution<std::size_t> length(0, 14);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (std::size_t n = length(random); n > 0; --n)
      text += kPieces[piece(random)];
    ASSERT_EQ(format_by_scan(text, values), format_by_pattern(text, values)) << text;
  }
}

// A run of digits after a brace is read to its end; its work is spent as it is read, whatever the
// width of its digits, so that the stop check is asked during a long run.
TEST(Format, LongDigitRunsSpendTheirWork) {
  // ASCII, Arabic-Indic, Devanagari and mathematical bold digits: one to four bytes each.
  for (const std::string_view digit : {"1", "\xd9\xa1", "\xe0\xa5\xa6", "\xf0\x9d\x9f\x8e"}) {
    std::string text = "{";
    while (text.size() < (std::size_t{1} << 20))
      text += digit;
    const int asked = test::stop_checks_during([&] {
      EXPECT_EQ(text_of(call(functions::format, {str(text)})).size(), text.size()) << digit;
    });
    EXPECT_GE(asked, 2) << digit;
  }
}

}  // namespace
}  // namespace tovrin
