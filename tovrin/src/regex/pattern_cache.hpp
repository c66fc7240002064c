#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "regex.hpp"
#include "tovrin/result.hpp"

namespace tovrin::regex {

// compile(), answered from a small memory of the calling thread's recent patterns when it can:
// the same pattern gives the same matcher or the same error text. Each thread has its own
// memory (no lock), holding the 64 most recently used patterns, less when their matchers are
// large.
Result<std::shared_ptr<const Matcher>, std::string> compile_cached(std::string_view pattern);

}  // namespace tovrin::regex
