#include "support/platform/system_wrappers.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/base/wide_string.h"
#include "support/base/win32_errors.h"
#include "support/platform/debug_output.h"

namespace ql {

namespace {

// Each thread's last error, as GetLastError keeps it on Windows.
thread_local DWORD t_lastError = 0;

BOOL FailWith(DWORD error) {
    t_lastError = error;
    return FALSE;
}

BOOL FailWithErrno() { return FailWith(TqlErrorFromErrno(errno)); }

// Runs a wrapper's body; a failed allocation is the not-enough-memory failure.
template <typename Result, typename Body>
Result Guarded(Result onFailure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        t_lastError = ERROR_NOT_ENOUGH_MEMORY;
        return onFailure;
    }
}

// A path for the system calls; a null path is the invalid-parameter failure.
bool ToSystemPath(LPCWSTR path, std::string* out) {
    if (path == nullptr) {
        t_lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    *out = ToUtf8(WStringView(path));
    return true;
}

// Copies text into a caller's buffer of *chars characters.
bool CopyOut(const WString& text, LPWSTR buffer, DWORD available) {
    if (buffer == nullptr || text.size() + 1 > available) return false;
    buffer[text.copy(buffer, text.size())] = 0;
    return true;
}

}  // namespace

DWORD _GetLastError() noexcept { return t_lastError; }
void _SetLastError(DWORD error) noexcept { t_lastError = error; }

void _OutputDebugString(LPCWSTR text) noexcept {
    if (text != nullptr) TqlDebugOutput(text);
}

BOOL _GetUserName(LPWSTR buffer, LPDWORD chars) noexcept {
    return Guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (chars == nullptr) return FailWith(ERROR_INVALID_PARAMETER);
        long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
        // The password database's record size limit, when it states none.
        constexpr std::size_t kDefaultRecordBytes = 16384;
        std::vector<char> record(suggested > 0 ? static_cast<std::size_t>(suggested)
                                               : kDefaultRecordBytes);
        passwd entry{};
        passwd* found = nullptr;
        int error = ::getpwuid_r(::geteuid(), &entry, record.data(), record.size(), &found);
        if (error != 0) return FailWith(TqlErrorFromErrno(error));
        if (found == nullptr || found->pw_name == nullptr) return FailWith(kTqlErrorNoneMapped);
        WString name = FromUtf8(found->pw_name);
        if (!CopyOut(name, buffer, *chars)) {
            *chars = static_cast<DWORD>(name.size() + 1);
            return FailWith(kTqlErrorInsufficientBuffer);
        }
        *chars = static_cast<DWORD>(name.size() + 1);
        return TRUE;
    });
}

BOOL _GetComputerName(LPWSTR buffer, LPDWORD chars) noexcept {
    return Guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (chars == nullptr) return FailWith(ERROR_INVALID_PARAMETER);
        char host[HOST_NAME_MAX + 1] = {};
        if (::gethostname(host, sizeof host - 1) != 0) return FailWithErrno();
        std::string shortName(host);
        shortName = shortName.substr(0, shortName.find('.'));
        WString name = FromUtf8(shortName);
        if (!CopyOut(name, buffer, *chars)) {
            *chars = static_cast<DWORD>(name.size() + 1);
            return FailWith(kTqlErrorBufferOverflow);
        }
        *chars = static_cast<DWORD>(name.size());
        return TRUE;
    });
}

BOOL _DeleteFile(LPCWSTR path) noexcept {
    return Guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string file;
        if (!ToSystemPath(path, &file)) return FALSE;
        return ::unlink(file.c_str()) == 0 ? TRUE : FailWithErrno();
    });
}

BOOL _MoveFile(LPCWSTR from, LPCWSTR to) noexcept {
    return Guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string source;
        std::string target;
        if (!ToSystemPath(from, &source) || !ToSystemPath(to, &target)) return FALSE;
        if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return TRUE;
        if (errno != EINVAL && errno != ENOSYS) return FailWithErrno();
        // File systems without the no-replace rename: check, then rename.
        struct stat existing {};
        if (::lstat(target.c_str(), &existing) == 0) return FailWith(kTqlErrorAlreadyExists);
        return ::rename(source.c_str(), target.c_str()) == 0 ? TRUE : FailWithErrno();
    });
}

DWORD _GetFileAttributes(LPCWSTR path) noexcept {
    return Guarded<DWORD>(kTqlInvalidFileAttributes, [&]() -> DWORD {
        std::string file;
        if (!ToSystemPath(path, &file)) return kTqlInvalidFileAttributes;
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0) {
            t_lastError = TqlErrorFromErrno(errno);
            return kTqlInvalidFileAttributes;
        }
        DWORD attributes = 0;
        if (S_ISDIR(info.st_mode)) attributes |= kTqlFileAttributeDirectory;
        if ((info.st_mode & S_IWUSR) == 0) attributes |= kTqlFileAttributeReadOnly;
        return attributes == 0 ? kTqlFileAttributeNormal : attributes;
    });
}

BOOL _SetFileAttributes(LPCWSTR path, DWORD attributes) noexcept {
    return Guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string file;
        if (!ToSystemPath(path, &file)) return FALSE;
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0) return FailWithErrno();
        mode_t mode = info.st_mode & 07777;
        if ((attributes & kTqlFileAttributeReadOnly) != 0)
            mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
        else
            mode |= S_IWUSR;
        return ::chmod(file.c_str(), mode) == 0 ? TRUE : FailWithErrno();
    });
}

DWORD _GetCurrentDirectory(DWORD chars, LPWSTR buffer) noexcept {
    return Guarded<DWORD>(0, [&]() -> DWORD {
        std::vector<char> path(PATH_MAX);
        // A directory deeper than PATH_MAX: grow to a bound that no real path
        // reaches.
        constexpr std::size_t kMaxPathBytes = 1u << 20;
        while (::getcwd(path.data(), path.size()) == nullptr) {
            if (errno != ERANGE || path.size() >= kMaxPathBytes) {
                t_lastError = TqlErrorFromErrno(errno);
                return 0;
            }
            path.resize(path.size() * 2);
        }
        WString text = FromUtf8(path.data());
        if (!CopyOut(text, buffer, chars)) return static_cast<DWORD>(text.size() + 1);
        return static_cast<DWORD>(text.size());
    });
}

BOOL _SetCurrentDirectory(LPCWSTR path) noexcept {
    return Guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string directory;
        if (!ToSystemPath(path, &directory)) return FALSE;
        return ::chdir(directory.c_str()) == 0 ? TRUE : FailWithErrno();
    });
}

TqlModule _LoadLibrary(LPCWSTR name) noexcept {
    return Guarded<TqlModule>(nullptr, [&]() -> TqlModule {
        std::string file;
        if (!ToSystemPath(name, &file)) return nullptr;
        return TqlLoadModule(file.c_str());
    });
}

}  // namespace ql
