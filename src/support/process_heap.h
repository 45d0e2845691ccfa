// The module's zero-filling heap. Blocks come back zeroed, and growing a
// block zeroes the new tail.
#pragma once

#include <cstddef>

namespace ql {

// Returns null when the memory cannot be had.
void* TqlAlloc(std::size_t bytes);
// Returns null and leaves the block untouched when it cannot grow; a null
// block is allocated.
void* TqlReAlloc(void* block, std::size_t bytes);
void TqlFree(void* block);

}  // namespace ql
