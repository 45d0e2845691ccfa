#include "support/process_heap.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace ql {

namespace {

// Each block carries its size in front so that growth can zero exactly the
// new tail, as the Windows heap does with HEAP_ZERO_MEMORY.
struct alignas(std::max_align_t) BlockHeader {
    std::size_t size;
};

constexpr std::size_t kMaxBytes = std::numeric_limits<std::size_t>::max() - sizeof(BlockHeader);

BlockHeader* HeaderOf(void* block) { return static_cast<BlockHeader*>(block) - 1; }

}  // namespace

void* TqlAlloc(std::size_t bytes) {
    if (bytes > kMaxBytes) return nullptr;
    auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + bytes));
    if (header == nullptr) return nullptr;
    header->size = bytes;
    return header + 1;
}

void* TqlReAlloc(void* block, std::size_t bytes) {
    if (block == nullptr) return TqlAlloc(bytes);
    if (bytes > kMaxBytes) return nullptr;
    std::size_t oldSize = HeaderOf(block)->size;
    auto* header =
        static_cast<BlockHeader*>(std::realloc(HeaderOf(block), sizeof(BlockHeader) + bytes));
    if (header == nullptr) return nullptr;
    if (bytes > oldSize)
        std::memset(reinterpret_cast<char*>(header + 1) + oldSize, 0, bytes - oldSize);
    header->size = bytes;
    return header + 1;
}

void TqlFree(void* block) {
    if (block != nullptr) std::free(HeaderOf(block));
}

}  // namespace ql
