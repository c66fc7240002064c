#pragma once

#include <cstddef>

namespace tovrin::capi {

// Whether fewer than `bytes` of the calling thread's stack are left below the caller. Recursive
// code that follows the nesting of Python objects asks this at every level: the interpreter's
// recursion limit counts levels, not bytes, and a thread made with a small
// `threading.stack_size` can run out of stack well within that limit. Code running on a stack
// other than its thread's own (a coroutine library's) is taken to have room.
bool stack_room_below(std::size_t bytes) noexcept;

}  // namespace tovrin::capi
