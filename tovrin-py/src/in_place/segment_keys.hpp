#pragma once

#include "capi/ref.hpp"

#include <cstdint>
#include <vector>

#include "tovrin/types/exp.hpp"
#include "tovrin/types/var.hpp"

namespace tovrin::py {

// Python strings for the names of accessor segments, made once, so that reading a variable in
// place looks its keys up in dicts without making a string or hashing one. The strings are
// interned: a dict whose keys are the same strings is searched by pointer comparison alone.
// Holding them needs the interpreter lock.
class SegmentKeys {
 public:
  SegmentKeys() noexcept = default;
  SegmentKeys(SegmentKeys&& other) noexcept = default;
  SegmentKeys& operator=(SegmentKeys&& other) noexcept;
  ~SegmentKeys() { release(); }

  // The keys of every variable of `tree`, which must stay where it is while they are used: they
  // are found by the address of the variable's accessor.
  static SegmentKeys of_tree(const Exp& tree);
  // The keys of one accessor, kept at the same address.
  static SegmentKeys of_accessor(const VarAccess& access);

  // The keys of the segments of `access`, in order, one per segment; null when `access` is not
  // known or a name has no str form (which a name parsed from a str always has).
  PyObject* const* find(const VarAccess& access) const noexcept {
    // Most expressions have a few variables, which are found fastest in turn.
    if (places_.size() <= kScanLimit) {
      for (const Place& place : places_) {
        if (place.access == &access) return keys_.data() + place.first;
      }
      return nullptr;
    }
    return find_among_many(access);
  }

 private:
  // The keys of one accessor: keys_[first] onwards, one per segment.
  struct Place {
    const VarAccess* access;
    std::size_t first;
  };

  static constexpr std::size_t kScanLimit = 8;

  PyObject* const* find_among_many(const VarAccess& access) const noexcept;
  void add(const VarAccess& access);
  void release() noexcept;

  std::vector<Place> places_;    // ordered by address
  std::vector<PyObject*> keys_;  // owned references
};

}  // namespace tovrin::py
