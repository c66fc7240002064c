#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "regex/hir.hpp"
#include "regex/parser.hpp"
#include "regex/translate.hpp"

namespace tovrin::regex::test {

// The intermediate form of a pattern that must parse and translate.
inline Hir translated(const std::string& pattern) {
  auto ast = parse(pattern);
  EXPECT_TRUE(ast) << pattern;
  if (!ast) return Hir{};
  auto hir = translate(*ast);
  EXPECT_TRUE(hir) << pattern;
  if (!hir) return Hir{};
  return std::move(*hir);
}

}  // namespace tovrin::regex::test
