#include "support/shared_state/shared_memory.h"

#include <cstring>

#include "support/base/unique_handle.h"
#include "support/platform/kernel_handle.h"
#include "support/trace/trace.h"

namespace ql {

namespace {

struct ViewTraits {
    using Handle = LPVOID;
    static constexpr Handle kEmpty = nullptr;
    static bool Owns(Handle view) noexcept { return view != nullptr; }
    static void Close(Handle view) noexcept {
        DWORD error = GetLastError();
        UnmapViewOfFile(view);
        SetLastError(error);
    }
};
using CUniqueView = CTqlUniqueHandle<ViewTraits>;

// Holds a wait on a mutex and releases it once.
class CMutexHold {
public:
    explicit CMutexHold(HANDLE mutex) noexcept : m_h(mutex) {}
    ~CMutexHold() { ReleaseMutex(m_h); }
    CMutexHold(const CMutexHold&) = delete;
    CMutexHold& operator=(const CMutexHold&) = delete;

private:
    HANDLE m_h;
};

// The thread's last error as a failure code: a failing call that left 0 or
// 1 behind must not read as success.
DWORD LastFailure() {
    DWORD error = GetLastError();
    return error < 2 ? ERROR_FUNCTION_FAILED : error;
}

}  // namespace

DWORD CTqlSharedMemory::CreateObjects(LPCWSTR name, DWORD size, LPCWSTR mutexName,
                                      LPCVOID initialData, TqlSecurityAttributes* security,
                                      BOOL readOnly, HANDLE file, DWORD sizeHigh, DWORD timeout) {
    CTqlKernelHandle mutex(CreateMutexW(security, FALSE, mutexName));
    if (mutex.Get() == nullptr) {
        DWORD error = LastFailure();
        TqlSharedStateTraceMsg(
            kTqlLevelError,
            OLESTR("CTqlSharedMemory::Create()- _CreateMutex() failed, err=%1!d! (%1!Z!)."), error);
        return error;
    }
    DWORD locked = LockMutex(mutex.Get(), timeout);
    if (locked != 0) {
        TqlSharedStateTraceMsg(
            kTqlLevelError,
            OLESTR("CTqlSharedMemory::Create()- shield(this) failed, err=%1!d! (%1!Z!)."), locked);
        return locked;
    }

    // Traces wait until the mutex is released: the tracer may itself need a
    // block guarded by it.
    DWORD failure = 0;
    LPCWSTR failedStep = nullptr;
    {
        CMutexHold hold(mutex.Get());
        bool pagingFile = file == TqlPagingFile();
        SetLastError(0);
        CTqlKernelHandle mapping(CreateFileMappingW(
            file, security, readOnly ? PAGE_READONLY : PAGE_READWRITE, sizeHigh, size, name));
        if (mapping.Get() == nullptr) {
            failure = LastFailure();
            failedStep = OLESTR(
                "CTqlSharedMemory::Create()- _CreateFileMapping() failed, err=%1!d! (%1!Z!).");
        } else {
            bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
            CUniqueView view(
                MapViewOfFile(mapping.Get(), readOnly ? FILE_MAP_READ : FILE_MAP_WRITE, 0, 0, 0));
            if (view.Get() == nullptr) {
                failure = LastFailure();
                failedStep = OLESTR(
                    "CTqlSharedMemory::Create()- _MapViewOfFile() failed, err=%1!d! (%1!Z!).");
            } else {
                DWORD recordedLow = size;
                DWORD recordedHigh = sizeHigh;
                if (existed && pagingFile) {
                    // The block was made by another module, perhaps smaller.
                    MEMORY_BASIC_INFORMATION region = {};
                    if (VirtualQuery(view.Get(), &region, sizeof region) != 0 &&
                        (recordedHigh != 0 || recordedLow > region.RegionSize)) {
                        recordedLow = static_cast<DWORD>(region.RegionSize);
                        recordedHigh = 0;
                    }
                } else if (pagingFile && !readOnly) {
                    if (initialData != nullptr)
                        std::memcpy(view.Get(), initialData, size);
                    else
                        std::memset(view.Get(), 0, size);
                }
                m_hMapping = mapping.Release();
                m_pView = view.Release();
                m_hMutex = mutex.Release();
                m_dwSizeLow = recordedLow;
                m_dwSizeHigh = recordedHigh;
            }
        }
    }
    if (failedStep != nullptr) TqlSharedStateTraceMsg(kTqlLevelError, failedStep, failure);
    return failure;
}

DWORD CTqlSharedMemory::LockMutex(HANDLE mutex, DWORD timeout) noexcept {
    switch (WaitForSingleObject(mutex, timeout)) {
        case WAIT_OBJECT_0:
        case WAIT_ABANDONED:
            return 0;
        case WAIT_TIMEOUT:
            return ERROR_TIMEOUT;
        default:
            return LastFailure();
    }
}

DWORD CTqlSharedMemory::UnlockMutex(HANDLE mutex) noexcept {
    return ReleaseMutex(mutex) ? 0 : LastFailure();
}

void CTqlSharedMemory::CloseMutex(HANDLE mutex) noexcept { CloseHandle(mutex); }

void CTqlSharedMemory::CloseMapping(HANDLE mapping, LPVOID view) noexcept {
    if (view != nullptr) UnmapViewOfFile(view);
    CloseHandle(mapping);
}

DWORD CTqlSharedMemory::CurrentProcessId() noexcept { return GetCurrentProcessId(); }

}  // namespace ql
