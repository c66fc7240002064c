// The built-ins base64Encode and base64Decode: the standard alphabet with "=" padding, and a
// strict decoder that admits exactly one encoded text per byte sequence.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "functions/arguments.hpp"
#include "tovrin/utils/utf8.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::functions {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kNotASymbol = 0xFF;
constexpr char kPad = '=';
// Encoding and decoding spend their work this many bytes of input at a time.
constexpr std::size_t kSliceBytes = 16384;

constexpr std::array<std::uint8_t, 256> kSymbolValue = [] {
  std::array<std::uint8_t, 256> values{};
  values.fill(kNotASymbol);
  for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
    values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
  }
  return values;
}();

std::uint8_t symbol_value(char byte) {
  return kSymbolValue[static_cast<unsigned char>(byte)];
}
bool is_symbol(char byte) {
  return symbol_value(byte) != kNotASymbol;
}

// "Invalid symbol {}, offset {}." or, with `last`, "Invalid last symbol {}, offset {}.".
std::string invalid_symbol(unsigned char byte, std::size_t offset, bool last = false) {
  return std::string(last ? "Invalid last symbol " : "Invalid symbol ") + std::to_string(byte) +
         ", offset " + std::to_string(offset) + ".";
}

std::string encode(std::string_view bytes) {
  std::string out((bytes.size() + 2) / 3 * 4, '\0');
  char* write = out.data();
  WorkBudget& budget = WorkBudget::current();
  std::size_t slice_end = 0;
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    if (i >= slice_end) {
      budget.spend_bytes(kSliceBytes);
      slice_end = i + kSliceBytes;
    }
    const std::uint32_t group =
        static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
        static_cast<unsigned char>(bytes[i + 2]);
    *write++ = kAlphabet[group >> 18];
    *write++ = kAlphabet[(group >> 12) & 0x3F];
    *write++ = kAlphabet[(group >> 6) & 0x3F];
    *write++ = kAlphabet[group & 0x3F];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest == 0) return out;
  std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
  if (rest == 2) group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
  *write++ = kAlphabet[group >> 18];
  *write++ = kAlphabet[(group >> 12) & 0x3F];
  *write++ = rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : kPad;
  *write = kPad;
  return out;
}

// Decodes `text` into `out` (already sized for 3 bytes per started group of 4) and shrinks `out`
// to the bytes written; returns the failure text of the first check that fails. The checks run in
// a fixed order: a stray last byte of a length 4k+1 text, the symbols of the body, the symbols
// and padding of the final group, the length, the padding, and the unused bits of the last
// symbol.
std::optional<std::string> decode(std::string_view text, std::string& out) {
  const std::size_t length = text.size();
  const std::size_t remainder = length % 4;
  if (remainder == 1 && !is_symbol(text.back()) && text.back() != kPad) {
    return invalid_symbol(static_cast<unsigned char>(text.back()), length - 1);
  }
  const std::size_t final_start =
      length - (remainder == 0 ? std::min<std::size_t>(length, 4) : remainder);

  char* write = out.data();
  WorkBudget& budget = WorkBudget::current();
  std::size_t slice_end = 0;
  for (std::size_t i = 0; i < final_start; i += 4) {
    if (i >= slice_end) {
      budget.spend_bytes(kSliceBytes);
      slice_end = i + kSliceBytes;
    }
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const std::uint8_t value = symbol_value(text[i + k]);
      if (value == kNotASymbol) {
        return invalid_symbol(static_cast<unsigned char>(text[i + k]), i + k);
      }
      group = group << 6 | value;
    }
    *write++ = static_cast<char>(group >> 16);
    *write++ = static_cast<char>(group >> 8);
    *write++ = static_cast<char>(group);
  }

  std::size_t symbols = 0;
  std::optional<std::size_t> first_pad;
  std::uint32_t group = 0;
  for (std::size_t k = 0; final_start + k < length; ++k) {
    const std::size_t offset = final_start + k;
    const char byte = text[offset];
    if (byte == kPad) {
      if (k < 2) return invalid_symbol(kPad, offset);
      if (!first_pad) first_pad = offset;
    } else if (first_pad) {
      return invalid_symbol(kPad, *first_pad);
    } else if (!is_symbol(byte)) {
      return invalid_symbol(static_cast<unsigned char>(byte), offset);
    } else {
      group = group << 6 | symbol_value(byte);
      ++symbols;
    }
  }
  if (remainder == 1) return "Invalid input length: " + std::to_string(length);
  if (remainder != 0) return std::string("Invalid padding");

  // Two symbols carry one byte and three carry two; the bits left over must be zero.
  if ((symbols == 2 && (group & 0x0F) != 0) || (symbols == 3 && (group & 0x03) != 0)) {
    const std::size_t last = final_start + symbols - 1;
    return invalid_symbol(static_cast<unsigned char>(text[last]), last, true);
  }
  if (symbols == 4) {
    *write++ = static_cast<char>(group >> 16);
    *write++ = static_cast<char>(group >> 8);
    *write++ = static_cast<char>(group);
  } else if (symbols == 3) {
    *write++ = static_cast<char>(group >> 10);
    *write++ = static_cast<char>(group >> 2);
  } else if (symbols == 2) {
    *write++ = static_cast<char>(group >> 4);
  }
  out.resize(static_cast<std::size_t>(write - out.data()));
  return std::nullopt;
}

// The failure text for bytes that are not UTF-8.
std::optional<std::string> utf8_error(std::string_view bytes) {
  const auto malformed = utf8::find_malformed(bytes);
  if (!malformed) return std::nullopt;
  const std::string index = std::to_string(malformed->index);
  if (malformed->length == 0) return "incomplete utf-8 byte sequence from index " + index;
  return "invalid utf-8 sequence of " + std::to_string(malformed->length) + " bytes from index " +
         index;
}

}  // namespace

BuiltinResult base64_encode(Args args) {
  auto text = single_string_argument(args);
  if (!text) return Err{std::move(text).error()};
  return Value::owned_string(encode(*text));
}

BuiltinResult base64_decode(Args args) {
  auto text = single_string_argument(args);
  if (!text) return Err{std::move(text).error()};
  std::string bytes((text->size() + 3) / 4 * 3, '\0');
  if (auto failure = decode(*text, bytes)) {
    return Err{EvalError::ValueError{"Invalid base64 string: '" + *failure + "'"}};
  }
  if (auto failure = utf8_error(bytes)) {
    return Err{EvalError::ValueError{"Decoded bytes are not valid UTF-8: '" + *failure + "'"}};
  }
  return Value::owned_string(std::move(bytes));
}

}  // namespace tovrin::functions
