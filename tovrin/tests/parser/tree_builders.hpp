#pragma once

// Accessors built by hand, failure tables, and readable output for parse errors.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tovrin/parser/parse_result.hpp"
#include "tovrin/types/var.hpp"

namespace tovrin {

namespace parser {
inline void PrintTo(const ParseError& error, std::ostream* out) {
  *out << (error.is_hard() ? "hard " : "") << error_kind_name(error.kind) << " at \"" << error.input
       << '"';
}
}  // namespace parser

namespace parser_test {

using Segment = std::pair<std::string, std::optional<Index>>;

inline VarAccess access(std::initializer_list<Segment> segments) {
  std::vector<VarName> names;
  for (const auto& [name, index] : segments)
    names.push_back(VarName{name, index});
  return VarAccess(std::move(names));
}
inline parser::ParseError recoverable(parser::ErrorKind kind, std::string_view at) {
  return parser::ParseError{parser::Severity::Recoverable, kind, at};
}

// Whether `part` lies inside `whole` and ends where it ends: a suffix view, not a copy.
inline bool is_suffix_view(std::string_view part, std::string_view whole) {
  return part.data() >= whole.data() && part.data() + part.size() == whole.data() + whole.size();
}

struct FailureCase {
  std::string input;
  parser::ErrorKind kind;
  std::string at;  // the rest the failure carries
};

// Every case fails recoverably with its kind, at a suffix of its own input.
template <class Parser>
void expect_failures(Parser parse, const std::vector<FailureCase>& cases) {
  for (const auto& c : cases) {
    const auto parsed = parse(std::string_view(c.input));
    ASSERT_FALSE(parsed) << c.input;
    EXPECT_EQ(parsed.error(), recoverable(c.kind, c.at)) << c.input;
    EXPECT_TRUE(is_suffix_view(parsed.error().input, c.input)) << c.input;
  }
}

}  // namespace parser_test
}  // namespace tovrin
