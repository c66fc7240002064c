#pragma once

#include <tsl/ordered_map.h>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <variant>

#include "tovrin/errors.hpp"
#include "tovrin/result.hpp"
#include "tovrin/types/value.hpp"
#include "tovrin/utils/once_built.hpp"
#include "tovrin/utils/text_hash.hpp"

namespace tovrin {

// The argument values of one call in call order. They may borrow text from the expression or
// the bindings; a function's result should own its text.
using FnArgs = std::span<const Value>;
using FnResult = Result<Value, EvalError>;

// Shared, reference-counted callables; copying one shares the function, never copies it.
using SyncFn = std::shared_ptr<const std::function<FnResult(FnArgs)>>;
// The calling form of an asynchronous function: it is handed the arguments and a completion
// callback. The interpreter rejects such functions; nothing in the system makes one.
using AsyncFn = std::shared_ptr<const std::function<void(FnArgs, std::function<void(FnResult)>)>>;

// A registered function.
class FnCallback {
 public:
  struct Sync {
    SyncFn fn;
  };
  struct Async {
    AsyncFn fn;
  };
  using Variant = std::variant<Sync, Async>;

  FnCallback(Sync sync) : variant_(std::move(sync)) {}
  FnCallback(Async async) : variant_(std::move(async)) {}

  template <class F>
  static FnCallback sync(F&& fn) {
    return Sync{std::make_shared<const std::function<FnResult(FnArgs)>>(std::forward<F>(fn))};
  }

  const Variant& variant() const noexcept { return variant_; }
  const Sync* as_sync() const noexcept { return std::get_if<Sync>(&variant_); }
  const Async* as_async() const noexcept { return std::get_if<Async>(&variant_); }

 private:
  Variant variant_;
};

// Function name to callback, looked up by exact bytes. Entries keep their registration order.
using FunctionTable = tsl::ordered_map<std::string, FnCallback, TextHash, TextEqual,
                                       std::allocator<std::pair<std::string, FnCallback>>,
                                       std::vector<std::pair<std::string, FnCallback>>>;

// The fifteen built-in functions, built on first use and shared by every environment that has no
// table of its own.
extern const OnceBuilt<FunctionTable> DEFAULT_VTABLE;

}  // namespace tovrin
