#include "known_strings.hpp"

#include <vector>

namespace tovrin::py {

KnownStrings KnownStrings::object_keys_of(const Exp& tree) {
  KnownStrings known;
  std::vector<const Exp*> pending{&tree};
  while (!pending.empty()) {
    const Exp* node = pending.back();
    pending.pop_back();
    node->collect_children(pending);
    const auto* object = node->get_if<Exp::ObjectLit>();
    if (object == nullptr) continue;
    if (!known.strings_) known.strings_ = std::make_unique<OrderedMap<capi::Ref>>();
    for (const auto& entry : object->entries) {
      const std::string& key = entry.first;
      if (known.find(key) != nullptr) continue;
      PyObject* str =
          PyUnicode_DecodeUTF8(key.data(), static_cast<Py_ssize_t>(key.size()), nullptr);
      if (str == nullptr) {
        PyErr_Clear();
        continue;
      }
      // Interned, so that its hash is computed once and equal keys elsewhere share it.
      PyUnicode_InternInPlace(&str);
      known.strings_->append_new(key, capi::Ref::steal(str));
    }
  }
  return known;
}

}  // namespace tovrin::py
