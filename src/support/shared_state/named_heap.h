// Named heaps: one growable private heap per process and name, shared by
// every copy of the library in the process. Its handle lives in a named
// shared block of one pointer-sized handle (null: no heap yet). The heap is
// never destroyed; it serves the process until it ends.
#pragma once

#include "support/shared_state/shared_memory.h"

namespace ql {

class CTqlSingletonProcessHeap : public CTqlSharedMemory {
public:
    // Adopts the heap of `name`, or creates it (initially 0x10000 bytes,
    // asked for the low-fragmentation mode). On failure the object has no
    // heap, and the allocation functions fail.
    explicit CTqlSingletonProcessHeap(LPCWSTR name);
    // Leaves the heap alive for the other users of the name.
    ~CTqlSingletonProcessHeap() override = default;

    // The heap handle; null when the object has none.
    HANDLE GetHeap() const noexcept { return m_hHeap; }

    // A zero-filled block of `bytes`; null when it cannot be had.
    LPVOID Alloc(SIZE_T bytes) const noexcept;
    // Resizes a block of this heap, zero-filling growth; a null block is
    // allocated. On failure returns null and leaves the block untouched.
    LPVOID ReAlloc(LPVOID block, SIZE_T bytes) const noexcept;
    // Frees a block of this heap: 0 (also for null), or the system's error.
    DWORD Free(LPVOID block) const noexcept;

private:
    // The platform's heap primitives.
    static HANDLE CreateHeap(SIZE_T initialBytes, DWORD* error) noexcept;
    // Asks for the low-fragmentation mode: the system's result and its last
    // error.
    static BOOL EnableLowFragmentation(HANDLE heap, DWORD* lastError) noexcept;

    HANDLE m_hHeap = nullptr;
};

}  // namespace ql
