#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tovrin {

// Accessor indexes are unsigned 32-bit words, so 4294967295 is the largest index.
using Index = std::uint32_t;

// One accessor segment: a key looked up in an object, then optionally an array index.
struct VarName {
  std::string name;
  std::optional<Index> index;

  // The segment as path texts show it: the name unquoted, then "[i]" when there is an index.
  void text_to(std::string& out) const;

  friend bool operator==(const VarName& a, const VarName& b) noexcept {
    return a.name == b.name && a.index == b.index;
  }
};

// A variable accessor: a non-empty, immutable list of segments.
class VarAccess {
 public:
  // An empty list is an internal failure: the accessor parser always supplies a segment.
  explicit VarAccess(std::vector<VarName> names);

  const std::vector<VarName>& names() const noexcept { return names_; }

  // The path text that names the value reached after `count` segments, for error messages:
  // "<root>" when nothing was passed and there is no root, else the root and/or the first
  // `count` segments joined with ".".
  static std::string resolve_name_until(std::span<const VarName> names, const VarName* root,
                                        std::size_t count);

  // Feeds the hashed fields in order: the segment count, then per segment the name's bytes, the
  // byte 0xff, an index-presence word and, when present, the index. `Hasher` offers
  // write_word(std::uint32_t), write_bytes(std::string_view) and write_byte(std::uint8_t).
  template <class Hasher>
  void feed_hash(Hasher& hasher) const {
    hasher.write_word(static_cast<std::uint32_t>(names_.size()));
    for (const auto& segment : names_) {
      hasher.write_bytes(segment.name);
      hasher.write_byte(0xff);
      hasher.write_word(segment.index ? 1u : 0u);
      if (segment.index) hasher.write_word(*segment.index);
    }
  }

  friend bool operator==(const VarAccess& a, const VarAccess& b) noexcept {
    return a.names_ == b.names_;
  }

 private:
  std::vector<VarName> names_;
};

}  // namespace tovrin
