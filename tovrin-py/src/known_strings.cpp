#include "known_strings.hpp"

#include "capi/text.hpp"
#include "tree_nodes.hpp"

namespace tovrin::py {

KnownStrings KnownStrings::object_keys_of(const Exp& tree) {
  KnownStrings known;
  for_each_node(tree, [&](const Exp& node) {
    const auto* object = node.get_if<Exp::ObjectLit>();
    if (object == nullptr) return;
    if (!known.strings_) known.strings_ = std::make_unique<OrderedMap<capi::Ref>>();
    for (const auto& entry : object->entries) {
      const std::string& key = entry.first;
      if (known.find(key) != nullptr) continue;
      if (capi::Ref str = capi::interned_str(key)) known.strings_->append_new(key, std::move(str));
    }
  });
  return known;
}

}  // namespace tovrin::py
