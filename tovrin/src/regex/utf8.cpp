#include "regex/utf8.hpp"

namespace tovrin::regex {

bool is_valid_utf8(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto cont = [&](std::size_t k) {
    return k < n && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80;
  };
  while (i < n) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      ++i;
    } else if (b >= 0xC2 && b <= 0xDF) {
      if (!cont(i + 1)) return false;
      i += 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      if (!cont(i + 1) || !cont(i + 2)) return false;
      unsigned char b1 = static_cast<unsigned char>(text[i + 1]);
      if (b == 0xE0 && b1 < 0xA0) return false;   // overlong
      if (b == 0xED && b1 >= 0xA0) return false;  // surrogate
      i += 3;
    } else if (b >= 0xF0 && b <= 0xF4) {
      if (!cont(i + 1) || !cont(i + 2) || !cont(i + 3)) return false;
      unsigned char b1 = static_cast<unsigned char>(text[i + 1]);
      if (b == 0xF0 && b1 < 0x90) return false;   // overlong
      if (b == 0xF4 && b1 >= 0x90) return false;  // above U+10FFFF
      i += 4;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace tovrin::regex
