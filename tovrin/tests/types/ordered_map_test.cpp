#include "tovrin/types/ordered_map.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovrin {
namespace {

std::vector<std::string> keys_of(const OrderedMap<int>& map) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : map)
    keys.push_back(key);
  return keys;
}

// Sizes on both sides of the switch from scanning to the hash index, and through its regrowth.
class OrderedMapSizes : public testing::TestWithParam<int> {};

TEST_P(OrderedMapSizes, FindsEveryKeyAndReplacesInPlace) {
  const int count = GetParam();
  OrderedMap<int> map;
  std::vector<std::string> expected;
  for (int i = 0; i < count; ++i) {
    expected.push_back("key" + std::to_string(i * 7919 % 1000));
    map.insert_or_assign(expected.back(), i);
  }
  for (int i = 0; i < count; i += 3)
    map.insert_or_assign(expected[static_cast<std::size_t>(i)], -i);
  ASSERT_EQ(map.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(keys_of(map), expected);
  for (int i = 0; i < count; ++i) {
    auto it = map.find(expected[static_cast<std::size_t>(i)]);
    ASSERT_NE(it, map.end()) << i;
    EXPECT_EQ(it->second, i % 3 == 0 ? -i : i);
  }
  EXPECT_EQ(map.find("key"), map.end());
  EXPECT_EQ(map.find("absent"), map.end());
}

TEST_P(OrderedMapSizes, TryEmplacePutsOnlyAbsentKeys) {
  const int count = GetParam();
  OrderedMap<std::string> map;
  for (int i = 0; i < count; ++i) {
    const auto [entry, put] = map.try_emplace("key" + std::to_string(i), 3, 'a');
    EXPECT_TRUE(put);
    EXPECT_EQ(entry->first, "key" + std::to_string(i));
    EXPECT_EQ(entry->second, "aaa");
  }
  for (int i = 0; i < count; ++i) {
    const std::string key = "key" + std::to_string(i);
    std::string value = "replacement";
    const auto [entry, put] = map.try_emplace(std::string_view(key), std::move(value));
    EXPECT_FALSE(put);
    EXPECT_EQ(entry, map.find(key));
    EXPECT_EQ(entry->second, "aaa");
    EXPECT_EQ(value, "replacement");  // not moved from when the key is present
  }
  EXPECT_EQ(map.size(), static_cast<std::size_t>(count));
}

INSTANTIATE_TEST_SUITE_P(AcrossTheScanLimit, OrderedMapSizes,
                         testing::Values(0, 1, OrderedMap<int>::kScanLimit,
                                         OrderedMap<int>::kScanLimit + 1, 100, 1000));

TEST(OrderedMap, ReservedRoomIndexesFromTheFirstEntry) {
  OrderedMap<int> map;
  map.reserve(50);
  map.insert_or_assign("b", 1);
  map.append_new("a", 2);
  map.insert_or_assign("b", 3);
  EXPECT_EQ(keys_of(map), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(map.at("b"), 3);
  EXPECT_EQ(map.at("a"), 2);
  EXPECT_THROW(map.at("c"), std::out_of_range);
}

TEST(OrderedMap, CopiesAreIndependentAndTakenEntriesLeaveItEmpty) {
  OrderedMap<int> map;
  for (int i = 0; i < 20; ++i)
    map.insert_or_assign(std::to_string(i), i);
  OrderedMap<int> copy = map;
  copy.insert_or_assign("3", 33);
  copy.insert_or_assign("new", 1);
  EXPECT_EQ(map.at("3"), 3);
  EXPECT_EQ(map.find("new"), map.end());
  EXPECT_EQ(copy.at("3"), 33);

  auto entries = std::move(copy).take_entries();
  EXPECT_EQ(entries.size(), 21u);
  EXPECT_EQ(entries.back().first, "new");
  copy.clear();
  EXPECT_TRUE(copy.empty());
  EXPECT_EQ(copy.find("3"), copy.end());
  copy.insert_or_assign("again", 1);
  EXPECT_EQ(copy.at("again"), 1);
}

TEST(TextHash, EveryByteAndTheLengthCount) {
  const TextHash hash;
  for (std::size_t size = 0; size <= 24; ++size) {
    const std::string text(size, 'a');
    const std::size_t base = hash(text);
    EXPECT_NE(base, hash(text + '\0')) << size;
    for (std::size_t i = 0; i < size; ++i) {
      std::string changed = text;
      changed[i] = 'b';
      EXPECT_NE(base, hash(changed)) << "size " << size << ", byte " << i;
    }
  }
}

TEST(TextHash, SpreadsSimilarKeysOverTheLowBits) {
  const TextHash hash;
  std::set<std::size_t> buckets;
  for (int i = 0; i < 1000; ++i)
    // A char, not a one-character literal: g++ 12 at -O3 reports a false -Wrestrict for that.
    buckets.insert(hash('v' + std::to_string(i)) & 1023);
  // A thousand keys in 1024 buckets: a sound hash fills well over half of them.
  EXPECT_GT(buckets.size(), 550u);
}

// Every length through the word-wise paths, with one byte changed at each place, including a
// change only in the high bit of a byte and the zero byte.
TEST(TextEqual, EveryByteAndTheLengthCount) {
  const TextEqual equal;
  for (std::size_t size = 0; size <= 24; ++size) {
    const std::string text(size, 'a');
    EXPECT_TRUE(equal(text, std::string(size, 'a'))) << size;
    EXPECT_FALSE(equal(text, text + 'a')) << size;
    EXPECT_FALSE(equal(text + '\0', text + 'a')) << size;
    for (std::size_t i = 0; i < size; ++i) {
      for (const char replacement : {'b', static_cast<char>('a' | 0x80), '\0'}) {
        std::string changed = text;
        changed[i] = replacement;
        EXPECT_FALSE(equal(text, changed)) << "size " << size << ", byte " << i;
        EXPECT_FALSE(equal(changed, text)) << "size " << size << ", byte " << i;
      }
    }
  }
}

}  // namespace
}  // namespace tovrin
