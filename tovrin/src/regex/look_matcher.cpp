#include "look_matcher.hpp"

#include "unicode_sets.hpp"

namespace tovrin::regex {

namespace {

constexpr char32_t kNone = Surroundings::kNone;

bool word_ascii(char32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

}  // namespace

bool is_ascii_word_char(char32_t c) {
  return word_ascii(c);
}

bool is_unicode_word_char(char32_t c) {
  if (c < 0x80) return word_ascii(c);
  return c != kNone && perl_word_set().contains(c);
}

bool look_holds(Look look, const Surroundings& at) {
  const char32_t l = at.left;
  const char32_t r = at.right;
  switch (look) {
    case Look::Start:
      return l == kNone;
    case Look::End:
      return r == kNone;
    case Look::StartLF:
      return l == kNone || l == '\n';
    case Look::EndLF:
      return r == kNone || r == '\n';
    case Look::StartCRLF:
      return l == kNone || l == '\n' || (l == '\r' && r != '\n');
    case Look::EndCRLF:
      return r == kNone || r == '\r' || (r == '\n' && l != '\r');
    case Look::WordAscii:
      return word_ascii(l) != word_ascii(r);
    case Look::WordAsciiNegate:
      return word_ascii(l) == word_ascii(r);
    case Look::WordUnicode:
      return is_unicode_word_char(l) != is_unicode_word_char(r);
    case Look::WordUnicodeNegate:
      return is_unicode_word_char(l) == is_unicode_word_char(r);
    case Look::WordStartAscii:
      return !word_ascii(l) && word_ascii(r);
    case Look::WordEndAscii:
      return word_ascii(l) && !word_ascii(r);
    case Look::WordStartUnicode:
      return !is_unicode_word_char(l) && is_unicode_word_char(r);
    case Look::WordEndUnicode:
      return is_unicode_word_char(l) && !is_unicode_word_char(r);
    case Look::WordStartHalfAscii:
      return !word_ascii(l);
    case Look::WordEndHalfAscii:
      return !word_ascii(r);
    case Look::WordStartHalfUnicode:
      return !is_unicode_word_char(l);
    case Look::WordEndHalfUnicode:
      return !is_unicode_word_char(r);
  }
  return false;
}

}  // namespace tovrin::regex
