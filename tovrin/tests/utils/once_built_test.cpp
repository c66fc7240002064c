#include "tovrin/utils/once_built.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace tovrin {
namespace {

std::atomic<int> builds{0};

int build_slowly() {
  builds.fetch_add(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return 42;
}

constinit const OnceBuilt<int> SHARED{&build_slowly};

TEST(OnceBuilt, RacingThreadsSeeOneBuild) {
  EXPECT_FALSE(SHARED.is_built());
  std::vector<std::thread> threads;
  std::vector<const int*> seen(8);
  for (std::size_t i = 0; i < seen.size(); ++i)
    threads.emplace_back([&seen, i] { seen[i] = &SHARED.get(); });
  for (auto& thread : threads)
    thread.join();
  EXPECT_EQ(builds.load(), 1);
  for (const int* value : seen)
    EXPECT_EQ(value, &*SHARED);
  EXPECT_EQ(*SHARED, 42);
  EXPECT_TRUE(SHARED.is_built());
}

}  // namespace
}  // namespace tovrin
