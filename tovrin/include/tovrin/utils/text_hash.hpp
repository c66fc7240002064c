#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tovrin {

namespace text_detail {

// A word of unaligned text bytes.
template <class Word>
Word load(const char* bytes) noexcept {
  Word word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

}  // namespace text_detail

// A transparent hash for maps keyed by std::string, so that lookups by std::string_view need no
// temporary string. Pair it with TextEqual.
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
    return text_detail::load<Word>(bytes);
  }
  static std::uint64_t mix(std::uint64_t hash, std::uint64_t word) noexcept {
    hash = (hash ^ word) * kMultiplier;
    return hash ^ (hash >> 29);
  }
};

// A transparent byte-wise equality for the same maps. Keys are short, so they are compared a word
// at a time inline instead of through a call into the library's memcmp.
struct TextEqual {
  using is_transparent = void;

  bool operator()(std::string_view a, std::string_view b) const noexcept {
    std::size_t size = a.size();
    if (size != b.size()) return false;
    using text_detail::load;
    const char* left = a.data();
    const char* right = b.data();
    if (size >= 8) {
      for (; size > 8; left += 8, right += 8, size -= 8) {
        if (load<std::uint64_t>(left) != load<std::uint64_t>(right)) return false;
      }
      // The last word, overlapping the one before when the size is not a multiple of 8.
      return load<std::uint64_t>(left + size - 8) == load<std::uint64_t>(right + size - 8);
    }
    if (size >= 4) {
      return load<std::uint32_t>(left) == load<std::uint32_t>(right) &&
             load<std::uint32_t>(left + size - 4) == load<std::uint32_t>(right + size - 4);
    }
    for (std::size_t i = 0; i < size; ++i) {
      if (left[i] != right[i]) return false;
    }
    return true;
  }
};

}  // namespace tovrin
