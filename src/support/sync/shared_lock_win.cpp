// The lock is made of three kernel objects: a mutex that a writer holds for
// its whole tenure and a reader only while it counts itself in or out, a
// semaphore whose count is the number of readers, and a manual-reset event
// that is signalled while there are none.
#include "support/sync/shared_lock.h"

#include <atomic>
#include <new>
#include <string>

#include "support/platform/platform.h"
#include "support/platform/system_wrappers.h"

namespace ql {

namespace {

constexpr DWORD kMaxReaders = 0x7FFFFFFF;

// Named objects of a system with terminal services go into the global
// namespace, so that every session meets the same lock.
std::wstring ObjectName(LPCWSTR name, const wchar_t* suffix) {
    std::wstring full = TqlHasTerminalServices() ? L"Global\\" : L"";
    full += name;
    full += suffix;
    return full;
}

bool Acquired(DWORD waitResult, DWORD objects) {
    return waitResult < WAIT_OBJECT_0 + objects ||
           (waitResult >= WAIT_ABANDONED_0 && waitResult < WAIT_ABANDONED_0 + objects);
}

DWORD WaitError(DWORD waitResult) {
    return waitResult == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError();
}

}  // namespace

struct CTqlSharedLock::State {
    HANDLE mutex = nullptr;
    HANDLE noReaders = nullptr;
    HANDLE readers = nullptr;
    std::atomic<DWORD> owner{0};
    LONG recursion = 0;  // of the owner; touched only by it

    ~State() {
        for (HANDLE handle : {mutex, noReaders, readers})
            if (handle != nullptr) CloseHandle(handle);
    }
};

CTqlSharedLock::CTqlSharedLock(LPCWSTR name, TqlSecurityAttributes* securityAttributes) noexcept {
    try {
        m_state = std::make_unique<State>();
        std::wstring mutexName, eventName, semaphoreName;
        if (name != nullptr) {
            mutexName = ObjectName(name, L"_Mutex");
            eventName = ObjectName(name, L"_Event");
            semaphoreName = ObjectName(name, L"_Sema");
        }
        auto nameOrNull = [name](const std::wstring& text) {
            return name == nullptr ? nullptr : text.c_str();
        };
        m_state->mutex = _CreateMutex(securityAttributes, FALSE, nameOrNull(mutexName));
        if (m_state->mutex != nullptr)
            m_state->noReaders =
                _CreateEvent(securityAttributes, TRUE, TRUE, nameOrNull(eventName));
        if (m_state->noReaders != nullptr)
            m_state->readers =
                _CreateSemaphore(securityAttributes, 0, kMaxReaders, nameOrNull(semaphoreName));
        if (m_state->readers == nullptr) {
            m_dwCreateError = GetLastError();
            m_state.reset();
        }
    } catch (const std::bad_alloc&) {
        m_dwCreateError = ERROR_NOT_ENOUGH_MEMORY;
        m_state.reset();
    }
}

CTqlSharedLock::~CTqlSharedLock() = default;

DWORD CTqlSharedLock::AcquireShared(DWORD timeoutMs) noexcept {
    if (m_state == nullptr) return m_dwCreateError;
    DWORD waited = WaitForSingleObject(m_state->mutex, timeoutMs);
    if (!Acquired(waited, 1)) return WaitError(waited);
    LONG before = 0;
    DWORD result = 0;
    if (!ReleaseSemaphore(m_state->readers, 1, &before))
        result = GetLastError();
    else if (before == 0)
        ResetEvent(m_state->noReaders);
    ReleaseMutex(m_state->mutex);
    return result;
}

DWORD CTqlSharedLock::ReleaseShared(DWORD timeoutMs) noexcept {
    if (m_state == nullptr) return m_dwCreateError;
    DWORD waited = WaitForSingleObject(m_state->mutex, timeoutMs);
    if (!Acquired(waited, 1)) return WaitError(waited);
    // Under the mutex the reader count cannot change; a count of 0 means an
    // unbalanced release, which must not wait for a reader to appear.
    DWORD result = 0;
    if (WaitForSingleObject(m_state->readers, 0) != WAIT_OBJECT_0) {
        result = ERROR_NOT_OWNER;
    } else {
        // Raise and take again to learn how many readers are left.
        LONG left = 0;
        if (ReleaseSemaphore(m_state->readers, 1, &left)) {
            WaitForSingleObject(m_state->readers, 0);
            if (left == 0) SetEvent(m_state->noReaders);
        }
    }
    ReleaseMutex(m_state->mutex);
    return result;
}

DWORD CTqlSharedLock::AcquireExclusive(DWORD timeoutMs) noexcept {
    if (m_state == nullptr) return m_dwCreateError;
    HANDLE both[2] = {m_state->mutex, m_state->noReaders};
    DWORD waited = WaitForMultipleObjects(2, both, TRUE, timeoutMs);
    if (!Acquired(waited, 2)) return WaitError(waited);
    ++m_state->recursion;
    m_state->owner.store(GetCurrentThreadId(), std::memory_order_relaxed);
    return 0;
}

DWORD CTqlSharedLock::ReleaseExclusive() noexcept {
    if (m_state == nullptr) return m_dwCreateError;
    // The id is cleared before the mutex goes, so that it never erases the
    // next holder's. A thread that acquired through another object of the same
    // name is known only to the mutex, which refuses every other thread (288).
    if (m_state->owner.load(std::memory_order_relaxed) == GetCurrentThreadId() &&
        --m_state->recursion == 0)
        m_state->owner.store(0, std::memory_order_relaxed);
    return ReleaseMutex(m_state->mutex) ? 0 : GetLastError();
}

DWORD CTqlSharedLock::ExclusiveOwner() const noexcept {
    return m_state == nullptr ? 0 : m_state->owner.load(std::memory_order_relaxed);
}

}  // namespace ql
