#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "regex/pattern_cache.hpp"

namespace tovrin::regex {
namespace {

TEST(PatternCache, RepeatedPatternReusesItsMatcher) {
  auto first = compile_cached("\\bcache\\d+");
  auto second = compile_cached("\\bcache\\d+");
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->get(), second->get());
  EXPECT_TRUE((*second)->is_match("a cache42"));
}

TEST(PatternCache, ErrorsAreRememberedWithTheirText) {
  auto fresh = compile("(unclosed");
  auto first = compile_cached("(unclosed");
  auto second = compile_cached("(unclosed");
  ASSERT_FALSE(fresh || first || second);
  EXPECT_EQ(first.error(), fresh.error());
  EXPECT_EQ(second.error(), fresh.error());
}

TEST(PatternCache, EvictionKeepsAnswersRight) {
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 200; ++i) {
      std::string digits = std::to_string(i);
      auto compiled = compile_cached("^x" + digits + "$");
      ASSERT_TRUE(compiled);
      EXPECT_TRUE((*compiled)->is_match("x" + digits));
      EXPECT_FALSE((*compiled)->is_match("x" + digits + "0"));
    }
  }
  // A large matcher makes room for itself by pushing out others.
  auto large = compile_cached("\\w{150}");
  ASSERT_TRUE(large);
  EXPECT_TRUE((*large)->is_match(std::string(150, 'z')));
}

TEST(PatternCache, ThreadsKeepTheirOwnEntries) {
  std::vector<std::thread> threads;
  std::vector<int> hits(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        // A char, not a one-character literal: g++ 12 at -O3 reports a false -Wrestrict for that.
        auto compiled = compile_cached('t' + std::to_string(i % 80));
        if (compiled && (*compiled)->is_match("at" + std::to_string(i % 80))) ++hits[t];
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  for (int count : hits)
    EXPECT_EQ(count, 500);
}

}  // namespace
}  // namespace tovrin::regex
