// Named shared memory: small blocks that are one per process and name, each
// guarded by a named mutex, so that every copy of the support library loaded
// into a process finds the same block; or a view of an open file.
#pragma once

#include <atomic>
#include <cstdint>

#include "support/base/com_types.h"
#include "support/base/wide_string.h"
#include "support/platform/security_attributes.h"

namespace ql {

// The file argument of CTqlSharedMemory::Create for memory backed by the
// paging file: the system's invalid-handle value.
inline HANDLE TqlPagingFile() noexcept { return reinterpret_cast<HANDLE>(~std::uintptr_t{0}); }

// On POSIX an open file is handed to Create as its descriptor carried in a
// HANDLE; on Windows the file's own HANDLE is passed.
inline HANDLE TqlHandleFromDescriptor(int descriptor) noexcept {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor));
}

class CTqlSharedMemory {
public:
    CTqlSharedMemory() noexcept = default;
    // Closes whatever the object still holds.
    virtual ~CTqlSharedMemory();
    CTqlSharedMemory(const CTqlSharedMemory&) = delete;
    CTqlSharedMemory& operator=(const CTqlSharedMemory&) = delete;

    // Creates or opens the mapping `name` (unnamed when null) of sizeHigh:size
    // bytes over `file` (TqlPagingFile() for memory), together with its guard
    // mutex `mutexName` (unnamed when null), and maps a view of the whole
    // mapping, read-only or read/write. Set-up runs under the mutex, waited
    // for at most `timeout` ms. A new writable block in memory is filled from
    // initialData (size bytes) or with zeros; an existing one is adopted and
    // the recorded size shrinks to what it really holds.
    // Returns 0; 87 for a size of 0; 1247 when the object already holds a
    // mapping (nothing changes); otherwise the error of the failing step, and
    // then nothing is left open.
    DWORD Create(LPCWSTR name, DWORD size, LPCWSTR mutexName, LPCVOID initialData = nullptr,
                 TqlSecurityAttributes* security = nullptr, BOOL readOnly = FALSE,
                 HANDLE file = TqlPagingFile(), DWORD sizeHigh = 0, DWORD timeout = kTqlInfinite);
    // Unmaps the view, closes the mapping, releases the locks this object
    // still holds on the calling thread and closes the mutex. Idempotent.
    void Close() noexcept;

    // Locks the guard mutex: 0 when the wait succeeds (or the previous owner
    // ended without releasing it), 1460 on time-out, else the system's error.
    // The lock is recursive per thread. Without a mutex both succeed at once.
    DWORD Lock(DWORD timeout = kTqlInfinite) noexcept;
    // 0, or the system's error (288 when the calling thread does not hold it).
    DWORD Unlock() noexcept;

    // The mapped view; null until Create succeeds.
    LPVOID GetData() const noexcept { return m_pView; }
    DWORD GetSize() const noexcept { return m_dwSizeLow; }
    DWORD GetSizeHigh() const noexcept { return m_dwSizeHigh; }
    bool IsCreated() const noexcept { return m_hMapping != nullptr; }

    // Formats a per-process object name: the pattern's "%s" becomes `name`
    // (empty when null) and its "%X" the current process id in upper-case
    // hex, e.g. "TqlNamedTls_%s_Mutex_ProcId_0x%X".
    static WString ProcessObjectName(LPCWSTR pattern, LPCWSTR name);

    // A scoped lock of the guard mutex ("shield"): locks on construction when
    // asked to, remembers whether that succeeded, and unlocks on destruction
    // only when it holds the lock.
    class CShield {
    public:
        explicit CShield(CTqlSharedMemory& memory, bool lock = true,
                         DWORD timeout = kTqlInfinite) noexcept;
        ~CShield();
        CShield(const CShield&) = delete;
        CShield& operator=(const CShield&) = delete;

        bool IsLocked() const noexcept { return m_bLocked; }
        // The result of the lock: 0, 1460 or the system's error; 0 when no
        // lock was asked for.
        DWORD GetResult() const noexcept { return m_dwResult; }

    private:
        CTqlSharedMemory& m_memory;
        DWORD m_dwResult = 0;
        bool m_bLocked = false;
    };

private:
    // Steps of Create after its argument checks, and the system primitives
    // under the shared code; each platform file supplies them.
    DWORD CreateObjects(LPCWSTR name, DWORD size, LPCWSTR mutexName, LPCVOID initialData,
                        TqlSecurityAttributes* security, BOOL readOnly, HANDLE file, DWORD sizeHigh,
                        DWORD timeout);
    static DWORD LockMutex(HANDLE mutex, DWORD timeout) noexcept;
    static DWORD UnlockMutex(HANDLE mutex) noexcept;
    static void CloseMutex(HANDLE mutex) noexcept;
    static void CloseMapping(HANDLE mapping, LPVOID view) noexcept;
    static DWORD CurrentProcessId() noexcept;

    HANDLE m_hMutex = nullptr;
    HANDLE m_hMapping = nullptr;
    LPVOID m_pView = nullptr;
    DWORD m_dwSizeLow = 0;
    DWORD m_dwSizeHigh = 0;
    // Locks taken through this object and not yet released, so that Close
    // gives back what its own holder forgot.
    std::atomic<LONG> m_lHeldLocks{0};
};

// Traces of the shared-state classes, on the runtime component (0x10001),
// printf and insert style. The tracer keeps its nesting depth in a named TLS,
// so tracing from this code can re-enter it: a trace issued while the thread
// is already inside one of these, or inside a CTqlSharedStateQuiet, is
// dropped instead of recursing.
void TqlSharedStateTrace(int level, LPCWSTR format, ...);
void TqlSharedStateTraceMsg(int level, LPCWSTR format, ...);

// Silences the traces above on the calling thread while it lives; used while
// the tracer's own slot is being built.
class CTqlSharedStateQuiet {
public:
    CTqlSharedStateQuiet() noexcept;
    ~CTqlSharedStateQuiet();
    CTqlSharedStateQuiet(const CTqlSharedStateQuiet&) = delete;
    CTqlSharedStateQuiet& operator=(const CTqlSharedStateQuiet&) = delete;

private:
    bool m_bWasQuiet;
};

// The low 32 bits of an address, as the "0x%X" of the trace texts shows it.
inline DWORD TqlTraceAddress(const void* address) noexcept {
    return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(address));
}

}  // namespace ql
