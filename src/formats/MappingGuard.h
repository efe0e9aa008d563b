#pragma once

// A title is read through a memory map. If its file is cut short while it is open (another
// program rewrote it, or the disk failed a read), touching the missing pages would end the
// whole program with SIGBUS. Guarded ranges get zero-filled pages from the fault to their end
// instead: the title then reads as damaged and its checks fail cleanly.

#include <cstdint>

namespace kv::title {

// False when every slot is taken (the range is then read unguarded).
bool guardMapping(const void* base, uint64_t size);
void unguardMapping(const void* base);

} // namespace kv::title
