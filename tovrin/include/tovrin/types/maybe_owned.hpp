#pragma once

#include <utility>
#include <variant>

namespace tovrin {

// Either a borrow of a T that lives elsewhere (and must outlive the holder) or a T of its own.
// Reading gives the T either way; copying keeps a borrow a borrow and copies an owned T.
template <class T>
class MaybeOwned {
 public:
  // An owned T made in place from `args`.
  template <class... Args>
  explicit MaybeOwned(std::in_place_t, Args&&... args)
      : storage_(std::in_place_index<1>, std::forward<Args>(args)...) {}

  static MaybeOwned borrowed(const T& value) noexcept { return MaybeOwned(&value); }
  static MaybeOwned owned(T&& value) { return MaybeOwned(std::move(value)); }
  static MaybeOwned owned(const T& value) { return MaybeOwned(T(value)); }

  bool is_borrowed() const noexcept { return storage_.index() == 0; }

  const T& get() const noexcept {
    if (const auto* borrowed = std::get_if<0>(&storage_)) return **borrowed;
    return *std::get_if<1>(&storage_);
  }
  const T& operator*() const noexcept { return get(); }
  const T* operator->() const noexcept { return &get(); }

  // The owned T, for changing it in place; null for a borrow.
  T* owned_ptr() noexcept { return std::get_if<1>(&storage_); }

  // An owned T: the held one moved out, or a copy of the borrowed one.
  T into_owned() && {
    if (auto* owned = std::get_if<1>(&storage_)) return std::move(*owned);
    return **std::get_if<0>(&storage_);
  }

 private:
  explicit MaybeOwned(const T* borrowed) noexcept : storage_(std::in_place_index<0>, borrowed) {}
  explicit MaybeOwned(T&& owned) : storage_(std::in_place_index<1>, std::move(owned)) {}

  std::variant<const T*, T> storage_;
};

}  // namespace tovrin
