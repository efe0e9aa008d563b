#pragma once

// Files are read through memory maps. If a file is cut short while it is mapped (another
// program rewrote it, or the disk failed a read), touching the missing pages would end the
// whole program with SIGBUS. Guarded ranges get zero-filled pages from the fault to their end
// instead, and the fault is remembered: the reader then sees damage and can say why.

#include <cstdint>

namespace kv::formats {

// False when every slot is taken (the range is then read unguarded).
bool guardMapping(const void* base, uint64_t size);
void unguardMapping(const void* base);
// Whether a read of the guarded range starting at `base` has faulted since it was guarded.
bool mappingFaulted(const void* base);

} // namespace kv::formats
