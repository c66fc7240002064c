#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tovrin {

// A transparent hash for maps keyed by std::string, so that lookups by std::string_view need no
// temporary string. Pair it with std::equal_to<>.
//
// Inline and word-at-a-time: the keys hashed on every evaluation (variable names, object keys)
// are short, and a call into the library's byte-wise hash costs more than the hashing itself.
// Every byte reaches the result, and the final mixing spreads every input bit over the low bits
// that tables with a power-of-two size use.
struct TextHash {
  using is_transparent = void;

  std::size_t operator()(std::string_view text) const noexcept {
    const char* bytes = text.data();
    std::size_t size = text.size();
    std::uint64_t hash = (size + 1) * kMultiplier;
    if (size >= 8) {
      for (; size > 8; bytes += 8, size -= 8)
        hash = mix(hash, load<std::uint64_t>(bytes));
      // The last word, overlapping the one before when the size is not a multiple of 8.
      hash = mix(hash, load<std::uint64_t>(bytes + size - 8));
    } else if (size >= 4) {
      const std::uint64_t first = load<std::uint32_t>(bytes);
      const std::uint64_t last = load<std::uint32_t>(bytes + size - 4);
      hash = mix(hash, (first << 32) | last);
    } else if (size > 0) {
      const auto byte = [&](std::size_t i) {
        return static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i]));
      };
      hash = mix(hash, (byte(0) << 16) | (byte(size / 2) << 8) | byte(size - 1));
    }
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    return static_cast<std::size_t>(hash);
  }

 private:
  static constexpr std::uint64_t kMultiplier = 0x9e3779b97f4a7c15ULL;

  template <class Word>
  static std::uint64_t load(const char* bytes) noexcept {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
  }
  static std::uint64_t mix(std::uint64_t hash, std::uint64_t word) noexcept {
    hash = (hash ^ word) * kMultiplier;
    return hash ^ (hash >> 29);
  }
};

}  // namespace tovrin
