#include "support/registry/registry_file_posix.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "support/base/win32_errors.h"
#include "support/platform/system_wrappers.h"
#include "support/registry/registry.h"

namespace ql {

namespace {

// Closes a file descriptor.
class CUniqueFd {
public:
    explicit CUniqueFd(int fd = -1) noexcept : m_fd(fd) {}
    ~CUniqueFd() { Reset(); }
    CUniqueFd(const CUniqueFd&) = delete;
    CUniqueFd& operator=(const CUniqueFd&) = delete;

    int Get() const noexcept { return m_fd; }
    bool Valid() const noexcept { return m_fd >= 0; }
    // Closes now and reports whether the close succeeded (a write error can
    // surface only here).
    bool Close() noexcept {
        int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }
    void Reset() noexcept {
        if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
    }

private:
    int m_fd;
};

// Holds an exclusive flock on an open file until destroyed.
class CFileLock {
public:
    explicit CFileLock(int fd) noexcept : m_fd(fd) {
        int result;
        do {
            result = ::flock(m_fd, LOCK_EX);
        } while (result != 0 && errno == EINTR);
        m_locked = result == 0;
        m_error = m_locked ? 0 : TqlErrorFromErrno(errno);
    }
    ~CFileLock() {
        if (m_locked) ::flock(m_fd, LOCK_UN);
    }
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    DWORD Error() const noexcept { return m_error; }

private:
    int m_fd;
    bool m_locked = false;
    DWORD m_error = 0;
};

// Removes a temporary file unless it was renamed into place.
class CTempFileGuard {
public:
    explicit CTempFileGuard(std::string path) : m_path(std::move(path)) {}
    ~CTempFileGuard() {
        if (!m_path.empty()) ::unlink(m_path.c_str());
    }
    CTempFileGuard(const CTempFileGuard&) = delete;
    CTempFileGuard& operator=(const CTempFileGuard&) = delete;
    void Dismiss() { m_path.clear(); }

private:
    std::string m_path;
};

DWORD LastErrno() { return TqlErrorFromErrno(errno); }

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> record(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, record.data(), record.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr)
        return found->pw_dir;
    return {};
}

std::string HivePath(const std::string& directory, TqlRegistryHiveId hive) {
    return directory + "/" + TqlRegistryHiveFileName(hive);
}

// Reads a whole file; a missing one reads as empty.
DWORD ReadFile(const std::string& path, std::string* contents) {
    contents->clear();
    CUniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return errno == ENOENT || errno == ENOTDIR ? 0 : LastErrno();
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return LastErrno();
    if (!S_ISREG(info.st_mode)) return kTqlErrorRegistryCorrupt;
    if (static_cast<unsigned long long>(info.st_size) > kTqlMaxHiveFileBytes)
        return kTqlErrorRegistryCorrupt;
    char chunk[65536];
    for (;;) {
        ssize_t got = ::read(fd.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return LastErrno();
        if (got == 0) return 0;
        if (contents->size() + static_cast<std::size_t>(got) > kTqlMaxHiveFileBytes)
            return kTqlErrorRegistryCorrupt;
        contents->append(chunk, static_cast<std::size_t>(got));
    }
}

DWORD WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return written < 0 ? LastErrno() : kTqlErrorRegistryIoFailed;
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

// Replaces the hive file with text: a temporary file in the same directory,
// flushed to disk, renamed over the old file, and the directory flushed so
// that the rename itself survives a crash.
DWORD ReplaceFile(const std::string& directory, const std::string& path, const std::string& text) {
    std::string pattern = path + ".XXXXXX";
    CUniqueFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.Valid()) return LastErrno();
    CTempFileGuard guard(pattern);
    if (DWORD result = WriteAll(fd.Get(), text); result != 0) return result;
    if (::fsync(fd.Get()) != 0) return LastErrno();
    if (!fd.Close()) return LastErrno();
    if (::rename(pattern.c_str(), path.c_str()) != 0) return LastErrno();
    guard.Dismiss();
    CUniqueFd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) ::fsync(dir.Get());
    return 0;
}

}  // namespace

DWORD TqlRegistryStoreDirectory(std::string* directory) {
    const char* configured = std::getenv(kTqlRegistryDirVariable);
    if (configured != nullptr && *configured != '\0') {
        *directory = configured;
        return 0;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        *directory = std::string(config) + "/quillon/registry";
        return 0;
    }
    std::string home = HomeDirectory();
    if (home.empty()) return kTqlErrorPathNotFound;
    *directory = home + "/.config/quillon/registry";
    return 0;
}

std::string TqlRegistryHiveFileName(TqlRegistryHiveId hive) {
    switch (hive) {
        case TqlRegistryHiveId::kLocalMachine:
            return "HKEY_LOCAL_MACHINE.txt";
        case TqlRegistryHiveId::kCurrentUser:
            return "HKEY_CURRENT_USER.txt";
        case TqlRegistryHiveId::kUsers:
            return "HKEY_USERS.txt";
    }
    return "HKEY_UNKNOWN.txt";
}

DWORD TqlLoadRegistryHive(TqlRegistryHiveId hive, CTqlRegistryHive* contents) {
    std::string directory;
    if (DWORD result = TqlRegistryStoreDirectory(&directory); result != 0) return result;
    std::string text;
    if (DWORD result = ReadFile(HivePath(directory, hive), &text); result != 0) return result;
    return contents->Parse(text);
}

DWORD TqlUpdateRegistryHive(TqlRegistryHiveId hive, const TqlRegistryHiveChange& change) {
    std::string directory;
    if (DWORD result = TqlRegistryStoreDirectory(&directory); result != 0) return result;
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) return TqlErrorFromErrno(error.value());
    std::string path = HivePath(directory, hive);
    std::string lockPath = path.substr(0, path.size() - 4) + ".lock";
    CUniqueFd lockFd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lockFd.Valid()) return LastErrno();
    CFileLock lock(lockFd.Get());
    if (lock.Error() != 0) return lock.Error();

    std::string text;
    if (DWORD result = ReadFile(path, &text); result != 0) return result;
    CTqlRegistryHive contents;
    if (DWORD result = contents.Parse(text); result != 0) return result;
    bool changed = false;
    if (DWORD result = change(contents, &changed); result != 0 || !changed) return result;
    return ReplaceFile(directory, path, contents.Serialize());
}

}  // namespace ql
