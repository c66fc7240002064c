#include "tovrin/utils/utf8.hpp"

namespace tovrin::utf8 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool is_continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

char32_t decode_next(std::string_view text, std::size_t& pos) noexcept {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  std::size_t length;
  char32_t code_point;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    code_point = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    code_point = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    code_point = lead & 0x07;
  } else {
    ++pos;
    return kReplacement;
  }
  if (pos + length > text.size()) {
    ++pos;
    return kReplacement;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[pos + i]);
    if (!is_continuation(byte)) {
      ++pos;
      return kReplacement;
    }
    code_point = (code_point << 6) | (byte & 0x3F);
  }
  pos += length;
  return code_point;
}

void append(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

std::size_t count_scalars(std::string_view text) noexcept {
  std::size_t count = 0;
  for (unsigned char byte : text) {
    count += !is_continuation(byte);
  }
  return count;
}

std::optional<Malformed> find_malformed(std::string_view bytes) noexcept {
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while (i < size) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t width;
    unsigned char second_low = 0x80;
    unsigned char second_high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      width = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      width = 3;
      if (lead == 0xE0) second_low = 0xA0;   // overlong
      if (lead == 0xED) second_high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      width = 4;
      if (lead == 0xF0) second_low = 0x90;   // overlong
      if (lead == 0xF4) second_high = 0x8F;  // above U+10FFFF
    } else {
      return Malformed{i, 1};
    }
    for (std::size_t k = 1; k < width; ++k) {
      if (i + k >= size) return Malformed{i, 0};
      const auto byte = static_cast<unsigned char>(bytes[i + k]);
      const bool fits = k == 1 ? byte >= second_low && byte <= second_high : is_continuation(byte);
      if (!fits) return Malformed{i, k};
    }
    i += width;
  }
  return std::nullopt;
}

}  // namespace tovrin::utf8
