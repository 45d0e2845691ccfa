#include "support/trace/tracing_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace ql {

namespace {

// The machine-wide mutex is an advisory lock on a file every process can
// open: QL_TRACE_LOCK_FILE, or /tmp/TqlTracingMutex.lock.
std::string LockPath() {
    const char* configured = std::getenv("QL_TRACE_LOCK_FILE");
    return configured != nullptr && *configured != 0 ? configured : "/tmp/TqlTracingMutex.lock";
}

}  // namespace

CTqlTracingMutex::CTqlTracingMutex() noexcept {
    int saved = errno;
    int fd = ::open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        errno = saved;
        return;
    }
    // Every account shares the one lock file, whatever the umask.
    ::fchmod(fd, 0666);
    m_lock = fd;
    m_open = true;
    int result;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    m_held = result == 0;
    errno = saved;
}

CTqlTracingMutex::~CTqlTracingMutex() {
    if (!m_open) return;
    int saved = errno;
    int fd = static_cast<int>(m_lock);
    if (m_held) ::flock(fd, LOCK_UN);
    ::close(fd);
    errno = saved;
}

}  // namespace ql
