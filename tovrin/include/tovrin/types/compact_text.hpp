#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "tovrin/utils/text_hash.hpp"

namespace tovrin {

// Owned UTF-8 text in 16 bytes, for the names a tree keeps (called functions, accessor
// segments): up to 15 bytes inline, which covers nearly every name, longer texts on the heap.
// Half the size of a std::string, so that the nodes holding names stay small.
class CompactText {
 public:
  CompactText() noexcept { set_inline_size(0); }
  CompactText(std::string_view text) { assign(text); }
  CompactText(const std::string& text) : CompactText(std::string_view(text)) {}
  CompactText(const char* text) : CompactText(std::string_view(text)) {}
  CompactText(const CompactText& other) : CompactText(other.view()) {}
  CompactText(CompactText&& other) noexcept {
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.set_inline_size(0);
  }
  CompactText& operator=(const CompactText& other) {
    if (this != &other) *this = CompactText(other);
    return *this;
  }
  CompactText& operator=(CompactText&& other) noexcept {
    if (this != &other) {
      release();
      std::memcpy(bytes_, other.bytes_, sizeof bytes_);
      other.set_inline_size(0);
    }
    return *this;
  }
  ~CompactText() { release(); }

  std::string_view view() const noexcept {
    if (is_inline()) return std::string_view(bytes_, inline_size());
    return std::string_view(heap_data(), heap_size());
  }
  operator std::string_view() const noexcept { return view(); }
  std::string str() const { return std::string(view()); }
  const char* data() const noexcept { return view().data(); }
  std::size_t size() const noexcept { return view().size(); }
  bool empty() const noexcept { return size() == 0; }
  char operator[](std::size_t i) const noexcept { return data()[i]; }

  friend bool operator==(const CompactText& a, const CompactText& b) noexcept {
    return a.view() == b.view();
  }
  // Any other text: a std::string, a std::string_view or a literal.
  template <class T>
  requires(std::is_convertible_v<const T&, std::string_view> &&
           !std::is_same_v<T, CompactText>) friend bool
  operator==(const CompactText& a, const T& b) noexcept {
    return a.view() == std::string_view(b);
  }

 private:
  // Inline: the text in the first 15 bytes and its size in the last. On the heap: the pointer
  // in the first 8 bytes and the size in the next 8, whose last byte (the last of the object)
  // holds kOnHeap; sizes stay below 2^56.
  static constexpr std::size_t kInlineCapacity = 15;
  static constexpr unsigned char kOnHeap = 0x80;
  static constexpr std::uint64_t kSizeMask = (std::uint64_t{1} << 56) - 1;

  bool is_inline() const noexcept { return tag() != kOnHeap; }
  unsigned char tag() const noexcept { return static_cast<unsigned char>(bytes_[15]); }
  std::size_t inline_size() const noexcept { return tag(); }
  void set_inline_size(std::size_t size) noexcept { bytes_[15] = static_cast<char>(size); }
  const char* heap_data() const noexcept { return text_detail::load<const char*>(bytes_); }
  std::size_t heap_size() const noexcept {
    return static_cast<std::size_t>(text_detail::load<std::uint64_t>(bytes_ + 8) & kSizeMask);
  }

  void assign(std::string_view text) {
    if (text.size() <= kInlineCapacity) {
      std::memcpy(bytes_, text.data(), text.size());
      set_inline_size(text.size());
      return;
    }
    char* data = new char[text.size()];
    std::memcpy(data, text.data(), text.size());
    const std::uint64_t word =
        static_cast<std::uint64_t>(text.size()) | (static_cast<std::uint64_t>(kOnHeap) << 56);
    std::memcpy(bytes_, &data, sizeof data);
    std::memcpy(bytes_ + 8, &word, sizeof word);
  }
  void release() noexcept {
    if (!is_inline()) delete[] const_cast<char*>(heap_data());
  }

  alignas(8) char bytes_[16];
};

std::ostream& operator<<(std::ostream& out, const CompactText& text);

}  // namespace tovrin
