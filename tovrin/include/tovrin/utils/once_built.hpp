#pragma once

#include <atomic>
#include <mutex>

namespace tovrin {

// A process-wide value built on first use, exactly once: the first thread that asks builds it and
// any other thread asking meanwhile waits. The value is never changed or released afterwards, so
// it stays valid for the rest of the process, also while other static objects are destroyed.
template <class T>
class OnceBuilt {
 public:
  using Builder = T (*)();

  constexpr explicit OnceBuilt(Builder build) noexcept : build_(build) {}
  OnceBuilt(const OnceBuilt&) = delete;
  OnceBuilt& operator=(const OnceBuilt&) = delete;

  const T& get() const {
    if (const T* ready = if_built()) return *ready;
    std::call_once(once_, [this] { value_.store(new T(build_()), std::memory_order_release); });
    return *value_.load(std::memory_order_acquire);
  }
  const T& operator*() const { return get(); }
  const T* operator->() const { return &get(); }

  bool is_built() const noexcept { return if_built() != nullptr; }
  // The value when it is built already, else null; never builds it.
  const T* if_built() const noexcept { return value_.load(std::memory_order_acquire); }

 private:
  Builder build_;
  mutable std::once_flag once_;
  mutable std::atomic<const T*> value_{nullptr};
};

}  // namespace tovrin
