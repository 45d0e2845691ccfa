// A counting semaphore whose failures are traced, and the module's send
// semaphore.
#pragma once

#include "support/base/com_types.h"
#include "support/platform/security_attributes.h"

namespace ql {

class CTqlSemaphore {
public:
    // A null name gives an unnamed semaphore. Semaphores of one name share one
    // count (on Windows across the session's processes, elsewhere within the
    // process); opening an existing one ignores initial and maximum. A failure
    // to create is traced; every WaitFor and Release then fails.
    CTqlSemaphore(LONG initial, LONG maximum, LPCWSTR name = nullptr,
                  TqlSecurityAttributes* securityAttributes = nullptr) noexcept;
    ~CTqlSemaphore();
    CTqlSemaphore(const CTqlSemaphore&) = delete;
    CTqlSemaphore& operator=(const CTqlSemaphore&) = delete;

    // True when a count was taken within timeoutMs (kTqlInfinite: no limit);
    // false on time-out, or on failure, which is traced.
    bool WaitFor(DWORD timeoutMs) noexcept;
    // Gives back count (> 0) counts; false, traced, when that would pass the
    // maximum or the semaphore is unusable.
    bool Release(LONG count) noexcept;
    // 0 when the semaphore was created, else the error of creating it.
    DWORD CreateError() const noexcept { return m_dwCreateError; }

private:
    // The system semaphore; on POSIX the library's own semaphore object.
    HANDLE m_hSemaphore = nullptr;
    DWORD m_dwCreateError = 0;
};

// The module's send semaphore (initial count 1, maximum 1, unnamed), created
// when the module loads: at most one holder at a time.
CTqlSemaphore& TqlSendSemaphore();

}  // namespace ql
