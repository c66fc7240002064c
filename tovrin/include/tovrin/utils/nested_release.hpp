#pragma once

#include <utility>

#include "tovrin/utils/inline_stack.hpp"

namespace tovrin {

// Releasing a value that holds containers inside containers would follow the nesting with one
// call per level, and values may nest far deeper than a thread's stack allows calls (the binding
// accepts 10000 levels, which a Debug build cannot follow in 8 MiB). So the release of such a
// container first takes every nested container out of it and releases them one at a time, each
// with nothing nested left inside; nesting then costs entries of a list, not call stack.
//
// For value types whose arrays are reached through `array_of(value)`, a pointer to a sequence of
// values (null for other kinds), and whose objects through `object_of(value)`, a pointer to a
// sequence of (key, value) entries. A value moved from must hold no elements or entries. Should
// the list of pending containers not be allocated, what is left is released the ordinary way.
template <class V, class ArrayOf, class ObjectOf>
void release_nested_containers(V& value, ArrayOf&& array_of, ObjectOf&& object_of) noexcept {
  const auto each_child = [&](V& container, const auto& visit) {
    if (auto* elements = array_of(container)) {
      for (auto& element : *elements)
        visit(element);
    } else if (auto* entries = object_of(container)) {
      for (auto& entry : *entries)
        visit(entry.second);
    }
  };
  const auto holds_items = [&](V& child) {
    if (auto* elements = array_of(child)) return !elements->empty();
    if (auto* entries = object_of(child)) return !entries->empty();
    return false;
  };
  bool nested = false;
  each_child(value, [&](V& child) { nested = nested || holds_items(child); });
  if (!nested) return;
  try {
    InlineStack<V, 8> pending;
    const auto take_nested = [&](V& container) {
      each_child(container, [&](V& child) {
        if (holds_items(child)) pending.push(std::move(child));
      });
    };
    take_nested(value);
    while (!pending.empty()) {
      V container = pending.pop();
      take_nested(container);
    }
  } catch (...) {
  }
}

}  // namespace tovrin
