#include "tovrin/utils/debug_text.hpp"

#include <unicode/uchar.h>

#include "tovrin/utils/utf8.hpp"

namespace tovrin {

namespace {

bool needs_unicode_escape(char32_t c) {
  if (u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_GRAPHEME_EXTEND)) return true;
  switch (u_charType(static_cast<UChar32>(c))) {
    case U_CONTROL_CHAR:
    case U_FORMAT_CHAR:
    case U_SURROGATE:
    case U_PRIVATE_USE_CHAR:
    case U_UNASSIGNED:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
      return true;
    case U_SPACE_SEPARATOR:
      return c != U' ';
    default:
      return false;
  }
}

void append_unicode_escape(std::string& out, char32_t c) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u{";
  int shift = 20;
  while (shift > 0 && ((c >> shift) & 0xF) == 0)
    shift -= 4;
  for (; shift >= 0; shift -= 4)
    out += kHex[(c >> shift) & 0xF];
  out += '}';
}

}  // namespace

void append_debug_quoted(std::string& out, std::string_view text) {
  out += '"';
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
      out += static_cast<char>(byte);
      ++pos;
      continue;
    }
    const std::size_t start = pos;
    const char32_t c = utf8::decode_next(text, pos);
    switch (c) {
      case U'\0':
        out += "\\0";
        continue;
      case U'\t':
        out += "\\t";
        continue;
      case U'\n':
        out += "\\n";
        continue;
      case U'\r':
        out += "\\r";
        continue;
      case U'"':
        out += "\\\"";
        continue;
      case U'\\':
        out += "\\\\";
        continue;
      default:
        break;
    }
    if (needs_unicode_escape(c)) {
      append_unicode_escape(out, c);
    } else {
      out.append(text, start, pos - start);
    }
  }
  out += '"';
}

}  // namespace tovrin
