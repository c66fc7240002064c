#include "char_props.hpp"

#include <unicode/uchar.h>

namespace tovrin::regex {

bool is_white_space(char32_t c) {
  if (c < 0x80) return c == ' ' || (c >= '\t' && c <= '\r');
  return u_isUWhiteSpace(static_cast<UChar32>(c));
}

bool is_alphabetic(char32_t c) {
  if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
  return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_ALPHABETIC);
}

bool is_alphanumeric(char32_t c) {
  if (is_alphabetic(c)) return true;
  if (c < 0x80) return c >= '0' && c <= '9';
  return (U_GET_GC_MASK(static_cast<UChar32>(c)) & U_GC_N_MASK) != 0;
}

}  // namespace tovrin::regex
