#include "tovrin/types/compact_text.hpp"

#include <ostream>

namespace tovrin {

std::ostream& operator<<(std::ostream& out, const CompactText& text) {
  return out << text.view();
}

}  // namespace tovrin
