// The matches built-in: an unanchored search of a text for a pattern compiled for the call.
#include "functions/arguments.hpp"
#include "regex/regex.hpp"

namespace tovrin::functions {

BuiltinResult matches(Args args) {
  auto texts = string_arguments<2>(args);
  if (!texts) return Err{std::move(texts).error()};
  const auto [text, pattern] = *texts;
  auto matcher = regex::compile(pattern);
  if (!matcher) {
    std::string message = "Invalid regex pattern: '";
    message += matcher.error();
    message += '\'';
    return Err{EvalError::RegexError{std::move(message)}};
  }
  return Value::Bool((*matcher)->is_match(text));
}

}  // namespace tovrin::functions
