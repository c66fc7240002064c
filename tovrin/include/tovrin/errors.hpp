#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <variant>

namespace tovrin {

// The failure of an accessor walk.
class VarAccessError {
 public:
  struct Empty {};
  struct VariableNotFound {
    std::string name;
  };
  struct KeyNotFound {
    std::string object;  // the path text of the object searched
    std::string key;
  };
  struct TypeError {
    std::string detail;
  };
  struct IndexOutOfBounds {
    std::string detail;
  };
  struct Conversion {
    std::string detail;
  };
  using Variant =
      std::variant<Empty, VariableNotFound, KeyNotFound, TypeError, IndexOutOfBounds, Conversion>;

  template <class T>
  requires std::is_constructible_v<Variant, T&&> VarAccessError(T&& variant)
      : variant_(std::forward<T>(variant)) {}

  const Variant& variant() const noexcept { return variant_; }
  template <class T>
  const T* get_if() const noexcept {
    return std::get_if<T>(&variant_);
  }

  void display_to(std::string& out) const;
  std::string to_string() const;

 private:
  Variant variant_;
};

class EvalError;

// A failed call: the function's name as written and the error the call produced, held in an
// allocation of its own. Copies are deep.
class FnCallError {
 public:
  FnCallError(std::string name, EvalError error);
  FnCallError(const FnCallError& other);
  FnCallError& operator=(const FnCallError& other);
  FnCallError(FnCallError&&) noexcept = default;
  FnCallError& operator=(FnCallError&&) noexcept = default;
  ~FnCallError();

  const std::string& name() const noexcept { return name_; }
  const EvalError& error() const noexcept { return *error_; }

 private:
  std::string name_;
  std::unique_ptr<EvalError> error_;
};

// The error of an evaluation; each variant renders through a fixed template.
class EvalError {
 public:
  struct VariableAccess {
    VarAccessError error;
  };
  struct FunctionCall {
    FnCallError call;
  };
  struct UndefinedFunction {
    std::string name;
  };
  struct TypeError {
    std::string detail;
  };
  struct ValueError {
    std::string detail;
  };
  struct RegexError {
    std::string detail;
  };
  struct ArgumentError {
    std::size_t expected;
    std::size_t got;
  };
  struct AsyncInSyncContext {};
  struct Custom {
    std::string message;
  };
  using Variant = std::variant<VariableAccess, FunctionCall, UndefinedFunction, TypeError,
                               ValueError, RegexError, ArgumentError, AsyncInSyncContext, Custom>;

  template <class T>
  requires std::is_constructible_v<Variant, T&&> EvalError(T&& variant)
      : variant_(std::forward<T>(variant)) {}

  const Variant& variant() const noexcept { return variant_; }
  template <class T>
  const T* get_if() const noexcept {
    return std::get_if<T>(&variant_);
  }

  void display_to(std::string& out) const;
  std::string to_string() const;

 private:
  Variant variant_;
};

}  // namespace tovrin
