#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace tovrin {

// UTF-8 text that either borrows bytes living elsewhere (the expression text, a bound host value)
// or owns its buffer. No operation of the language can tell the two apart: comparisons and
// renderings only see the bytes. Copying keeps a borrow a borrow and duplicates an owned buffer.
class Text {
 public:
  Text() = default;
  static Text borrowed(std::string_view bytes) { return Text(bytes); }
  static Text owned(std::string bytes) { return Text(std::move(bytes)); }

  std::string_view view() const noexcept {
    if (const auto* borrowed = std::get_if<std::string_view>(&storage_)) return *borrowed;
    return *std::get_if<std::string>(&storage_);
  }
  bool is_borrowed() const noexcept { return storage_.index() == 0; }

  // Copies borrowed bytes into a buffer of its own; an owned buffer stays as it is.
  void make_owned() {
    if (const auto* borrowed = std::get_if<std::string_view>(&storage_)) {
      storage_ = std::string(*borrowed);
    }
  }
  // The bytes as an owned string, moving the buffer out when this text owns one.
  std::string into_string() && {
    if (auto* owned = std::get_if<std::string>(&storage_)) return std::move(*owned);
    return std::string(view());
  }

  friend bool operator==(const Text& a, const Text& b) noexcept { return a.view() == b.view(); }

 private:
  explicit Text(std::string_view bytes) : storage_(bytes) {}
  explicit Text(std::string bytes) : storage_(std::move(bytes)) {}

  std::variant<std::string_view, std::string> storage_{std::in_place_type<std::string>};
};

}  // namespace tovrin
