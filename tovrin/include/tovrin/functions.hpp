#pragma once

#include <span>
#include <string_view>

#include "tovrin/errors.hpp"
#include "tovrin/result.hpp"
#include "tovrin/types/value.hpp"

// The built-in functions of the language. Each takes the argument values of one call in call
// order (they may borrow text from the expression or the bindings) and returns a value that owns
// all of its text, or an error. They check the argument count first, then the argument kinds from
// left to right.
namespace tovrin::functions {

using Args = std::span<const Value>;
using BuiltinResult = Result<Value, EvalError>;
using Builtin = BuiltinResult (*)(Args);

// The built-in function registered under `name` in the default function table, or null.
Builtin find_builtin(std::string_view name) noexcept;

BuiltinResult matches(Args args);
BuiltinResult len(Args args);
BuiltinResult starts_with(Args args);
BuiltinResult ends_with(Args args);
BuiltinResult contains(Args args);
BuiltinResult to_bool(Args args);        // bool
BuiltinResult to_string(Args args);      // string
BuiltinResult into_int(Args args);       // int
BuiltinResult into_float(Args args);     // float
BuiltinResult base64_encode(Args args);  // base64Encode
BuiltinResult base64_decode(Args args);  // base64Decode
BuiltinResult replace(Args args);
BuiltinResult format(Args args);
BuiltinResult join(Args args);
BuiltinResult split(Args args);

}  // namespace tovrin::functions
