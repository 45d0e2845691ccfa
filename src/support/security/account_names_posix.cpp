#include "support/security/account_names.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "support/base/wide_string.h"
#include "support/platform/system_wrappers.h"

namespace ql {

namespace {

// The Unix mapping: S-1-22-1-<uid> users, S-1-22-2-<gid> groups.
constexpr std::uint64_t kUnixAuthority = 22;
constexpr DWORD kUnixUsers = 1;
constexpr DWORD kUnixGroups = 2;
constexpr std::uint64_t kWorldAuthority = 1;  // S-1-1-0, Everyone

// A user or group record larger than this is not a sane database entry; the
// buffer for it grows no further.
constexpr std::size_t kMaxRecordBytes = 1 << 20;
constexpr std::size_t kFirstRecordBytes = 1024;

// Reads one database record through a getpwuid_r-style call, growing the
// buffer while it is too small. Returns 0 with found set, 0 with found clear
// when there is no such record, or an error.
template <typename Record, typename Reader>
DWORD ReadRecord(int sizeHint, Reader read, Record& record, std::vector<char>& storage,
                 bool& found) {
    long hint = sysconf(sizeHint);
    std::size_t bytes = hint > 0 && static_cast<std::size_t>(hint) <= kMaxRecordBytes
                            ? static_cast<std::size_t>(hint)
                            : kFirstRecordBytes;
    for (;;) {
        storage.resize(bytes);
        Record* result = nullptr;
        int error = read(&record, storage.data(), storage.size(), &result);
        if (error == ERANGE && bytes < kMaxRecordBytes) {
            bytes *= 2;
            continue;
        }
        // Some systems report "no such entry" as one of these errors.
        if (error == ENOENT || error == ESRCH || error == EBADF || error == EPERM ||
            (error == 0 && result == nullptr)) {
            found = false;
            return 0;
        }
        if (error != 0) return TqlErrorFromErrno(error);
        found = true;
        return 0;
    }
}

DWORD CopyName(const WString& text, LPWSTR buffer, DWORD size) {
    if (buffer == nullptr || text.size() >= size) return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(buffer, text.data(), text.size() * sizeof(WCHAR));
    buffer[text.size()] = 0;
    return 0;
}

DWORD LookupUnix(DWORD kind, DWORD id, WString& name, DWORD& use) {
    std::vector<char> storage;
    bool found = false;
    DWORD error;
    if (kind == kUnixUsers) {
        passwd record{};
        error = ReadRecord(
            _SC_GETPW_R_SIZE_MAX,
            [id](passwd* out, char* buffer, std::size_t bytes, passwd** result) {
                return getpwuid_r(static_cast<uid_t>(id), out, buffer, bytes, result);
            },
            record, storage, found);
        if (error == 0 && found) name = FromUtf8(record.pw_name);
        use = kTqlSidTypeUser;
    } else {
        group record{};
        error = ReadRecord(
            _SC_GETGR_R_SIZE_MAX,
            [id](group* out, char* buffer, std::size_t bytes, group** result) {
                return getgrgid_r(static_cast<gid_t>(id), out, buffer, bytes, result);
            },
            record, storage, found);
        if (error == 0 && found) name = FromUtf8(record.gr_name);
        use = kTqlSidTypeGroup;
    }
    if (error != 0) return error;
    return found ? 0 : kTqlErrorNoneMapped;
}

DWORD LookupAccount(const TqlSidParts& parts, LPWSTR name, DWORD nameSize, LPWSTR domain,
                    DWORD domainSize, DWORD* nameUse) {
    WString accountName;
    WString domainName;
    DWORD use = 0;
    if (parts.authority == kWorldAuthority && parts.subAuthorityCount == 1 &&
        parts.subAuthorities[0] == 0) {
        accountName = OLESTR("Everyone");
        use = kTqlSidTypeWellKnownGroup;
    } else if (parts.authority == kUnixAuthority && parts.subAuthorityCount == 2 &&
               (parts.subAuthorities[0] == kUnixUsers || parts.subAuthorities[0] == kUnixGroups)) {
        DWORD error =
            LookupUnix(parts.subAuthorities[0], parts.subAuthorities[1], accountName, use);
        if (error != 0) return error;
        WCHAR computer[kTqlMaxNameChars];
        DWORD chars = kTqlMaxNameChars;
        error = TqlGetComputerName(computer, &chars);
        if (error != 0) return error;
        domainName.assign(computer, chars);
    } else {
        return kTqlErrorNoneMapped;
    }
    if (accountName.size() >= nameSize || domainName.size() >= domainSize)
        return ERROR_INSUFFICIENT_BUFFER;
    CopyName(accountName, name, nameSize);
    CopyName(domainName, domain, domainSize);
    if (nameUse != nullptr) *nameUse = use;
    return 0;
}

}  // namespace

DWORD TqlLookupAccountSid(const void* sid, LPWSTR name, DWORD nameSize, LPWSTR domain,
                          DWORD domainSize, DWORD* nameUse) noexcept {
    if (name == nullptr || domain == nullptr) return ERROR_INVALID_PARAMETER;
    TqlSidParts parts;
    if (!TqlParseSid(sid, parts)) return kTqlErrorInvalidSid;
    try {
        return LookupAccount(parts, name, nameSize, domain, domainSize, nameUse);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD TqlGetComputerName(LPWSTR buffer, DWORD* size) noexcept {
    if (size == nullptr || (buffer == nullptr && *size != 0)) return ERROR_INVALID_PARAMETER;
    if (_GetComputerName(buffer, size)) return 0;
    DWORD error = _GetLastError();
    return error != 0 ? error : kTqlErrorGenFailure;  // a failure is never success
}

}  // namespace ql
