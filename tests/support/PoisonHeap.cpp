#include "tests/support/PoisonHeap.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>

namespace {

// Freed blocks wait here before they go back to the C heap; the oldest leaves first. Blocks are
// allocated by malloc so that a block the runtime allocated itself may be freed here too.
constexpr size_t kQuarantineBlocks = 8192;
constexpr size_t kQuarantineBytes = 64u << 20;

struct Quarantine {
  void* Blocks[kQuarantineBlocks] = {};
  size_t Sizes[kQuarantineBlocks] = {};
  size_t Oldest = 0;
  size_t Count = 0;
  size_t Bytes = 0;
  size_t Freed = 0;
};

// Static storage with no constructor to run: the heap is used before any constructor runs.
Quarantine GQuarantine;
// A spin lock: needs no initialisation and works on every Windows version the tests run as.
volatile LONG GLock = 0;

void Lock() {
  while (InterlockedExchange(&GLock, 1) != 0) Sleep(0);
}
void Unlock() { InterlockedExchange(&GLock, 0); }

void* Allocate(size_t Size) {
  if (Size == 0) Size = 1;
  for (;;) {
    if (void* p = std::malloc(Size)) return p;
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

void Release(void* P) noexcept {
  if (!P) return;
  const size_t size = _msize(P);
  std::memset(P, poison_heap::kFreedByte, size);
  Lock();
  Quarantine& q = GQuarantine;
  // The oldest blocks go back to the C heap when the quarantine is full in count or in bytes.
  while (q.Count > 0 && (q.Count == kQuarantineBlocks || q.Bytes + size > kQuarantineBytes)) {
    std::free(q.Blocks[q.Oldest]);
    q.Bytes -= q.Sizes[q.Oldest];
    q.Blocks[q.Oldest] = nullptr;
    q.Oldest = (q.Oldest + 1) % kQuarantineBlocks;
    --q.Count;
  }
  const size_t slot = (q.Oldest + q.Count) % kQuarantineBlocks;
  q.Blocks[slot] = P;
  q.Sizes[slot] = size;
  q.Bytes += size;
  ++q.Count;
  ++q.Freed;
  Unlock();
}

// A fault (a read through a poisoned pointer) ends the program at once with a line saying where,
// rather than waiting for a debugger that nobody attends.
LONG WINAPI FailAtOnce(EXCEPTION_POINTERS* Info) {
  const EXCEPTION_RECORD* r = Info ? Info->ExceptionRecord : nullptr;
  std::fprintf(stderr, "fatal: exception %08lX at %p (0xDD... is freed memory)\n",
               r ? static_cast<unsigned long>(r->ExceptionCode) : 0ul, r ? r->ExceptionAddress : nullptr);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

[[maybe_unused]] const bool GFailAtOnce = (SetUnhandledExceptionFilter(FailAtOnce), true);

}  // namespace

namespace poison_heap {

size_t FreedBlocks() {
  Lock();
  const size_t n = GQuarantine.Freed;
  Unlock();
  return n;
}

bool LooksFreed(const void* P, size_t Size) {
  const auto* b = static_cast<const unsigned char*>(P);
  for (size_t i = 0; i < Size; ++i)
    if (b[i] != kFreedByte) return false;
  return true;
}

}  // namespace poison_heap

void* operator new(size_t Size) { return Allocate(Size); }
void* operator new[](size_t Size) { return Allocate(Size); }
void* operator new(size_t Size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(Size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t Size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(Size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* P) noexcept { Release(P); }
void operator delete[](void* P) noexcept { Release(P); }
void operator delete(void* P, size_t) noexcept { Release(P); }
void operator delete[](void* P, size_t) noexcept { Release(P); }
void operator delete(void* P, const std::nothrow_t&) noexcept { Release(P); }
void operator delete[](void* P, const std::nothrow_t&) noexcept { Release(P); }
