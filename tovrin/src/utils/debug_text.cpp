#include "tovrin/utils/debug_text.hpp"

#include <unicode/uchar.h>

#include <cmath>

#include "tovrin/utils/shortest_digits.hpp"
#include "tovrin/utils/utf8.hpp"

namespace tovrin {

void append_debug_float(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return;
  }
  if (value == 0.0) {
    out += std::signbit(value) ? "-0.0" : "0.0";
    return;
  }
  if (value < 0) out += '-';
  const auto [digits, e] = shortest_digits(value);
  const int n = static_cast<int>(digits.size());
  const double magnitude = std::fabs(value);
  if (magnitude >= 1e-4 && magnitude < 1e16) {
    if (e <= 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-e), '0');
      out += digits;
    } else if (e < n) {
      out.append(digits, 0, static_cast<std::size_t>(e));
      out += '.';
      out.append(digits, static_cast<std::size_t>(e));
    } else {
      out += digits;
      out.append(static_cast<std::size_t>(e - n), '0');
      out += ".0";
    }
    return;
  }
  out += digits[0];
  if (n > 1) {
    out += '.';
    out.append(digits, 1);
  }
  out += 'e';
  out += std::to_string(e - 1);
}

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
