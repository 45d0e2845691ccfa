#include "server_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace ql::vault::test {

ServerProcess::ServerProcess(const std::string& exe, const std::vector<std::string>& args) {
    int fds[2];
    if (pipe(fds) != 0) return;
    std::vector<std::string> all = {exe};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    m_stdout = fds[0];
    if (m_pid < 0) return;
    // The ready line, read byte by byte until its end.
    for (;;) {
        pollfd ready = {m_stdout, POLLIN, 0};
        if (poll(&ready, 1, 30000) <= 0) return;
        char c = 0;
        if (read(m_stdout, &c, 1) != 1) return;
        if (c == '\n') break;
        m_line += c;
    }
    if (std::sscanf(m_line.c_str(), "listening http=%u https=%u", &m_httpPort, &m_httpsPort) != 2) {
        m_httpPort = 0;
    }
}

int ServerProcess::Stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        if (waitpid(m_pid, &status, 0) == m_pid && WIFEXITED(status)) {
            m_status = WEXITSTATUS(status);
        }
        m_pid = -1;
    }
    return m_status;
}

ServerProcess::~ServerProcess() {
    Stop();
    if (m_stdout >= 0) close(m_stdout);
}

}  // namespace ql::vault::test
