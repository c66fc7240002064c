#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace tovrin {

// A transparent hash for maps keyed by std::string, so that lookups by std::string_view need no
// temporary string. Pair it with std::equal_to<>.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const noexcept {
    return std::hash<std::string_view>{}(text);
  }
};

}  // namespace tovrin
