#include "support/exp_builders.hpp"

#include <charconv>
#include <stdexcept>

namespace tovrin::testing {

VarAccess accessor(std::string_view text) {
  std::vector<VarName> names;
  while (true) {
    const std::size_t dot = text.find('.');
    std::string_view segment = text.substr(0, dot);
    VarName name;
    const std::size_t bracket = segment.find('[');
    name.name = std::string(segment.substr(0, bracket));
    if (bracket != std::string_view::npos) {
      Index index = 0;
      const auto digits = segment.substr(bracket + 1, segment.size() - bracket - 2);
      if (std::from_chars(digits.data(), digits.data() + digits.size(), index).ec != std::errc()) {
        throw std::invalid_argument("bad test accessor");
      }
      name.index = index;
    }
    names.push_back(std::move(name));
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  return VarAccess(std::move(names));
}

Exp var(std::string_view text) {
  return Exp(Exp::Var{accessor(text)});
}

Exp object_lit(std::vector<std::pair<std::string, Exp>> entries) {
  return Exp(Exp::ObjectLit{SortedMap<Exp>::from_entries(std::move(entries))});
}

}  // namespace tovrin::testing
