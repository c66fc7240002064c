#pragma once

#include <string_view>

#include "tovrin/parser/parse_result.hpp"
#include "tovrin/result.hpp"
#include "tovrin/types/var.hpp"

namespace tovrin::parser {

// A variable accessor such as `user.items[0].id` or `a.'x.y'`, starting at the first character
// of the input. The text after the accessor is left in the rest: a `.` or `[` that does not
// continue it, and any blank that does not follow a `]`. The accessor owns all its text.
ParseResult<VarAccess> parse_variable_name(std::string_view input);

// The accessor must take the whole text: any character left over, a blank included, fails with
// `Eof` carrying that whole rest.
Result<VarAccess, ParseError> parse_whole_variable_name(std::string_view text);

}  // namespace tovrin::parser
