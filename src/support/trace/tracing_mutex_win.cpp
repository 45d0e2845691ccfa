#include "support/trace/tracing_mutex.h"

#include "support/base/com_types.h"
#include "support/platform/security_attributes.h"
#include "support/trace/trace_platform.h"

namespace ql {

CTqlTracingMutex::CTqlTracingMutex() noexcept {
    LPCWSTR name = TqlTraceHasTerminalServices() ? L"Global\\TqlTracingMutex" : L"TqlTracingMutex";
    HANDLE mutex = CreateMutexW(TqlGetEveryoneSecurityAttributes(), FALSE, name);
    if (mutex == nullptr) return;
    m_lock = reinterpret_cast<std::intptr_t>(mutex);
    m_open = true;
    DWORD wait = WaitForSingleObject(mutex, INFINITE);
    m_held = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

CTqlTracingMutex::~CTqlTracingMutex() {
    if (!m_open) return;
    DWORD error = GetLastError();
    HANDLE mutex = reinterpret_cast<HANDLE>(m_lock);
    if (m_held) ReleaseMutex(mutex);
    CloseHandle(mutex);
    SetLastError(error);
}

}  // namespace ql
