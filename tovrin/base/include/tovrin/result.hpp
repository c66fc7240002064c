#pragma once

#include <type_traits>
#include <utility>
#include <variant>

namespace tovrin {

// The error side of a Result, so that `return Err{e};` reads like the success case.
template <class E>
struct Err {
  E error;
};
template <class E>
Err(E) -> Err<E>;

// A value or an error. Errors travel up the call chain as values; nothing in the engine throws
// for bad input.
template <class T, class E>
class [[nodiscard]] Result {
 public:
  Result(T value) : storage_(std::in_place_index<0>, std::move(value)) {}
  template <class U>
  Result(Err<U> err) requires std::is_constructible_v<E, U&&>
      : storage_(std::in_place_index<1>, std::move(err.error)) {}

  bool has_value() const noexcept { return storage_.index() == 0; }
  explicit operator bool() const noexcept { return has_value(); }

  T& value() & { return *std::get_if<0>(&storage_); }
  const T& value() const& { return *std::get_if<0>(&storage_); }
  T&& value() && { return std::move(*std::get_if<0>(&storage_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*std::get_if<0>(&storage_)); }
  T* operator->() { return std::get_if<0>(&storage_); }
  const T* operator->() const { return std::get_if<0>(&storage_); }

  E& error() & { return *std::get_if<1>(&storage_); }
  const E& error() const& { return *std::get_if<1>(&storage_); }
  E&& error() && { return std::move(*std::get_if<1>(&storage_)); }

 private:
  std::variant<T, E> storage_;
};

// A Result that carries no value on success.
struct Ok {};

template <class E>
using Status = Result<Ok, E>;

}  // namespace tovrin
