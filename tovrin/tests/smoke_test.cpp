#include <gtest/gtest.h>

#include "tovrin/result.hpp"

TEST(Result, CarriesValueOrError) {
  tovrin::Result<int, const char*> ok = 3;
  tovrin::Result<int, const char*> bad = tovrin::Err{"no"};
  EXPECT_TRUE(ok.has_value());
  EXPECT_EQ(*ok, 3);
  EXPECT_FALSE(bad.has_value());
}
