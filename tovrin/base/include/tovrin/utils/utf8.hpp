#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovrin::utf8 {

// Decodes the code point that starts at `pos` and advances `pos` past it. Text in the engine is
// valid UTF-8; a malformed byte is still consumed (as U+FFFD) so that no input can stall a loop.
char32_t decode_next(std::string_view text, std::size_t& pos) noexcept;

// Appends the UTF-8 encoding of a Unicode scalar value.
void append(std::string& out, char32_t code_point);

// The number of Unicode scalar values in valid UTF-8 text.
std::size_t count_scalars(std::string_view text) noexcept;

// Decodes the char starting at `offset` of text known to be valid UTF-8.
inline char32_t decode_valid_at(std::string_view text, std::size_t offset) noexcept {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[offset + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return lead;
  if (lead < 0xE0) return (char32_t{lead & 0x1Fu} << 6) | (byte(1) & 0x3Fu);
  if (lead < 0xF0) {
    return (char32_t{lead & 0x0Fu} << 12) | (char32_t{byte(1) & 0x3Fu} << 6) | (byte(2) & 0x3Fu);
  }
  return (char32_t{lead & 0x07u} << 18) | (char32_t{byte(1) & 0x3Fu} << 12) |
         (char32_t{byte(2) & 0x3Fu} << 6) | (byte(3) & 0x3Fu);
}

// The number of bytes that encode a Unicode scalar value.
inline std::size_t encoded_length(char32_t c) noexcept {
  if (c < 0x80) return 1;
  if (c < 0x800) return 2;
  if (c < 0x10000) return 3;
  return 4;
}

// The first place where bytes stop being UTF-8: its index and the length of the longest prefix
// of a well-formed sequence found there (1 to 3), or a length of 0 when a sequence is cut off
// by the end of the bytes.
struct Malformed {
  std::size_t index;
  std::size_t length;
};
std::optional<Malformed> find_malformed(std::string_view bytes) noexcept;

inline bool is_valid(std::string_view bytes) noexcept {
  return !find_malformed(bytes);
}

}  // namespace tovrin::utf8
