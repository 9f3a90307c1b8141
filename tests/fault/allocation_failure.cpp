#include "tests/fault/allocation_failure.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> armed{false};
std::atomic<bool> failed{false};
std::atomic<std::size_t> failFrom{0};
std::atomic<int> toSkip{0};
std::atomic<int> pauses{0};

void* Allocate(std::size_t size) {
  if (armed && pauses == 0 && size >= failFrom && !failed && toSkip-- == 0) {
    failed = true;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void ArmAllocationFailure(std::size_t minBytes, int skip) {
  failFrom = minBytes;
  toSkip = skip;
  failed = false;
  armed = true;
}

bool DisarmAllocationFailure() {
  armed = false;
  return failed;
}

AllocationFailurePause::AllocationFailurePause() { ++pauses; }
AllocationFailurePause::~AllocationFailurePause() { --pauses; }

// Every form of new and delete, so that each allocation pairs malloc with free (the sanitizers
// check the pairs).
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t& /*tag*/) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t /*size*/) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t /*size*/) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t& /*tag*/) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t& /*tag*/) noexcept { std::free(p); }
