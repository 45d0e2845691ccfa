#include "support/security/account_names.h"

#include <winsock2.h>

#include "support/base/win32_errors.h"
#include "support/platform/system_wrappers.h"

namespace ql {

namespace {

// The thread's last error after a failed call; a failure that left no code
// is still reported as one.
DWORD LastErrorOfFailure() {
    DWORD error = GetLastError();
    return error != 0 ? error : kTqlErrorGenFailure;
}

// Holds the socket library started (version 1.1) for its lifetime.
class CSocketLibrary {
public:
    CSocketLibrary() noexcept {
        WSADATA data{};
        m_error = static_cast<DWORD>(_WSAStartup(0x101, &data));
    }
    ~CSocketLibrary() {
        if (m_error == 0) _WSACleanup();
    }
    CSocketLibrary(const CSocketLibrary&) = delete;
    CSocketLibrary& operator=(const CSocketLibrary&) = delete;

    DWORD Error() const noexcept { return m_error; }

private:
    DWORD m_error = 0;
};

// The host name from the socket library, converted into the caller's buffer.
DWORD ReadHostName(LPWSTR buffer, DWORD* size) {
    CSocketLibrary sockets;
    if (sockets.Error() != 0) return sockets.Error();
    char host[kTqlMaxNameChars] = {};
    if (_gethostname(host, static_cast<int>(sizeof host)) != 0) {
        DWORD error = static_cast<DWORD>(_WSAGetLastError());
        return error != 0 ? error : kTqlErrorGenFailure;
    }
    host[sizeof host - 1] = 0;
    int needed = MultiByteToWideChar(CP_ACP, 0, host, -1, nullptr, 0);
    if (needed <= 0) return LastErrorOfFailure();
    if (static_cast<DWORD>(needed) > *size) {
        *size = static_cast<DWORD>(needed);
        return kTqlErrorBufferOverflow;
    }
    if (MultiByteToWideChar(CP_ACP, 0, host, -1, buffer, needed) != needed)
        return LastErrorOfFailure();
    *size = static_cast<DWORD>(needed - 1);
    return 0;
}

}  // namespace

DWORD TqlLookupAccountSid(const void* sid, LPWSTR name, DWORD nameSize, LPWSTR domain,
                          DWORD domainSize, DWORD* nameUse) noexcept {
    if (name == nullptr || domain == nullptr) return ERROR_INVALID_PARAMETER;
    TqlSidParts parts;
    if (!TqlParseSid(sid, parts)) return kTqlErrorInvalidSid;
    DWORD nameChars = nameSize;
    DWORD domainChars = domainSize;
    SID_NAME_USE use = SidTypeUnknown;
    if (!LookupAccountSidW(nullptr, const_cast<PSID>(sid), name, &nameChars, domain, &domainChars,
                           &use))
        return LastErrorOfFailure();
    if (nameUse != nullptr) *nameUse = static_cast<DWORD>(use);
    return 0;
}

DWORD TqlGetComputerName(LPWSTR buffer, DWORD* size) noexcept {
    if (size == nullptr || (buffer == nullptr && *size != 0)) return ERROR_INVALID_PARAMETER;
    DWORD chars = *size;
    if (_GetComputerName(buffer, &chars)) {
        *size = chars;
        return 0;
    }
    DWORD error = LastErrorOfFailure();
    if (error == kTqlErrorBufferOverflow) {
        *size = chars;
        return error;
    }
    return ReadHostName(buffer, size);
}

static_assert(kTqlSidTypeUser == SidTypeUser && kTqlSidTypeGroup == SidTypeGroup &&
              kTqlSidTypeAlias == SidTypeAlias &&
              kTqlSidTypeWellKnownGroup == SidTypeWellKnownGroup);
static_assert(kTqlMaxSubAuthorities == SID_MAX_SUB_AUTHORITIES && kTqlSidRevision == SID_REVISION);
static_assert(kTqlComputerNameChars == MAX_COMPUTERNAME_LENGTH + 1);

}  // namespace ql
