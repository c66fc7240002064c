#pragma once

#include "ast.hpp"
#include "codepoint_set.hpp"

namespace tovrin::regex {

// Char sets from the Unicode data, built on first use and kept for the life of the process.
// Every function is safe to call from several threads.
const CodepointSet& perl_digit_set();  // general category Nd
const CodepointSet& perl_space_set();  // White_Space
const CodepointSet& perl_word_set();   // Alphabetic, M, Nd, Pc and Join_Control

// The ASCII classes; `(?-u)` Perl classes use Digit, Space and Word.
CodepointSet ascii_class_set(AsciiKind kind);

// Adds every char that is equivalent to a member under simple case folding.
void add_simple_case_folds(CodepointSet& set);
// Adds the other case of every ASCII letter in the set.
void add_ascii_case_folds(CodepointSet& set);
// Whether simple case folding relates the char to any other char.
bool has_simple_case_folds(char32_t c);

}  // namespace tovrin::regex
