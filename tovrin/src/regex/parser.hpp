#pragma once

#include <string_view>

#include "ast.hpp"
#include "syntax_error.hpp"
#include "tovrin/result.hpp"

namespace tovrin::regex {

// Groups, repetitions, alternations, concatenations and classes may nest this deep.
inline constexpr std::uint32_t kNestLimit = 250;

// Parses a pattern (valid UTF-8) into its syntax tree, then checks the nesting depth. The first
// problem met, left to right, is the one reported.
Result<Ast, SyntaxError> parse(std::string_view pattern);

}  // namespace tovrin::regex
