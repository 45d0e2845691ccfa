#include "support/process_heap.h"

#include "support/com_types.h"

namespace ql {

void* TqlAlloc(std::size_t bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); }

void* TqlReAlloc(void* block, std::size_t bytes) {
    if (block == nullptr) return TqlAlloc(bytes);
    return HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, block, bytes);
}

void TqlFree(void* block) {
    if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace ql
