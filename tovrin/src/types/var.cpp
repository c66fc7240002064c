#include "tovrin/types/var.hpp"

#include "tovrin/internal_failure.hpp"

namespace tovrin {

void VarName::text_to(std::string& out) const {
  out += name;
  if (index) {
    out += '[';
    out += std::to_string(*index);
    out += ']';
  }
}

VarAccess::VarAccess(std::vector<VarName> names) : names_(std::move(names)) {
  if (names_.empty()) TOVRIN_INTERNAL_FAILURE("Variable access must have at least one name");
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
