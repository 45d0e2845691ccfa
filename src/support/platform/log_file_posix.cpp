#include "support/platform/log_file.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ql {

namespace {

std::string PathOf(const WString& path) { return ToUtf8(path); }

DWORD LastError() { return errno == 0 ? 1 : static_cast<DWORD>(errno); }

}  // namespace

DWORD CTqlLogFile::Open(const WString& path) noexcept {
    Close();
    // Every account may write the shared log, whatever the umask.
    int fd = ::open(PathOf(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_DSYNC, 0666);
    if (fd < 0) return LastError();
    m_file = fd;
    m_open = true;
    return 0;
}

void CTqlLogFile::Close() noexcept {
    if (m_open) ::close(static_cast<int>(m_file));
    m_open = false;
}

DWORD CTqlLogFile::Size(ULONGLONG& size) noexcept {
    struct stat info {};
    if (::fstat(static_cast<int>(m_file), &info) != 0) return LastError();
    size = static_cast<ULONGLONG>(info.st_size);
    return 0;
}

DWORD CTqlLogFile::Truncate(ULONGLONG size) noexcept {
    return ::ftruncate(static_cast<int>(m_file), static_cast<off_t>(size)) == 0 ? 0 : LastError();
}

DWORD CTqlLogFile::Append(const void* data, DWORD bytes) noexcept {
    if (::lseek(static_cast<int>(m_file), 0, SEEK_END) < 0) return LastError();
    auto* cursor = static_cast<const char*>(data);
    DWORD left = bytes;
    while (left > 0) {
        ssize_t written = ::write(static_cast<int>(m_file), cursor, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        cursor += written;
        left -= static_cast<DWORD>(written);
    }
    return 0;
}

DWORD CTqlLogFile::DropHeadThrough(ULONGLONG offset) noexcept {
    ULONGLONG size = 0;
    if (DWORD error = Size(size)) return error;
    if (size == 0) return 0;
    void* view =
        ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, static_cast<int>(m_file), 0);
    if (view == MAP_FAILED) return LastError();
    auto* bytes = static_cast<char*>(view);
    ULONGLONG keepFrom = size;
    if (offset < size) {
        auto* feed = static_cast<char*>(std::memchr(bytes + offset, '\n', size - offset));
        if (feed != nullptr) keepFrom = static_cast<ULONGLONG>(feed - bytes) + 1;
    }
    ULONGLONG kept = size - keepFrom;
    if (kept > 0) std::memmove(bytes, bytes + keepFrom, kept);
    ::msync(view, size, MS_SYNC);
    ::munmap(view, size);
    return Truncate(kept);
}

bool TqlFileExists(const WString& path) noexcept {
    struct stat info {};
    return ::stat(PathOf(path).c_str(), &info) == 0;
}

DWORD TqlRemoveFile(const WString& path) noexcept {
    return ::unlink(PathOf(path).c_str()) == 0 ? 0 : LastError();
}

DWORD TqlRenameFile(const WString& from, const WString& to) noexcept {
    return ::rename(PathOf(from).c_str(), PathOf(to).c_str()) == 0 ? 0 : LastError();
}

void TqlCompressFile(const WString& path) noexcept {
    // File systems that compress (btrfs, for example) take the inode's
    // compression flag; others refuse it, and the file stays as it is.
    int fd = ::open(PathOf(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_COMPR_FL) == 0) {
        flags |= FS_COMPR_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
}

}  // namespace ql
