#pragma once

#include <string_view>

#include "tovrin/parser/parse_result.hpp"
#include "tovrin/result.hpp"
#include "tovrin/types/exp.hpp"

namespace tovrin::parser {

// Brackets, braces, parentheses and call argument lists may be nested this deep. One level more
// fails hard with `TooLarge`, carrying the text from the opening character (or the called name)
// that went too deep. The bound keeps parsing within a small thread stack.
inline constexpr int kMaxNestingDepth = 256;

// A full expression: leading Unicode whitespace, then `||` operands. Text that no operator can
// continue is left in the rest. String literal texts in the tree may borrow from the input.
ParseResult<Exp> parse_exp(std::string_view input);

// The innermost unit of an expression: a literal, an array or object literal, a call, a
// variable or a parenthesised expression, followed by any ASCII blanks.
ParseResult<Exp> parse_atom(std::string_view input);

// The expression must take the whole text apart from Unicode whitespace at either end; anything
// else left over fails with `Eof` carrying the whole untrimmed rest.
Result<Exp, ParseError> parse_whole_exp(std::string_view text);

}  // namespace tovrin::parser
