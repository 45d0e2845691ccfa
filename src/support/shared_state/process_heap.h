// The support library's shared heap "TqlRT": one zero-filling heap per
// process, shared by every copy of the library loaded into it. Blocks come
// back zeroed, and growing a block zeroes the new tail.
#pragma once

#include <cstddef>

#include "support/shared_state/named_heap.h"

namespace ql {

// The named heap "TqlRT", made on first use (at the latest while the module
// loads). The object stays usable until the process ends, so that static
// objects may free their buffers while they are destroyed; when the module
// unloads only its shared block is closed, and the heap goes on serving.
CTqlSingletonProcessHeap& TqlRtHeap();

// Returns null when the memory cannot be had.
void* TqlAlloc(std::size_t bytes);
// Returns null and leaves the block untouched when it cannot grow; a null
// block is allocated.
void* TqlReAlloc(void* block, std::size_t bytes);
// Returns 0 (also for null) or the system's error.
DWORD TqlFree(void* block);

}  // namespace ql
