#include "in_place/segment_keys.hpp"

#include <algorithm>
#include <functional>

#include "capi/text.hpp"
#include "tree_nodes.hpp"

namespace tovrin::py {

SegmentKeys& SegmentKeys::operator=(SegmentKeys&& other) noexcept {
  if (this != &other) {
    release();
    places_ = std::move(other.places_);
    keys_ = std::move(other.keys_);
  }
  return *this;
}

SegmentKeys SegmentKeys::of_tree(const Exp& tree) {
  SegmentKeys keys;
  for_each_node(tree, [&](const Exp& node) {
    if (const auto* variable = node.get_if<Exp::Var>()) keys.add(variable->access);
  });
  std::sort(keys.places_.begin(), keys.places_.end(), [](const Place& a, const Place& b) {
    return std::less<const VarAccess*>()(a.access, b.access);
  });
  // Kept for the expression's life.
  keys.places_.shrink_to_fit();
  keys.keys_.shrink_to_fit();
  return keys;
}

SegmentKeys SegmentKeys::of_accessor(const VarAccess& access) {
  SegmentKeys keys;
  keys.add(access);
  return keys;
}

void SegmentKeys::add(const VarAccess& access) {
  const std::size_t first = keys_.size();
  for (const VarName& segment : access.names()) {
    capi::Ref key = capi::interned_str(segment.name);
    if (!key) {
      // Left unknown: reading it is left to the conversion, which reports what it finds.
      while (keys_.size() > first) {
        Py_DECREF(keys_.back());
        keys_.pop_back();
      }
      return;
    }
    keys_.push_back(nullptr);  // made room for first, so that the reference cannot leak
    keys_.back() = key.release();
  }
  places_.push_back(Place{&access, first});
}

PyObject* const* SegmentKeys::find_among_many(const VarAccess& access) const noexcept {
  const auto place = std::lower_bound(places_.begin(), places_.end(), &access,
                                      [](const Place& place, const VarAccess* wanted) {
                                        return std::less<const VarAccess*>()(place.access, wanted);
                                      });
  if (place == places_.end() || place->access != &access) return nullptr;
  return keys_.data() + place->first;
}

void SegmentKeys::release() noexcept {
  for (PyObject* key : keys_)
    Py_DECREF(key);
  keys_.clear();
  places_.clear();
}

}  // namespace tovrin::py
