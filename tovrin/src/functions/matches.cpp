// The matches built-in: an unanchored search of a text for a pattern. Compiling is by far the
// larger cost, and expressions tend to use the same pattern on every evaluation, so recent
// patterns are kept per thread; the answers are the same as compiling anew.
#include "functions/arguments.hpp"
#include "regex/pattern_cache.hpp"

namespace tovrin::functions {

BuiltinResult matches(Args args) {
  auto texts = string_arguments<2>(args);
  if (!texts) return Err{std::move(texts).error()};
  const auto [text, pattern] = *texts;
  auto matcher = regex::compile_cached(pattern);
  if (!matcher) {
    std::string message = "Invalid regex pattern: '";
    message += matcher.error();
    message += '\'';
    return Err{EvalError::RegexError{std::move(message)}};
  }
  return Value::Bool((*matcher)->is_match(text));
}

}  // namespace tovrin::functions
