#include "tovrin/internal_failure.hpp"

namespace tovrin {

void throw_internal_failure(const std::string& message, const char* file, int line) {
  throw InternalFailure(message, file, line);
}

}  // namespace tovrin
