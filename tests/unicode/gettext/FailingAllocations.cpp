#include "tests/unicode/gettext/FailingAllocations.h"

#include <cstdlib>
#include <new>

namespace {
thread_local long AllocationsLeft = -1;  // negative: none fails
thread_local bool AllocationRefused = false;
}  // namespace

TFailingAllocations::TFailingAllocations(long Count) {
  AllocationRefused = false;
  AllocationsLeft = Count;
}

TFailingAllocations::~TFailingAllocations() { AllocationsLeft = -1; }

bool TFailingAllocations::Refused() { return AllocationRefused; }

void* operator new(size_t Size) {
  if (AllocationsLeft == 0) {
    AllocationRefused = true;
    throw std::bad_alloc();
  }
  if (AllocationsLeft > 0) --AllocationsLeft;
  if (void* p = std::malloc(Size ? Size : 1)) return p;
  throw std::bad_alloc();
}

void operator delete(void* P) noexcept { std::free(P); }
void operator delete(void* P, size_t) noexcept { std::free(P); }
