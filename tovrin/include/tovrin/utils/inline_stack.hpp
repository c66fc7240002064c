#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

namespace tovrin {

// A stack whose first N entries live inside the object itself, so that the usual small uses (the
// interpreter's stacks for a small expression, the walks over a few levels of nested values)
// allocate nothing; beyond that it grows on the heap like a vector. Entries must be
// nothrow-movable.
template <class T, std::size_t N>
class InlineStack {
  static_assert(std::is_nothrow_move_constructible_v<T>);

 public:
  InlineStack() noexcept = default;
  InlineStack(const InlineStack&) = delete;
  InlineStack& operator=(const InlineStack&) = delete;
  ~InlineStack() {
    clear();
    if (!is_inline()) std::allocator<T>().deallocate(data_, capacity_);
  }

  bool empty() const noexcept { return size_ == 0; }
  std::size_t size() const noexcept { return size_; }

  template <class... Args>
  T& emplace(Args&&... args) {
    if (size_ == capacity_) grow();
    T* slot = std::construct_at(data_ + size_, std::forward<Args>(args)...);
    ++size_;
    return *slot;
  }
  void push(T value) { emplace(std::move(value)); }

  T& top() noexcept { return data_[size_ - 1]; }
  T pop() noexcept {
    T value = std::move(data_[size_ - 1]);
    std::destroy_at(data_ + --size_);
    return value;
  }
  // Removes the top `count` entries.
  void drop(std::size_t count) noexcept {
    std::destroy(data_ + size_ - count, data_ + size_);
    size_ -= count;
  }
  void clear() noexcept { drop(size_); }

  // The top `count` entries, the deepest first.
  std::span<T> top_entries(std::size_t count) noexcept {
    return std::span<T>(data_ + size_ - count, count);
  }

 private:
  bool is_inline() const noexcept { return data_ == inline_data(); }
  T* inline_data() const noexcept {
    return std::launder(reinterpret_cast<T*>(const_cast<std::byte*>(inline_)));
  }

  void grow() {
    std::allocator<T> allocator;
    const std::size_t capacity = capacity_ * 2;
    T* fresh = allocator.allocate(capacity);
    std::uninitialized_move(data_, data_ + size_, fresh);
    std::destroy(data_, data_ + size_);
    if (!is_inline()) allocator.deallocate(data_, capacity_);
    data_ = fresh;
    capacity_ = capacity;
  }

  alignas(T) std::byte inline_[N * sizeof(T)];
  T* data_ = inline_data();
  std::size_t capacity_ = N;
  std::size_t size_ = 0;
};

}  // namespace tovrin
