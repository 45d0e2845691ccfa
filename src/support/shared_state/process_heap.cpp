#include "support/shared_state/process_heap.h"

#include <atomic>

namespace ql {

namespace {

// The heap once it is made; read without a lock on every allocation.
std::atomic<CTqlSingletonProcessHeap*> g_rtHeap{nullptr};

// Set on the thread that is making the heap. Anything that thread allocates
// meanwhile (the tracer, say, while the heap's creation is traced) fails
// instead of waiting for itself.
thread_local bool t_bMakingRtHeap = false;

CTqlSingletonProcessHeap* RtHeapOrNull() {
    CTqlSingletonProcessHeap* heap = g_rtHeap.load(std::memory_order_acquire);
    if (heap != nullptr || t_bMakingRtHeap) return heap;
    return &TqlRtHeap();
}

}  // namespace

CTqlSingletonProcessHeap& TqlRtHeap() {
    static CTqlSingletonProcessHeap* const heap = [] {
        t_bMakingRtHeap = true;
        struct Done {
            ~Done() { t_bMakingRtHeap = false; }
        } done;
        auto* made = new CTqlSingletonProcessHeap(OLESTR("TqlRT"));
        g_rtHeap.store(made, std::memory_order_release);
        return made;
    }();
    return *heap;
}

void* TqlAlloc(std::size_t bytes) {
    CTqlSingletonProcessHeap* heap = RtHeapOrNull();
    return heap != nullptr ? heap->Alloc(bytes) : nullptr;
}

void* TqlReAlloc(void* block, std::size_t bytes) {
    CTqlSingletonProcessHeap* heap = RtHeapOrNull();
    return heap != nullptr ? heap->ReAlloc(block, bytes) : nullptr;
}

DWORD TqlFree(void* block) {
    if (block == nullptr) return 0;
    CTqlSingletonProcessHeap* heap = RtHeapOrNull();
    // Nothing can have come from a heap that does not exist yet.
    return heap != nullptr ? heap->Free(block) : 87;
}

namespace {

// Makes the heap while the module loads and closes its shared block when the
// module unloads; the object and the heap stay (see TqlRtHeap).
class CModuleRtHeap {
public:
    CModuleRtHeap() { TqlRtHeap(); }
    ~CModuleRtHeap() { TqlRtHeap().Close(); }
    CModuleRtHeap(const CModuleRtHeap&) = delete;
    CModuleRtHeap& operator=(const CModuleRtHeap&) = delete;
};

CModuleRtHeap g_moduleRtHeap;

}  // namespace

}  // namespace ql
