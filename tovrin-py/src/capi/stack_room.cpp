#include "capi/stack_room.hpp"

#include <pthread.h>

#include <cstdint>

namespace tovrin::capi {

namespace {

// The lowest and highest address of the calling thread's stack, read once per thread; both zero
// when the system does not tell.
struct StackBounds {
  std::uintptr_t low = 0;
  std::uintptr_t high = 0;
};

StackBounds read_stack_bounds() noexcept {
  StackBounds bounds;
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return bounds;
  void* lowest = nullptr;
  std::size_t size = 0;
  if (pthread_attr_getstack(&attributes, &lowest, &size) == 0) {
    bounds.low = reinterpret_cast<std::uintptr_t>(lowest);
    bounds.high = bounds.low + size;
  }
  pthread_attr_destroy(&attributes);
  return bounds;
}

}  // namespace

bool stack_room_below(std::size_t bytes) noexcept {
  thread_local const StackBounds bounds = read_stack_bounds();
  const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (here <= bounds.low || here > bounds.high) return false;
  return here - bounds.low < bytes;
}

}  // namespace tovrin::capi
