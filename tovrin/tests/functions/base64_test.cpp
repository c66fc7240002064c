#include <gtest/gtest.h>

#include "tovrin/utils/utf8.hpp"

#include <random>
#include <string>
#include <vector>

#include "functions/builtin_test_support.hpp"

namespace tovrin {
namespace {

using test::call;
using test::failure;
using test::str;
using test::text_of;

std::string encode(std::string_view text) {
  return text_of(call(functions::base64_encode, {str(text)}));
}
functions::BuiltinResult decode(std::string_view text) {
  return call(functions::base64_decode, {str(text)});
}

TEST(Base64Encode, PadsTheLastGroup) {
  const struct {
    std::string text;
    const char* expected;
  } cases[] = {
      {"", ""},
      {"a", "YQ=="},
      {"ab", "YWI="},
      {"abc", "YWJj"},
      {"abcd", "YWJjZA=="},
      {"\xc3\xbf\xc3\xbe", "w7/Dvg=="},
      {std::string("\0\0\0", 3), "AAAA"},
      {"\x7f\x3f\x3e", "fz8+"},
      {"Hello, World!", "SGVsbG8sIFdvcmxkIQ=="},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(encode(c.text), c.expected) << c.text;
  }
}

TEST(Base64Decode, AcceptsCanonicalText) {
  const struct {
    const char* encoded;
    std::string expected;
  } cases[] = {
      {"", ""},
      {"YQ==", "a"},
      {"YWI=", "ab"},
      {"YWJj", "abc"},
      {"YWJjZA==", "abcd"},
      {"w7/Dvg==", "\xc3\xbf\xc3\xbe"},
      {"AAAA", std::string("\0\0\0", 3)},
      {"fz8+", "\x7f\x3f\x3e"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_of(decode(c.encoded)), c.expected) << c.encoded;
  }
}

// Each failure is the first check in the fixed order that the text fails.
TEST(Base64Decode, ReportsTheFirstFailedCheck) {
  const struct {
    std::string encoded;
    const char* expected;
  } cases[] = {
      // A stray last byte of a 4k+1 text wins over anything earlier.
      {"!!!!!", "Invalid symbol 33, offset 4."},
      {"YQ==\n", "Invalid symbol 10, offset 4."},
      {"Y", "Invalid input length: 1"},
      {"YWJjZ", "Invalid input length: 5"},
      {"=", "Invalid symbol 61, offset 0."},
      {"YWJj=", "Invalid symbol 61, offset 4."},
      // Body: the first byte that is not a symbol, "=" included.
      {"YW-jZA==", "Invalid symbol 45, offset 2."},
      {"YW_j", "Invalid symbol 95, offset 2."},
      {"YQ==YQ==", "Invalid symbol 61, offset 2."},
      {"Y Q==", "Invalid symbol 32, offset 1."},
      {"\xc3\xa9QQQ", "Invalid symbol 195, offset 0."},
      // Final group.
      {"=QQQ", "Invalid symbol 61, offset 0."},
      {"Q=QQ", "Invalid symbol 61, offset 1."},
      {"QQ=Q", "Invalid symbol 61, offset 2."},
      {"QQ=!", "Invalid symbol 61, offset 2."},
      {"QQ!=", "Invalid symbol 33, offset 2."},
      {"====", "Invalid symbol 61, offset 0."},
      {"YWJj\n", "Invalid symbol 10, offset 4."},
      {"YWJj\r\n", "Invalid symbol 13, offset 4."},
      {"YQ=", "Invalid padding"},
      {"YQ", "Invalid padding"},
      {"YWI", "Invalid padding"},
      {"YWJjYQ", "Invalid padding"},
      // Bits of the last symbol that no decoded byte takes.
      {"YR==", "Invalid last symbol 82, offset 1."},
      {"YWJ=", "Invalid last symbol 74, offset 2."},
      {"YWJjYR==", "Invalid last symbol 82, offset 5."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(failure(decode(c.encoded)),
              std::string("Value Error: Invalid base64 string: '") + c.expected + "'")
        << c.encoded;
  }
}

TEST(Base64Decode, DecodedBytesMustBeUtf8) {
  const struct {
    std::string bytes;
    const char* expected;
  } cases[] = {
      {"\xff", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"ab\x80", "invalid utf-8 sequence of 1 bytes from index 2"},
      {"\xc0\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xc1\xbf", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xf5\x80\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xc3(", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xe0\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},  // overlong
      {"\xed\xa0\x80", "invalid utf-8 sequence of 1 bytes from index 0"},  // surrogate
      {"\xf0\x8f\xbf\xbf", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xf4\x90\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},  // above U+10FFFF
      {"\xe2\x82(", "invalid utf-8 sequence of 2 bytes from index 0"},
      {"a\xf0\x9f\x98(", "invalid utf-8 sequence of 3 bytes from index 1"},
      {"\xc3\xa9\xf0\x9f(x", "invalid utf-8 sequence of 2 bytes from index 2"},
      {"\xc3", "incomplete utf-8 byte sequence from index 0"},
      {"ok\xe2\x82", "incomplete utf-8 byte sequence from index 2"},
      {"\xf0\x9f\x98", "incomplete utf-8 byte sequence from index 0"},
      {"\xe0\xa0", "incomplete utf-8 byte sequence from index 0"},
  };
  for (const auto& c : cases) {
    // Encoding does not look at the bytes, so it builds the input for any byte sequence.
    const std::string encoded = encode(c.bytes);
    EXPECT_EQ(failure(decode(encoded)),
              std::string("Value Error: Decoded bytes are not valid UTF-8: '") + c.expected + "'")
        << encoded;
  }
  EXPECT_EQ(text_of(decode(encode("\xf4\x8f\xbf\xbf\xef\xbf\xbf\xed\x9f\xbf"))),
            "\xf4\x8f\xbf\xbf\xef\xbf\xbf\xed\x9f\xbf");
}

std::string random_utf8(std::mt19937& random) {
  static constexpr char32_t kRanges[][2] = {
      {0x00, 0x7F}, {0x80, 0x7FF}, {0x800, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
  std::string out;
  const std::size_t count = std::uniform_int_distribution<std::size_t>(0, 12)(random);
  for (std::size_t i = 0; i < count; ++i) {
    const auto& range = kRanges[std::uniform_int_distribution<std::size_t>(0, 4)(random)];
    const char32_t c = std::uniform_int_distribution<char32_t>(range[0], range[1])(random);
    utf8::append(out, c);
  }
  return out;
}

TEST(Base64RoundTrip, DecodingAnEncodingGivesTheText) {
  std::mt19937 random(2024);
  for (int round = 0; round < 3000; ++round) {
    const std::string text = random_utf8(random);
    const std::string encoded = encode(text);
    ASSERT_EQ(encoded.size(), (text.size() + 2) / 3 * 4);
    ASSERT_EQ(text_of(decode(encoded)), text) << encoded;
  }
}

// Near-misses of valid encodings (one byte replaced, removed or added) are accepted only when
// they are the one encoding of what they decode to.
TEST(Base64RoundTrip, EveryAcceptedTextReencodesToItself) {
  static constexpr std::string_view kBytes =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=-_ \n";
  std::mt19937 random(77);
  std::uniform_int_distribution<std::size_t> byte(0, kBytes.size() - 1);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string encoded = encode(random_utf8(random));
    const std::size_t pos = std::uniform_int_distribution<std::size_t>(0, encoded.size())(random);
    switch (round % 3) {
      case 0:
        if (pos < encoded.size()) encoded[pos] = kBytes[byte(random)];
        break;
      case 1:
        if (pos < encoded.size()) encoded.erase(pos, 1);
        break;
      default:
        encoded.insert(pos, 1, kBytes[byte(random)]);
        break;
    }
    const auto decoded = decode(encoded);
    if (!decoded) continue;
    ++accepted;
    ASSERT_EQ(encode(decoded->string_view()), encoded);
  }
  EXPECT_GT(accepted, 1000);
}

}  // namespace
}  // namespace tovrin
