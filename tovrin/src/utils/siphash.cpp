#include "tovrin/utils/siphash.hpp"

namespace tovrin {

namespace {

constexpr std::uint64_t rotl(std::uint64_t x, int b) {
  return (x << b) | (x >> (64 - b));
}

void sip_round(std::uint64_t& v0, std::uint64_t& v1, std::uint64_t& v2, std::uint64_t& v3) {
  v0 += v1;
  v1 = rotl(v1, 13);
  v1 ^= v0;
  v0 = rotl(v0, 32);
  v2 += v3;
  v3 = rotl(v3, 16);
  v3 ^= v2;
  v0 += v3;
  v3 = rotl(v3, 21);
  v3 ^= v0;
  v2 += v1;
  v1 = rotl(v1, 17);
  v1 ^= v2;
  v2 = rotl(v2, 32);
}

}  // namespace

SipHasher13::SipHasher13(std::uint64_t key0, std::uint64_t key1) noexcept
    : v0_(key0 ^ 0x736f6d6570736575ULL),
      v1_(key1 ^ 0x646f72616e646f6dULL),
      v2_(key0 ^ 0x6c7967656e657261ULL),
      v3_(key1 ^ 0x7465646279746573ULL) {}

void SipHasher13::compress(std::uint64_t block) noexcept {
  v3_ ^= block;
  sip_round(v0_, v1_, v2_, v3_);
  v0_ ^= block;
}

void SipHasher13::write_byte(std::uint8_t byte) noexcept {
  tail_ |= static_cast<std::uint64_t>(byte) << (8 * tail_length_);
  ++total_length_;
  if (++tail_length_ == 8) {
    compress(tail_);
    tail_ = 0;
    tail_length_ = 0;
  }
}

void SipHasher13::write_bytes(std::string_view bytes) noexcept {
  std::size_t i = 0;
  while (i < bytes.size() && tail_length_ != 0)
    write_byte(static_cast<std::uint8_t>(bytes[i++]));
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t block = 0;
    for (int b = 7; b >= 0; --b) {
      block = (block << 8) | static_cast<std::uint8_t>(bytes[i + static_cast<std::size_t>(b)]);
    }
    compress(block);
    total_length_ += 8;
  }
  for (; i < bytes.size(); ++i)
    write_byte(static_cast<std::uint8_t>(bytes[i]));
}

void SipHasher13::write_word(std::uint32_t word) noexcept {
  for (int shift = 0; shift < 32; shift += 8)
    write_byte(static_cast<std::uint8_t>(word >> shift));
}

std::uint64_t SipHasher13::finish() const noexcept {
  std::uint64_t v0 = v0_, v1 = v1_, v2 = v2_, v3 = v3_;
  const std::uint64_t last = tail_ | (total_length_ << 56);
  v3 ^= last;
  sip_round(v0, v1, v2, v3);
  v0 ^= last;
  v2 ^= 0xff;
  for (int i = 0; i < 3; ++i)
    sip_round(v0, v1, v2, v3);
  return v0 ^ v1 ^ v2 ^ v3;
}

}  // namespace tovrin
