#include "functions/arguments.hpp"

#include <string>

namespace tovrin::functions {

std::optional<EvalError> count_error(Args args, std::size_t expected) {
  if (args.size() == expected) return std::nullopt;
  return EvalError(EvalError::ArgumentError{expected, args.size()});
}

EvalError kind_error(std::string_view message_start, const Value& argument) {
  const std::string_view kind = type_text(argument.get_type());
  std::string message;
  message.reserve(message_start.size() + kind.size() + 1);
  message += message_start;
  message += kind;
  message += '\'';
  return EvalError::TypeError{std::move(message)};
}

Result<std::string_view, EvalError> single_string_argument(Args args) {
  if (auto error = count_error(args, 1)) return Err{std::move(*error)};
  const Text* text = args[0].as_text();
  if (text == nullptr) return Err{kind_error(kExpectedString, args[0])};
  return text->view();
}

}  // namespace tovrin::functions
