#include "child_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

extern char** environ;

namespace ql::test {

std::intptr_t ChildProcess::Start(std::string argument) {
    char self[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return 0;
    self[length] = 0;
    char* argv[] = {self, argument.data(), nullptr};
    pid_t pid = 0;
    return ::posix_spawn(&pid, self, nullptr, nullptr, argv, environ) == 0 ? pid : 0;
}

int ChildProcess::Wait() {
    int status = 0;
    if (m_process == 0) return m_exitCode;
    pid_t ended = 0;
    do {
        ended = ::waitpid(static_cast<pid_t>(m_process), &status, 0);
    } while (ended < 0 && errno == EINTR);
    m_process = 0;
    if (ended < 0) return m_exitCode;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return m_exitCode;
}

}  // namespace ql::test
