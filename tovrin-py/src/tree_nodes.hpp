#pragma once

#include <vector>

#include "tovrin/types/exp.hpp"

namespace tovrin::py {

// Calls `visit` with every node of `tree`, without recursion.
template <class Visit>
void for_each_node(const Exp& tree, Visit&& visit) {
  std::vector<const Exp*> pending{&tree};
  while (!pending.empty()) {
    const Exp* node = pending.back();
    pending.pop_back();
    node->collect_children(pending);
    visit(*node);
  }
}

}  // namespace tovrin::py
