#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "tovrin/utils/text_hash.hpp"

namespace tovrin {

// UTF-8 text that either borrows bytes living elsewhere (the expression text, a bound host value)
// or owns them. No operation of the language can tell the two apart: comparisons and renderings
// only see the bytes. Copying keeps a borrow a borrow and duplicates owned bytes.
//
// 24 bytes, so that a Value takes 32. Owned texts of up to 23 bytes (most keys, names, split
// pieces and small results) are kept inline without an allocation; a longer one is a std::string
// on the heap, so that an owned std::string becomes a text, and a text a std::string, without
// copying its bytes. Texts move on every step of an evaluation, and a move is a copy of the 24
// bytes.
class Text {
 public:
  Text() noexcept { set_inline_size(0); }
  static Text borrowed(std::string_view bytes) noexcept {
    Text text;
    text.set_reference(bytes.data(), bytes.size(), kBorrowed);
    return text;
  }
  // A text owning a copy of `bytes`.
  static Text copied(std::string_view bytes) {
    Text text;
    text.copy_in(bytes);
    return text;
  }
  // A text owning `bytes`: a long one keeps the string's buffer.
  static Text owned(std::string bytes) {
    if (bytes.size() <= kInlineCapacity) return copied(bytes);
    Text text;
    text.set_holder(new std::string(std::move(bytes)));
    return text;
  }

  Text(const Text& other) {
    if (other.tag() == kOnHeap) {
      copy_in(other.view());
    } else {
      std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    }
  }
  Text(Text&& other) noexcept {
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.set_inline_size(0);
  }
  Text& operator=(const Text& other) {
    if (this != &other) *this = Text(other);
    return *this;
  }
  Text& operator=(Text&& other) noexcept {
    if (this != &other) {
      release();
      std::memcpy(bytes_, other.bytes_, sizeof bytes_);
      other.set_inline_size(0);
    }
    return *this;
  }
  ~Text() { release(); }

  std::string_view view() const noexcept {
    if (tag() <= kInlineCapacity) return std::string_view(bytes_, tag());
    if (tag() == kBorrowed) return std::string_view(reference_data(), reference_size());
    return *holder();
  }
  bool is_borrowed() const noexcept { return tag() == kBorrowed; }
  // Whether releasing this text frees memory: only owned texts too long to be inline.
  bool owns_heap() const noexcept { return tag() == kOnHeap; }

  // Copies borrowed bytes into bytes of its own; owned bytes stay as they are.
  void make_owned() {
    if (is_borrowed()) copy_in(view());
  }
  // The bytes as a std::string, moved out of a long owned text.
  std::string into_string() && {
    if (owns_heap()) return std::move(*holder());
    return std::string(view());
  }

  friend bool operator==(const Text& a, const Text& b) noexcept { return a.view() == b.view(); }

 private:
  // Inline: the bytes first and their count in the last byte. Borrowed: the data pointer and the
  // size in the first 16 bytes and kBorrowed in the last. On the heap: the string's address in
  // the first 8 bytes and kOnHeap in the last.
  static constexpr std::size_t kInlineCapacity = 23;
  static constexpr unsigned char kOnHeap = 0x80;
  static constexpr unsigned char kBorrowed = 0x81;

  unsigned char tag() const noexcept { return static_cast<unsigned char>(bytes_[23]); }
  void set_inline_size(std::size_t size) noexcept { bytes_[23] = static_cast<char>(size); }
  const char* reference_data() const noexcept { return text_detail::load<const char*>(bytes_); }
  std::size_t reference_size() const noexcept { return text_detail::load<std::size_t>(bytes_ + 8); }
  void set_reference(const char* data, std::size_t size, unsigned char tag) noexcept {
    std::memcpy(bytes_, &data, sizeof data);
    std::memcpy(bytes_ + 8, &size, sizeof size);
    bytes_[23] = static_cast<char>(tag);
  }
  std::string* holder() const noexcept { return text_detail::load<std::string*>(bytes_); }
  void set_holder(std::string* string) noexcept {
    std::memcpy(bytes_, &string, sizeof string);
    bytes_[23] = static_cast<char>(kOnHeap);
  }

  // Makes this text own a copy of `bytes` (which may be the bytes this text borrows); a string
  // it held is not released.
  void copy_in(std::string_view bytes) {
    if (bytes.size() <= kInlineCapacity) {
      std::memmove(bytes_, bytes.data(), bytes.size());
      set_inline_size(bytes.size());
      return;
    }
    set_holder(new std::string(bytes));
  }
  void release() noexcept {
    if (owns_heap()) delete holder();
  }

  alignas(8) char bytes_[24];
};

}  // namespace tovrin
