#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace tovrin {

// UTF-8 text that either borrows bytes living elsewhere (the expression text, a bound host value)
// or owns its buffer. No operation of the language can tell the two apart: comparisons and
// renderings only see the bytes. Copying keeps a borrow a borrow and duplicates an owned buffer.
//
// A tagged union rather than a std::variant: texts move on every step of an evaluation, and a
// move written out here inlines where the variant's goes through a table of functions.
class Text {
 public:
  Text() noexcept : owned_() {}
  static Text borrowed(std::string_view bytes) noexcept { return Text(bytes); }
  static Text owned(std::string bytes) noexcept { return Text(std::move(bytes)); }

  Text(const Text& other) : is_borrowed_(other.is_borrowed_) {
    if (is_borrowed_) {
      std::construct_at(&borrowed_, other.borrowed_);
    } else {
      std::construct_at(&owned_, other.owned_);
    }
  }
  Text(Text&& other) noexcept : is_borrowed_(other.is_borrowed_) {
    if (is_borrowed_) {
      std::construct_at(&borrowed_, other.borrowed_);
    } else {
      std::construct_at(&owned_, std::move(other.owned_));
    }
  }
  Text& operator=(const Text& other) {
    if (this != &other) *this = Text(other);
    return *this;
  }
  Text& operator=(Text&& other) noexcept {
    if (this == &other) return *this;
    if (!is_borrowed_ && !other.is_borrowed_) {
      owned_ = std::move(other.owned_);
      return *this;
    }
    destroy();
    is_borrowed_ = other.is_borrowed_;
    if (is_borrowed_) {
      std::construct_at(&borrowed_, other.borrowed_);
    } else {
      std::construct_at(&owned_, std::move(other.owned_));
    }
    return *this;
  }
  ~Text() { destroy(); }

  std::string_view view() const noexcept {
    return is_borrowed_ ? borrowed_ : std::string_view(owned_);
  }
  bool is_borrowed() const noexcept { return is_borrowed_; }

  // Copies borrowed bytes into a buffer of its own; an owned buffer stays as it is.
  void make_owned() {
    if (!is_borrowed_) return;
    std::string copy(borrowed_);
    std::construct_at(&owned_, std::move(copy));
    is_borrowed_ = false;
  }
  // The bytes as an owned string, moving the buffer out when this text owns one.
  std::string into_string() && {
    if (!is_borrowed_) return std::move(owned_);
    return std::string(borrowed_);
  }

  friend bool operator==(const Text& a, const Text& b) noexcept { return a.view() == b.view(); }

 private:
  explicit Text(std::string_view bytes) noexcept : borrowed_(bytes), is_borrowed_(true) {}
  explicit Text(std::string&& bytes) noexcept : owned_(std::move(bytes)) {}

  void destroy() noexcept {
    if (!is_borrowed_) std::destroy_at(&owned_);
  }

  union {
    std::string_view borrowed_;
    std::string owned_;
  };
  bool is_borrowed_ = false;
};

}  // namespace tovrin
