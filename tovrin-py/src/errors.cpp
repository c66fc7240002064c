#include "errors.hpp"

#include <type_traits>
#include "capi/text.hpp"

#include "tovrin/internal_failure.hpp"

namespace tovrin::py {

using capi::Ref;

namespace {

struct ExceptionChoice {
  PyObject* type;
  std::string message;
};

// A failure inside a called function surfaces as that inner failure, without the function's
// name, however deeply calls are nested.
const EvalError& innermost(const EvalError& error) {
  const EvalError* current = &error;
  while (const auto* call = current->get_if<EvalError::FunctionCall>()) {
    current = &call->call.error();
  }
  return *current;
}

ExceptionChoice choose(const EvalError& error) {
  using E = EvalError;
  return std::visit(
      [&](const auto& e) -> ExceptionChoice {
        using Kind = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<Kind, E::VariableAccess>) {
          return {PyExc_NameError, e.error.to_string()};
        } else if constexpr (std::is_same_v<Kind, E::FunctionCall>) {
          TOVRIN_INTERNAL_FAILURE("A function call error was not unwrapped");
        } else if constexpr (std::is_same_v<Kind, E::UndefinedFunction>) {
          return {PyExc_NameError, error.to_string()};
        } else if constexpr (std::is_same_v<Kind, E::TypeError>) {
          return {PyExc_TypeError, e.detail};
        } else if constexpr (std::is_same_v<Kind, E::ValueError> ||
                             std::is_same_v<Kind, E::RegexError>) {
          return {PyExc_ValueError, e.detail};
        } else if constexpr (std::is_same_v<Kind, E::ArgumentError>) {
          return {PyExc_ValueError, "Expected " + std::to_string(e.expected) + " arguments, got " +
                                        std::to_string(e.got)};
        } else if constexpr (std::is_same_v<Kind, E::AsyncInSyncContext>) {
          return {PyExc_RuntimeError, "Cannot call an async function in a synchronous context"};
        } else {
          static_assert(std::is_same_v<Kind, E::Custom>);
          return {PyExc_Exception, e.message};
        }
      },
      error.variant());
}

ExceptionChoice choose(const PyTovrinError& error) {
  if (const auto* parse = std::get_if<PyTovrinError::Parse>(&error.variant())) {
    return {PyExc_ValueError, parse_failure_message(parse->kind, parse->input)};
  }
  return choose(innermost(std::get<PyTovrinError::Eval>(error.variant()).error));
}

}  // namespace

std::string parse_failure_message(parser::ErrorKind kind, std::string_view input) {
  std::string message = "error ";
  message += parser::error_kind_name(kind);
  message += " at: ";
  message += input;
  return message;
}

Ref into_pyobject(const PyTovrinError& error) {
  ExceptionChoice choice = choose(error);
  Ref message = capi::new_str(choice.message);
  return Ref::steal(PyObject_CallOneArg(choice.type, message.get()));
}

capi::Raised raise(const PyTovrinError& error) {
  Ref exception = into_pyobject(error);
  if (!exception) TOVRIN_INTERNAL_FAILURE("Failed to convert PyTovrinError to PyErr");
  PyObject* type = Py_NewRef(reinterpret_cast<PyObject*>(Py_TYPE(exception.get())));
  PyObject* traceback = PyException_GetTraceback(exception.get());
  PyErr_Restore(type, exception.release(), traceback);
  return {};
}

}  // namespace tovrin::py
