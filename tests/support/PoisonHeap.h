// A heap for the window tests under which a use after free fails instead of passing by luck:
// linking PoisonHeap.cpp replaces the program's operator new and delete; a freed block is filled
// with 0xDD and kept out of use for a while (a quarantine), so a later read finds 0xDDDDDDDD
// (a pointer that faults) rather than the old contents or a new object. A fault then ends the
// program at once (exit code 3) with a line on stderr.
#pragma once

#include <cstddef>

namespace poison_heap {

// The fill of freed memory.
constexpr unsigned char kFreedByte = 0xDD;
// How many blocks the program has freed through the poisoning delete (a test can check that the
// replacement is linked in).
size_t FreedBlocks();
// True when the bytes at P all hold the freed fill.
bool LooksFreed(const void* P, size_t Size);

}  // namespace poison_heap
