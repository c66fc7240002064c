#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "tovrin/errors.hpp"
#include "tovrin/result.hpp"
#include "tovrin/types/compact_text.hpp"
#include "tovrin/types/json_object.hpp"

namespace tovrin {

template <class T>
class MaybeOwned;
template <JsonObject V>
struct Env;

// Accessor indexes are unsigned 32-bit words, so 4294967295 is the largest index.
using Index = std::uint32_t;

// One accessor segment: a key looked up in an object, then optionally an array index.
struct VarName {
  CompactText name;
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
  // An accessor of the segments moved out of `names`, which must not be empty either.
  static VarAccess from_segments(std::span<VarName> names);
  VarAccess(const VarAccess& other);
  VarAccess& operator=(const VarAccess& other);
  VarAccess(VarAccess&& other) noexcept;
  VarAccess& operator=(VarAccess&& other) noexcept;
  ~VarAccess() { release(); }

  std::span<const VarName> names() const noexcept {
    return std::span<const VarName>(count_ == 1 ? &single_ : many_, count_);
  }

  // The walks over host values; defined in var_walk.hpp. They never copy a host value: results
  // borrow from the value walked or from the environment.
  //
  // Looks every segment up from `value`. With `skip_first` the first segment names `value` itself
  // (its name was already looked up), so only its index, if any, is applied to `value`.
  template <JsonObject V>
  static Result<const V*, VarAccessError> access_names(std::span<const VarName> names,
                                                       const V& value, bool skip_first);
  // The first segment names a variable of `env`; the rest are looked up from its value.
  template <JsonObject V>
  Result<MaybeOwned<V>, VarAccessError> access_from_bindings(const Env<V>& env) const;
  // The walk of `access_names` without a root, handing out the place found so that it can be
  // replaced. A segment's index on a value that is not an array fails without naming the value.
  template <JsonObject V>
  static Result<V*, VarAccessError> access_names_mut(std::span<const VarName> names, V& value);
  // Puts `replacement` in the place this accessor names inside `value`. Every segment must
  // exist already: no key is created and no element appended.
  template <JsonObject V>
  Status<VarAccessError> replace_in(V& value, V replacement) const;

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
    hasher.write_word(static_cast<std::uint32_t>(count_));
    for (const auto& segment : names()) {
      hasher.write_bytes(segment.name);
      hasher.write_byte(0xff);
      hasher.write_word(segment.index ? 1u : 0u);
      if (segment.index) hasher.write_word(*segment.index);
    }
  }

  friend bool operator==(const VarAccess& a, const VarAccess& b) noexcept {
    return std::ranges::equal(a.names(), b.names());
  }

 private:
  struct Moving {};
  VarAccess(Moving, std::span<VarName> names);
  // Takes the segments of `names` (whose count it must have): the one segment of most accessors
  // in place, more in one allocation of exactly their number. They are moved out of a list of
  // VarName and copied from a list of const VarName (another accessor's).
  template <class Segment>
  void take(std::span<Segment> names);
  void release() noexcept;

  union {
    VarName single_;  // when there is one segment
    VarName* many_;   // when there are more, or none (null) after a move
  };
  std::size_t count_ = 0;
};

}  // namespace tovrin
