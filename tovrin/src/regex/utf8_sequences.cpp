#include "utf8_sequences.hpp"

#include <utility>

#include "tovrin/utils/utf8.hpp"

namespace tovrin::regex {

namespace {

void encode(char32_t c, std::uint8_t* out) {
  std::size_t n = utf8::encoded_length(c);
  if (n == 1) {
    out[0] = static_cast<std::uint8_t>(c);
    return;
  }
  static constexpr std::uint8_t kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (std::size_t i = n - 1; i > 0; --i) {
    out[i] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    c >>= 6;
  }
  out[0] = static_cast<std::uint8_t>(kLead[n] | c);
}

void add_range(char32_t first, char32_t last, std::vector<Utf8Sequence>& out) {
  std::vector<std::pair<char32_t, char32_t>> stack{{first, last}};
  while (!stack.empty()) {
    auto [lo, hi] = stack.back();
    stack.pop_back();
    for (;;) {
      if (lo < 0xE000 && hi > 0xD7FF) {  // surrogates have no encoding
        stack.push_back({0xE000, hi});
        hi = 0xD7FF;
        continue;
      }
      if (lo > hi) break;
      bool split = false;
      for (char32_t max : {char32_t{0x7F}, char32_t{0x7FF}, char32_t{0xFFFF}}) {
        if (lo <= max && max < hi) {
          stack.push_back({max + 1, hi});
          hi = max;
          split = true;
          break;
        }
      }
      if (split) continue;
      if (hi < 0x80) {
        out.push_back({{{{static_cast<std::uint8_t>(lo), static_cast<std::uint8_t>(hi)}}}, 1});
        break;
      }
      for (int i = 1; i < 4 && !split; ++i) {
        char32_t m = (char32_t{1} << (6 * i)) - 1;
        if ((lo & ~m) == (hi & ~m)) continue;
        if ((lo & m) != 0) {
          stack.push_back({(lo | m) + 1, hi});
          hi = lo | m;
          split = true;
        } else if ((hi & m) != m) {
          stack.push_back({hi & ~m, hi});
          hi = (hi & ~m) - 1;
          split = true;
        }
      }
      if (split) continue;
      std::uint8_t lo_bytes[4];
      std::uint8_t hi_bytes[4];
      encode(lo, lo_bytes);
      encode(hi, hi_bytes);
      Utf8Sequence seq{};
      seq.length = utf8::encoded_length(lo);
      for (std::size_t i = 0; i < seq.length; ++i)
        seq.ranges[i] = {lo_bytes[i], hi_bytes[i]};
      out.push_back(seq);
      break;
    }
  }
}

}  // namespace

std::vector<Utf8Sequence> utf8_sequences(const CodepointSet& set) {
  std::vector<Utf8Sequence> out;
  for (const CodepointRange& r : set.ranges())
    add_range(r.lo, r.hi, out);
  return out;
}

}  // namespace tovrin::regex
