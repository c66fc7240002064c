#pragma once

#include <cstdint>
#include <optional>

#include "ast.hpp"
#include "syntax_error.hpp"

namespace tovrin::regex {

// Walks the tree depth first, left to right, and reports the first node that would nest deeper
// than `limit`. The walk never goes deeper than the limit itself.
std::optional<SyntaxError> check_nest_limit(const Ast& ast, std::uint32_t limit);

}  // namespace tovrin::regex
