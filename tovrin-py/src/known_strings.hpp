#pragma once

#include "capi/ref.hpp"

#include <memory>
#include <string_view>

#include "tovrin/types/exp.hpp"
#include "tovrin/types/ordered_map.hpp"

namespace tovrin::py {

// Python strings made once for texts that are known before any evaluation: the keys of an
// expression's object literals. A result object built by such a literal takes its keys from here
// instead of making new strings and hashing them on every call. Holding them needs the
// interpreter lock, as the Python object that owns them has.
class KnownStrings {
 public:
  KnownStrings() noexcept = default;

  // The keys of every object literal in `tree`, each text once. A key that Python cannot hold
  // as a str is left out, so that it is made (and fails) as before, where it is needed.
  static KnownStrings object_keys_of(const Exp& tree);

  // The string of `text`, borrowed; null when the text is not known.
  PyObject* find(std::string_view text) const noexcept {
    if (!strings_) return nullptr;
    auto it = strings_->find(text);
    return it == strings_->end() ? nullptr : it->second.get();
  }

 private:
  // Absent when the tree has no object literal, as most have not.
  std::unique_ptr<OrderedMap<capi::Ref>> strings_;
};

}  // namespace tovrin::py
