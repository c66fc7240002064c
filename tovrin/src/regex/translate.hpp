#pragma once

#include "ast.hpp"
#include "hir.hpp"
#include "syntax_error.hpp"
#include "tovrin/result.hpp"

namespace tovrin::regex {

// Resolves classes, applies flags and case folding and checks the ASCII-mode rules. Nodes are
// completed children first, left to right; the first failing node is reported.
Result<Hir, SyntaxError> translate(const Ast& ast);

}  // namespace tovrin::regex
