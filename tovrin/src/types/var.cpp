#include "tovrin/types/var.hpp"

#include "tovrin/internal_failure.hpp"

#include <algorithm>
#include <iterator>
#include <memory>
#include <type_traits>
#include <utility>

namespace tovrin {

void VarName::text_to(std::string& out) const {
  out += name;
  if (index) {
    out += '[';
    out += std::to_string(*index);
    out += ']';
  }
}

template <class Segment>
void VarAccess::take(std::span<Segment> names) {
  if (names.empty()) return;
  const auto first = [&] {
    if constexpr (std::is_const_v<Segment>) {
      return names.begin();
    } else {
      return std::make_move_iterator(names.begin());
    }
  }();
  if (names.size() == 1) {
    std::construct_at(&single_, *first);
  } else {
    // Held until every segment is in, as copying one may throw.
    auto segments = std::make_unique<VarName[]>(names.size());
    std::copy_n(first, names.size(), segments.get());
    many_ = segments.release();
  }
  count_ = names.size();
}

VarAccess::VarAccess(std::vector<VarName> names) : VarAccess(Moving{}, names) {}

VarAccess VarAccess::from_segments(std::span<VarName> names) {
  return VarAccess(Moving{}, names);
}

VarAccess::VarAccess(Moving, std::span<VarName> names) : many_(nullptr) {
  if (names.empty()) TOVRIN_INTERNAL_FAILURE("Variable access must have at least one name");
  take(names);
}

VarAccess::VarAccess(const VarAccess& other) : many_(nullptr) {
  take(other.names());
}

VarAccess& VarAccess::operator=(const VarAccess& other) {
  if (this != &other) *this = VarAccess(other);
  return *this;
}

VarAccess::VarAccess(VarAccess&& other) noexcept : many_(nullptr) {
  *this = std::move(other);
}

VarAccess& VarAccess::operator=(VarAccess&& other) noexcept {
  if (this == &other) return *this;
  release();
  // A moved-from accessor has no segments, as a moved-from list had none.
  if (other.count_ == 1) {
    std::construct_at(&single_, std::move(other.single_));
    count_ = 1;
    other.release();
  } else {
    many_ = std::exchange(other.many_, nullptr);
    count_ = std::exchange(other.count_, 0);
  }
  return *this;
}

void VarAccess::release() noexcept {
  if (count_ == 1) {
    std::destroy_at(&single_);
  } else {
    delete[] many_;
  }
  many_ = nullptr;
  count_ = 0;
}

std::string VarAccess::resolve_name_until(std::span<const VarName> names, const VarName* root,
                                          std::size_t count) {
  if (count > names.size()) {
    TOVRIN_INTERNAL_FAILURE("Path length exceeds the number of accessor segments");
  }
  std::string out;
  if (count == 0) {
    if (root == nullptr) return "<root>";
    root->text_to(out);
    return out;
  }
  if (root != nullptr) {
    root->text_to(out);
    out += '.';
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out += '.';
    names[i].text_to(out);
  }
  return out;
}

}  // namespace tovrin
