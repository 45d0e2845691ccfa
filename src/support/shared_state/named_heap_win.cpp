#include "support/shared_state/named_heap.h"

#include "support/base/win32_errors.h"
#include "support/platform/system_wrappers.h"

namespace ql {

namespace {

// The heap compatibility mode of the low-fragmentation heap.
constexpr ULONG kLowFragmentationHeap = 2;

DWORD LastFailure() {
    DWORD error = GetLastError();
    return error < 2 ? ERROR_FUNCTION_FAILED : error;
}

}  // namespace

HANDLE CTqlSingletonProcessHeap::CreateHeap(SIZE_T initialBytes, DWORD* error) noexcept {
    HANDLE heap = HeapCreate(0, initialBytes, 0);
    *error = heap == nullptr ? LastFailure() : 0;
    return heap;
}

BOOL CTqlSingletonProcessHeap::EnableLowFragmentation(HANDLE heap, DWORD* lastError) noexcept {
    // Lazily bound: older systems lack the function, and the entry then fails
    // with the loader's error.
    ULONG mode = kLowFragmentationHeap;
    BOOL result = _HeapSetInformation(heap, HeapCompatibilityInformation, &mode, sizeof mode);
    *lastError = GetLastError();
    return result;
}

LPVOID CTqlSingletonProcessHeap::Alloc(SIZE_T bytes) const noexcept {
    if (m_hHeap == nullptr) {
        SetLastError(kTqlErrorInvalidHandle);
        return nullptr;
    }
    return HeapAlloc(m_hHeap, HEAP_ZERO_MEMORY, bytes);
}

LPVOID CTqlSingletonProcessHeap::ReAlloc(LPVOID block, SIZE_T bytes) const noexcept {
    if (block == nullptr) return Alloc(bytes);
    if (m_hHeap == nullptr) {
        SetLastError(kTqlErrorInvalidHandle);
        return nullptr;
    }
    return HeapReAlloc(m_hHeap, HEAP_ZERO_MEMORY, block, bytes);
}

DWORD CTqlSingletonProcessHeap::Free(LPVOID block) const noexcept {
    if (block == nullptr) return 0;
    if (m_hHeap == nullptr) return kTqlErrorInvalidHandle;
    return HeapFree(m_hHeap, 0, block) ? 0 : LastFailure();
}

}  // namespace ql
