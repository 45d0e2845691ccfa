#include "support/shared_state/shared_memory.h"

#include <cstdarg>

#include "support/base/win32_errors.h"
#include "support/trace/trace.h"

namespace ql {

namespace {

// Set while this thread is inside one of the shared-state traces or a quiet
// section.
thread_local bool t_bInsideTrace = false;

LPCWSTR OrNull(LPCWSTR text) { return text != nullptr ? text : OLESTR("<null>"); }

void TraceV(int level, LPCWSTR format, va_list args, bool insertStyle) {
    if (t_bInsideTrace) return;
    t_bInsideTrace = true;
    TqlTraceV(kTqlRuntimeComponent, level, format, args, insertStyle);
    t_bInsideTrace = false;
}

void AppendHex(WString& out, DWORD value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    WCHAR digits[8];
    int count = 0;
    do {
        digits[count++] = static_cast<WCHAR>(kDigits[value & 0xFu]);
        value >>= 4;
    } while (value != 0);
    while (count > 0) out += digits[--count];
}

}  // namespace

void TqlSharedStateTrace(int level, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    TraceV(level, format, args, false);
    va_end(args);
}

void TqlSharedStateTraceMsg(int level, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    TraceV(level, format, args, true);
    va_end(args);
}

CTqlSharedStateQuiet::CTqlSharedStateQuiet() noexcept : m_bWasQuiet(t_bInsideTrace) {
    t_bInsideTrace = true;
}

CTqlSharedStateQuiet::~CTqlSharedStateQuiet() { t_bInsideTrace = m_bWasQuiet; }

CTqlSharedMemory::~CTqlSharedMemory() { Close(); }

DWORD CTqlSharedMemory::Create(LPCWSTR name, DWORD size, LPCWSTR mutexName, LPCVOID initialData,
                               TqlSecurityAttributes* security, BOOL readOnly, HANDLE file,
                               DWORD sizeHigh, DWORD timeout) {
    DWORD result = 0;
    if (size == 0 && sizeHigh == 0)
        result = kTqlErrorInvalidParameter;
    else if (m_hMapping != nullptr)
        result = kTqlErrorAlreadyInitialized;
    else
        result = CreateObjects(name, size, mutexName, initialData, security, readOnly, file,
                               sizeHigh, timeout);
    TqlSharedStateTrace(kTqlLevelInfo, OLESTR("CTqlSharedMemory::Create(%s, %i, %s) result - %i"),
                        OrNull(name), size, OrNull(mutexName), result);
    return result;
}

void CTqlSharedMemory::Close() noexcept {
    if (m_hMapping != nullptr) CloseMapping(m_hMapping, m_pView);
    m_hMapping = nullptr;
    m_pView = nullptr;
    m_dwSizeLow = 0;
    m_dwSizeHigh = 0;
    if (m_hMutex != nullptr) {
        // Only the owning thread's releases succeed; another thread's locks
        // stay its own business.
        while (m_lHeldLocks.load() > 0 && UnlockMutex(m_hMutex) == 0) --m_lHeldLocks;
        CloseMutex(m_hMutex);
        m_hMutex = nullptr;
    }
}

DWORD CTqlSharedMemory::Lock(DWORD timeout) noexcept {
    if (m_hMutex == nullptr) return 0;
    DWORD result = LockMutex(m_hMutex, timeout);
    if (result == 0) ++m_lHeldLocks;
    return result;
}

DWORD CTqlSharedMemory::Unlock() noexcept {
    if (m_hMutex == nullptr) return 0;
    DWORD result = UnlockMutex(m_hMutex);
    if (result == 0) --m_lHeldLocks;
    return result;
}

WString CTqlSharedMemory::ProcessObjectName(LPCWSTR pattern, LPCWSTR name) {
    WString out;
    for (LPCWSTR p = pattern; *p != 0; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            if (name != nullptr) out += name;
            ++p;
        } else if (p[0] == '%' && p[1] == 'X') {
            AppendHex(out, CurrentProcessId());
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

CTqlSharedMemory::CShield::CShield(CTqlSharedMemory& memory, bool lock, DWORD timeout) noexcept
    : m_memory(memory) {
    if (!lock) return;
    m_dwResult = m_memory.Lock(timeout);
    m_bLocked = m_dwResult == 0;
}

CTqlSharedMemory::CShield::~CShield() {
    if (m_bLocked) m_memory.Unlock();
}

}  // namespace ql
