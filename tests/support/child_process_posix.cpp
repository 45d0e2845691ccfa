#include "child_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

#include "eventually.h"

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
    const auto pid = static_cast<pid_t>(m_process);
    m_process = 0;
    // A child that hangs is ended (it is ours, by its PID) and reported as
    // not having finished, rather than holding the test run until its
    // time-out.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    pid_t ended = 0;
    while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0 || (ended < 0 && errno == EINTR)) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return m_exitCode;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (ended < 0) return m_exitCode;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return m_exitCode;
}

}  // namespace ql::test
