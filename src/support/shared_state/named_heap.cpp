#include "support/shared_state/named_heap.h"

#include <new>

#include "support/base/win32_errors.h"
#include "support/trace/trace.h"

namespace ql {

namespace {

// A growable heap starts with this much.
constexpr SIZE_T kInitialHeapBytes = 0x10000;

// How the set-up under the lock ended; traced once the lock is released.
enum class SetUp { kNotLocked, kNoView, kAdopted, kCreated, kCreateFailed };

}  // namespace

CTqlSingletonProcessHeap::CTqlSingletonProcessHeap(LPCWSTR name) {
    CTqlTraceScope scope(OLESTR("CTqlSingletonProcessHeap::CTqlSingletonProcessHeap"),
                         kTqlRuntimeComponent, kTqlLevelEntry);
    scope.Trace(kTqlLevelEntry, OLESTR("pwszHeapName='%s'"), name);

    WString shmemName;
    WString mutexName;
    DWORD error = 0;
    try {
        shmemName = ProcessObjectName(OLESTR("TqlNamedHeap_ShMem_%s_ProcId_0x%X"), name);
        mutexName = ProcessObjectName(OLESTR("TqlNamedHeap_Mutex_%s_ProcId_0x%X"), name);
    } catch (const std::bad_alloc&) {
        error = kTqlErrorNotEnoughMemory;
    }
    // The block holds one heap handle, as wide as a pointer.
    const DWORD bytes = sizeof(HANDLE);
    if (error == 0)
        error = Create(shmemName.c_str(), bytes, mutexName.c_str(), nullptr, nullptr, FALSE,
                       TqlPagingFile(), 0, kTqlInfinite);
    if (error != 0) {
        scope.ErrorMsg(OLESTR("CTqlSharedMemory::Create( shmem=%1, size=%2!d!, mutex=%3 ) failed "
                              "with err=%4!d! (%4!Z!)"),
                       shmemName.c_str(), bytes, mutexName.c_str(), error);
        return;
    }

    SetUp outcome = SetUp::kNotLocked;
    HANDLE heap = nullptr;
    DWORD createError = 0;
    BOOL lowFragmentation = FALSE;
    DWORD lowFragmentationError = 0;
    {
        CShield shield(*this);
        auto* slot = static_cast<HANDLE*>(GetData());
        if (!shield.IsLocked()) {
            outcome = SetUp::kNotLocked;
        } else if (slot == nullptr) {
            outcome = SetUp::kNoView;
        } else if (*slot != nullptr) {
            outcome = SetUp::kAdopted;
            heap = *slot;
        } else {
            heap = CreateHeap(kInitialHeapBytes, &createError);
            if (heap == nullptr) {
                outcome = SetUp::kCreateFailed;
            } else {
                outcome = SetUp::kCreated;
                *slot = heap;
                // Many small buffers come from this heap.
                lowFragmentation = EnableLowFragmentation(heap, &lowFragmentationError);
            }
        }
        m_hHeap = heap;
    }
    switch (outcome) {
        case SetUp::kNoView:
            scope.Error(OLESTR("phHeap is NULL after CTqlSharedMemory::Create(shmem=%s)"),
                        shmemName.c_str());
            break;
        case SetUp::kAdopted:
            TqlSharedStateTrace(kTqlLevelEntry, OLESTR("Heap 0x%X already exist, do nothing"),
                                TqlTraceAddress(heap));
            break;
        case SetUp::kCreated:
            TqlSharedStateTrace(kTqlLevelInfo, OLESTR("Heap 0x%X (name=%s) has been created"),
                                TqlTraceAddress(heap), name);
            scope.Info(OLESTR("Try enabling LFH for heap '%s', result %i, last error %i"), name,
                       lowFragmentation, lowFragmentationError);
            break;
        case SetUp::kCreateFailed:
            scope.ErrorMsg(OLESTR("HeapCreate() failed, err=%1!d! (%1!Z!)."), createError);
            break;
        case SetUp::kNotLocked:
            break;
    }
}

}  // namespace ql
