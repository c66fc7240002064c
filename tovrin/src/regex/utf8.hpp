#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovrin::regex {

// Decodes the char starting at `offset` of valid UTF-8 text.
inline char32_t decode_utf8_at(std::string_view text, std::size_t offset) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[offset + i]); };
  unsigned char lead = byte(0);
  if (lead < 0x80) return lead;
  if (lead < 0xE0) return (char32_t{lead & 0x1Fu} << 6) | (byte(1) & 0x3Fu);
  if (lead < 0xF0) {
    return (char32_t{lead & 0x0Fu} << 12) | (char32_t{byte(1) & 0x3Fu} << 6) | (byte(2) & 0x3Fu);
  }
  return (char32_t{lead & 0x07u} << 18) | (char32_t{byte(1) & 0x3Fu} << 12) |
         (char32_t{byte(2) & 0x3Fu} << 6) | (byte(3) & 0x3Fu);
}

inline std::size_t utf8_length(char32_t c) {
  if (c < 0x80) return 1;
  if (c < 0x800) return 2;
  if (c < 0x10000) return 3;
  return 4;
}

bool is_valid_utf8(std::string_view text);

}  // namespace tovrin::regex
