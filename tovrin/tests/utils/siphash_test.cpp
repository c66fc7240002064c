#include "tovrin/utils/siphash.hpp"

#include <gtest/gtest.h>

#include <string>

namespace tovrin {
namespace {

std::uint64_t hash_at_once(std::string_view bytes) {
  SipHasher13 hasher;
  hasher.write_bytes(bytes);
  return hasher.finish();
}

// Reference values: CPython 3.11 hashes bytes with SipHash-1-3, under PYTHONHASHSEED=0 with a
// zero key (hash(b"...") taken modulo 2**64).
TEST(SipHash13, MatchesReferenceValues) {
  EXPECT_EQ(hash_at_once("a"), 4644417185603328019ULL);
  EXPECT_EQ(hash_at_once("abcdefg"), 7904145750247929094ULL);
  EXPECT_EQ(hash_at_once("abcdefgh"), 4574395652268504554ULL);
  EXPECT_EQ(hash_at_once("hello world, this is longer than 16"), 17831865094204362761ULL);
}

TEST(SipHash13, PiecewiseWritesEqualOneWrite) {
  const std::string text = "hello world, this is longer than 16";
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    SipHasher13 hasher;
    hasher.write_bytes(std::string_view(text).substr(0, cut));
    for (char c : text.substr(cut))
      hasher.write_byte(static_cast<std::uint8_t>(c));
    EXPECT_EQ(hasher.finish(), hash_at_once(text)) << cut;
  }
  SipHasher13 words;
  words.write_word(0x64636261);  // "abcd" in little-endian order
  words.write_bytes("efgh");
  EXPECT_EQ(words.finish(), hash_at_once("abcdefgh"));
}

}  // namespace
}  // namespace tovrin
