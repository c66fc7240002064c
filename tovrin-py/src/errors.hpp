#pragma once

#include "capi/exceptions.hpp"
#include "capi/ref.hpp"

#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "tovrin/errors.hpp"
#include "tovrin/parser/parse_result.hpp"

namespace tovrin::py {

// The binding's error: a failed parse of an expression text or a failed evaluation. Every such
// failure reaches Python through the one conversion below, which picks the exception type and
// the message for each kind.
class PyTovrinError {
 public:
  struct Parse {
    std::string input;  // the text that remained where parsing failed
    parser::ErrorKind kind;
  };
  struct Eval {
    EvalError error;
  };
  using Variant = std::variant<Parse, Eval>;

  PyTovrinError(Parse parse) : variant_(std::move(parse)) {}
  PyTovrinError(EvalError error) : variant_(Eval{std::move(error)}) {}
  static PyTovrinError from_parse_error(const parser::ParseError& error) {
    return Parse{std::string(error.input), error.kind};
  }

  const Variant& variant() const noexcept { return variant_; }

 private:
  Variant variant_;
};

// "error {kind} at: {input}", the message of every failed parse of an expression or accessor.
std::string parse_failure_message(parser::ErrorKind kind, std::string_view input);

// A new exception object for the error, created by calling the chosen class with the message.
capi::Ref into_pyobject(const PyTovrinError& error);

// Raises the exception object that into_pyobject makes.
capi::Raised raise(const PyTovrinError& error);

}  // namespace tovrin::py
