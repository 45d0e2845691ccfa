#include "support/sync/semaphore.h"

#include "support/platform/system_wrappers.h"
#include "support/trace/trace.h"

namespace ql {

CTqlSemaphore::CTqlSemaphore(LONG initial, LONG maximum, LPCWSTR name,
                             TqlSecurityAttributes* securityAttributes) noexcept {
    m_hSemaphore = _CreateSemaphore(securityAttributes, initial, maximum, name);
    if (m_hSemaphore == nullptr) {
        m_dwCreateError = GetLastError();
        TqlTraceErrorMsg(kTqlRuntimeComponent,
                         L"CTqlSemaphore::CTqlSemaphore() : _CreateSemaphore() failed, "
                         L"err=%1!d! (%1!Z!)",
                         m_dwCreateError);
    }
}

CTqlSemaphore::~CTqlSemaphore() {
    if (m_hSemaphore != nullptr) CloseHandle(m_hSemaphore);
}

bool CTqlSemaphore::WaitFor(DWORD timeoutMs) noexcept {
    DWORD result = WaitForSingleObject(m_hSemaphore, timeoutMs);
    if (result == WAIT_FAILED) {
        DWORD error = GetLastError();
        TqlTraceErrorMsg(kTqlRuntimeComponent,
                         L"CTqlSemaphore::WaitFor() : _WaitForSingleObject() WAIT_FAILED, "
                         L"err=%1!d! (%1!Z!)",
                         error);
        SetLastError(error);
    }
    return result == WAIT_OBJECT_0;
}

bool CTqlSemaphore::Release(LONG count) noexcept {
    // Not every system refuses a count of 0 itself.
    if (count > 0 && ReleaseSemaphore(m_hSemaphore, count, nullptr)) return true;
    DWORD error = count > 0 ? GetLastError() : ERROR_INVALID_PARAMETER;
    TqlTraceErrorMsg(kTqlRuntimeComponent,
                     L"CTqlSemaphore::Release(%1!d!) : _ReleaseSemaphore() WAIT_FAILED, "
                     L"err=%2!d! (%2!Z!)",
                     count, error);
    SetLastError(error);
    return false;
}

}  // namespace ql
