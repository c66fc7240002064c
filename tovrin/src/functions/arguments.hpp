#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "tovrin/functions.hpp"

// The argument checks that every built-in runs before its own work: the count first, then the
// kinds from left to right, each failure with its fixed message.
namespace tovrin::functions {

// Kind-error messages up to the quoted kind that ends each of them.
inline constexpr std::string_view kExpectedString = "Expected a string argument, got: '";
inline constexpr std::string_view kExpectedFirstString =
    "Expected a string as the first argument, got: '";
inline constexpr std::string_view kExpectedSecondString =
    "Expected a string as the second argument, got: '";
inline constexpr std::string_view kExpectedThirdString =
    "Expected a string as the third argument, got: '";

// An ArgumentError unless exactly `expected` arguments were passed.
std::optional<EvalError> count_error(Args args, std::size_t expected);

// A TypeError whose message is `message_start`, the kind of `argument` and a closing quote.
EvalError kind_error(std::string_view message_start, const Value& argument);

// The bytes of a call's only argument, which must be a string ("Expected a string argument").
Result<std::string_view, EvalError> single_string_argument(Args args);

// The bytes of a call's N arguments, all of which must be strings; the first one that is not is
// named by its position ("Expected a string as the first argument" and so on).
template <std::size_t N>
Result<std::array<std::string_view, N>, EvalError> string_arguments(Args args) {
  static_assert(N >= 1 && N <= 3, "messages exist for the first three positions only");
  static constexpr std::array<std::string_view, 3> kByPosition = {
      kExpectedFirstString, kExpectedSecondString, kExpectedThirdString};
  if (auto error = count_error(args, N)) return Err{std::move(*error)};
  std::array<std::string_view, N> texts;
  for (std::size_t i = 0; i < N; ++i) {
    const Text* text = args[i].as_text();
    if (text == nullptr) return Err{kind_error(kByPosition[i], args[i])};
    texts[i] = text->view();
  }
  return texts;
}

}  // namespace tovrin::functions
