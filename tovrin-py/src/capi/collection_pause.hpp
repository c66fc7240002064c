#pragma once

#include "capi/ref.hpp"

namespace tovrin::capi {

// Keeps the interpreter's cyclic garbage collector from running while it lives. Making a list
// or dict can start a collection, and a collection runs finalizers, which are Python code; while
// the collector pauses, making objects runs none. Garbage left meanwhile is collected later as
// usual. Needs the interpreter lock.
class CollectionPause {
 public:
  CollectionPause() noexcept : was_enabled_(PyGC_Disable() == 1) {}
  ~CollectionPause() {
    if (was_enabled_) PyGC_Enable();
  }
  CollectionPause(const CollectionPause&) = delete;
  CollectionPause& operator=(const CollectionPause&) = delete;

 private:
  bool was_enabled_;
};

}  // namespace tovrin::capi
