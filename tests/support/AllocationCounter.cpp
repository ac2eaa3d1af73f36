#include "tests/support/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
bool gCounting = false;
long gAllocations = 0;
}  // namespace

namespace testsupport {

#ifdef __SANITIZE_ADDRESS__
bool AllocationCounter::available() { return false; }
#else
bool AllocationCounter::available() { return true; }
#endif

void AllocationCounter::start() {
  gAllocations = 0;
  gCounting = true;
}

long AllocationCounter::stop() {
  gCounting = false;
  return gAllocations;
}

}  // namespace testsupport

#ifndef __SANITIZE_ADDRESS__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (gCounting) ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
#endif
