#pragma once

#include <memory>
#include <string_view>

#include "codepoint_set.hpp"
#include "syntax_error.hpp"
#include "tovrin/result.hpp"

namespace tovrin::regex {

// Resolves `\pX`/`\p{name}` (value empty, has_value false) or `\p{name=value}` to its char set
// (not negated, not case folded). Failures are UnicodePropertyNotFound or
// UnicodePropertyValueNotFound. Resolved sets are cached for the life of the process.
Result<std::shared_ptr<const CodepointSet>, ErrorKind> resolve_unicode_class(std::string_view name,
                                                                             std::string_view value,
                                                                             bool has_value);

// The loose form of a property name or value: ASCII only, without ` `, `_` and `-`, lower case,
// without an `is` prefix.
std::string normalize_symbolic_name(std::string_view name);

}  // namespace tovrin::regex
