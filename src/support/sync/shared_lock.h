// A shared/exclusive lock: any number of readers, or one writer who keeps new
// readers out for as long as it holds the lock.
#pragma once

#include <memory>

#include "support/base/com_types.h"
#include "support/platform/security_attributes.h"
#include "support/sync/semaphore.h"

namespace ql {

class CTqlSharedLock {
public:
    // A null name gives an unnamed lock. Locks of one name are one lock (on
    // Windows machine-wide for the objects "<name>_Mutex", "<name>_Event" and
    // "<name>_Sema", in the global namespace where terminal services run;
    // elsewhere within the process). A failure to create makes every
    // operation return CreateError().
    explicit CTqlSharedLock(LPCWSTR name = nullptr,
                            TqlSecurityAttributes* securityAttributes = nullptr) noexcept;
    ~CTqlSharedLock();
    CTqlSharedLock(const CTqlSharedLock&) = delete;
    CTqlSharedLock& operator=(const CTqlSharedLock&) = delete;

    // Each acquisition and release returns 0, 1460 when the time-out
    // (kTqlInfinite: none) passed first, or an error code. An abandoned
    // Windows mutex counts as acquired.
    DWORD AcquireShared(DWORD timeoutMs) noexcept;
    // 288 when no reader holds the lock.
    DWORD ReleaseShared(DWORD timeoutMs) noexcept;
    // The holder may acquire again (shared or exclusive) and must release as
    // often. Waits until no reader is left.
    DWORD AcquireExclusive(DWORD timeoutMs) noexcept;
    // 288 when the calling thread does not hold the lock exclusively.
    DWORD ReleaseExclusive() noexcept;
    // The id of the thread that holds the lock exclusively, 0 when none.
    DWORD ExclusiveOwner() const noexcept;
    DWORD CreateError() const noexcept { return m_dwCreateError; }

private:
    struct State;
    std::unique_ptr<State> m_state;
    DWORD m_dwCreateError = 0;
};

// Holds a lock shared for the guard's life; Result() tells whether it does.
class CTqlSharedGuard {
public:
    CTqlSharedGuard(CTqlSharedLock& lock, DWORD timeoutMs) noexcept
        : m_lock(lock), m_dwResult(lock.AcquireShared(timeoutMs)) {}
    ~CTqlSharedGuard() {
        if (m_dwResult == 0) m_lock.ReleaseShared(kTqlInfinite);
    }
    CTqlSharedGuard(const CTqlSharedGuard&) = delete;
    CTqlSharedGuard& operator=(const CTqlSharedGuard&) = delete;
    DWORD Result() const noexcept { return m_dwResult; }

private:
    CTqlSharedLock& m_lock;
    DWORD m_dwResult;
};

// Holds a lock exclusively for the guard's life; Result() tells whether it does.
class CTqlExclusiveGuard {
public:
    CTqlExclusiveGuard(CTqlSharedLock& lock, DWORD timeoutMs) noexcept
        : m_lock(lock), m_dwResult(lock.AcquireExclusive(timeoutMs)) {}
    ~CTqlExclusiveGuard() {
        if (m_dwResult == 0) m_lock.ReleaseExclusive();
    }
    CTqlExclusiveGuard(const CTqlExclusiveGuard&) = delete;
    CTqlExclusiveGuard& operator=(const CTqlExclusiveGuard&) = delete;
    DWORD Result() const noexcept { return m_dwResult; }

private:
    CTqlSharedLock& m_lock;
    DWORD m_dwResult;
};

}  // namespace ql
