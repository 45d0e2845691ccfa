// A heap here is a tag over the C allocator. Each block carries its size, so
// that growth zero-fills exactly the new tail, and its heap, so that a block
// handed to another heap is refused instead of corrupting memory.
#include "support/shared_state/named_heap.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "support/base/win32_errors.h"

namespace ql {

namespace {

class CPosixHeap {};

struct alignas(std::max_align_t) BlockHeader {
    std::size_t size;
    const CPosixHeap* heap;
};

// The largest block: 1 TiB with its header. Larger requests fail here, as
// the system heap fails them, instead of reaching a C allocator that may
// abort on them (sanitizer builds do).
constexpr std::size_t kMaxBytes = (std::size_t{1} << 40) - sizeof(BlockHeader);

// Every heap of the process. Heaps are never destroyed, and their handles
// otherwise live only in shared blocks.
struct HeapList {
    std::mutex guard;
    std::vector<std::unique_ptr<CPosixHeap>> heaps;
};

HeapList& Heaps() {
    static HeapList* list = new HeapList;
    return *list;
}

BlockHeader* HeaderOf(LPVOID block) { return static_cast<BlockHeader*>(block) - 1; }

}  // namespace

HANDLE CTqlSingletonProcessHeap::CreateHeap(SIZE_T /*initialBytes*/, DWORD* error) noexcept {
    // The C allocator grows on demand; there is nothing to reserve.
    try {
        HeapList& list = Heaps();
        std::lock_guard<std::mutex> lock(list.guard);
        list.heaps.push_back(std::make_unique<CPosixHeap>());
        *error = 0;
        return list.heaps.back().get();
    } catch (const std::bad_alloc&) {
        *error = kTqlErrorNotEnoughMemory;
        return nullptr;
    }
}

BOOL CTqlSingletonProcessHeap::EnableLowFragmentation(HANDLE /*heap*/, DWORD* lastError) noexcept {
    // The C allocator has no such mode to switch on.
    *lastError = kTqlErrorNotSupported;
    return FALSE;
}

LPVOID CTqlSingletonProcessHeap::Alloc(SIZE_T bytes) const noexcept {
    if (m_hHeap == nullptr || bytes > kMaxBytes) return nullptr;
    auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + bytes));
    if (header == nullptr) return nullptr;
    header->size = bytes;
    header->heap = static_cast<const CPosixHeap*>(m_hHeap);
    return header + 1;
}

LPVOID CTqlSingletonProcessHeap::ReAlloc(LPVOID block, SIZE_T bytes) const noexcept {
    if (block == nullptr) return Alloc(bytes);
    if (m_hHeap == nullptr || bytes > kMaxBytes || HeaderOf(block)->heap != m_hHeap) return nullptr;
    const std::size_t oldSize = HeaderOf(block)->size;
    auto* header =
        static_cast<BlockHeader*>(std::realloc(HeaderOf(block), sizeof(BlockHeader) + bytes));
    if (header == nullptr) return nullptr;
    if (bytes > oldSize)
        std::memset(reinterpret_cast<char*>(header + 1) + oldSize, 0, bytes - oldSize);
    header->size = bytes;
    return header + 1;
}

DWORD CTqlSingletonProcessHeap::Free(LPVOID block) const noexcept {
    if (block == nullptr) return 0;
    if (m_hHeap == nullptr) return kTqlErrorInvalidHandle;
    if (HeaderOf(block)->heap != m_hHeap) return kTqlErrorInvalidParameter;
    std::free(HeaderOf(block));
    return 0;
}

}  // namespace ql
