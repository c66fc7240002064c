#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tovrin {

// Streaming SipHash-1-3 (one compression round per block, three finalisation rounds) with a
// 128-bit key. Bytes written in several pieces hash exactly like the same bytes written at once.
class SipHasher13 {
 public:
  explicit SipHasher13(std::uint64_t key0 = 0, std::uint64_t key1 = 0) noexcept;

  void write_bytes(std::string_view bytes) noexcept;
  void write_byte(std::uint8_t byte) noexcept;
  // A 32-bit word in little-endian byte order, so hashes agree across platforms.
  void write_word(std::uint32_t word) noexcept;

  std::uint64_t finish() const noexcept;

 private:
  void compress(std::uint64_t block) noexcept;

  std::uint64_t v0_, v1_, v2_, v3_;
  std::uint64_t tail_ = 0;       // bytes not yet forming a full block, little-endian
  std::size_t tail_length_ = 0;  // 0 to 7
  std::uint64_t total_length_ = 0;
};

}  // namespace tovrin
