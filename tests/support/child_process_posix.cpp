#include "child_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <vector>

extern char** environ;

namespace ql::test {

ChildProcess::ChildProcess(const std::string& filter,
                           const std::map<std::string, std::string>& environment) {
    char self[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return;
    self[length] = 0;
    std::string filterArg = "--gtest_filter=" + filter;
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) variables.emplace_back(*entry);
    for (const auto& [name, value] : environment) variables.push_back(name + "=" + value);
    std::vector<char*> argv = {self, filterArg.data(), nullptr};
    std::vector<char*> envp;
    for (auto& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, self, nullptr, nullptr, argv.data(), envp.data()) != 0) return;
    m_process = pid;
    m_started = true;
}

ChildProcess::~ChildProcess() { Wait(); }

int ChildProcess::Wait() {
    if (!m_started || m_waited) return m_exitCode;
    int status = 0;
    while (::waitpid(static_cast<pid_t>(m_process), &status, 0) < 0) {
    }
    m_waited = true;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return m_exitCode;
}

}  // namespace ql::test
