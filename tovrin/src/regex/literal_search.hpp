#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hir.hpp"
#include "literal_seq.hpp"
#include "normal_hir.hpp"

namespace tovrin::regex {

// The prefix literals of a pattern in normal form, in preference order. Extraction is bounded: a
// class of more than 10 chars, more than 10 copies of a repeated piece, a literal longer than 100
// bytes or more than 250 literals in all make the sequence inexact or infinite. Assertions are
// read as if they matched everywhere.
LiteralSeq extract_prefixes(const NormalHir& hir);

// The literal strings whose search answers the pattern, when there are such: the pattern has no
// capturing group and no assertion, and its prefix literals, shaped for a prefix search, are
// exact, at least one, and none empty. A match of the pattern exists exactly where one of them
// occurs. Such a pattern is searched without building its automaton, so it never meets the
// compile size limit. Depends on the pattern only.
std::optional<std::vector<std::string>> literal_search_set(const Hir& hir);

// An alternation of the given non-empty literal strings (UTF-8).
Hir alternation_of_literals(const std::vector<std::string>& literals);

}  // namespace tovrin::regex
