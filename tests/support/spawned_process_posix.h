// A program the tests start and stop themselves: its standard output is
// read line by line, and it is ended by its own process id only.
#pragma once

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace ql::test {

class SpawnedProcess {
public:
    SpawnedProcess() = default;
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;
    // SIGTERM, then SIGKILL if it has not ended within a few seconds.
    ~SpawnedProcess() { Stop(); }

    // Starts argv[0] (a path) with argv; false when it could not be started.
    bool Start(const std::vector<std::string>& argv) {
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        int result = posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        m_output = pipeEnds[0];
        if (result != 0) m_pid = -1;
        return result == 0;
    }

    // The next line of its standard output (without the line end); false
    // when none came within timeoutMs or the output ended.
    bool ReadLine(std::string& line, int timeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            auto end = m_buffered.find('\n');
            if (end != std::string::npos) {
                line = m_buffered.substr(0, end);
                m_buffered.erase(0, end + 1);
                return true;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd entry{m_output, POLLIN, 0};
            if (m_output < 0 || left.count() <= 0) return false;
            if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) return false;
            char chunk[512];
            ssize_t n = read(m_output, chunk, sizeof chunk);
            if (n <= 0) return false;
            m_buffered.append(chunk, static_cast<std::size_t>(n));
        }
    }

    // Runs argv to its end, reading its output; true when it exited by
    // itself with status 0 within timeoutMs of its last output.
    bool Run(const std::vector<std::string>& argv, int timeoutMs) {
        std::string ignored;
        if (!Start(argv)) return false;
        while (ReadLine(ignored, timeoutMs)) {
        }
        Reap(timeoutMs / 10);
        return Stop() == 0;
    }

    // Ends it (as the destructor does); its exit status, or -1 when it did
    // not exit by itself (killed by a signal, or not running).
    int Stop() {
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGTERM);
            // Reap clears m_pid when the process is no longer ours to signal.
            if (!Reap(500) && m_pid > 0) {
                kill(m_pid, SIGKILL);
                if (waitpid(m_pid, &m_status, 0) == m_pid) m_reaped = true;
            }
        }
        if (m_output >= 0) close(m_output);
        m_output = -1;
        // Only a process that ended by itself has an exit status.
        bool exited = m_reaped && WIFEXITED(m_status);
        m_pid = -1;
        m_reaped = false;
        return exited ? WEXITSTATUS(m_status) : -1;
    }

private:
    // Waits up to attempts × 10 ms for it to end; true once it is reaped. A
    // failed wait (someone else reaped it: the PID may no longer be ours)
    // gives up without it, so nothing is ever sent to that PID again.
    bool Reap(int attempts) {
        for (int i = 0; i < attempts; ++i) {
            pid_t result = waitpid(m_pid, &m_status, WNOHANG);
            if (result == m_pid) return m_reaped = true;
            if (result < 0 && errno != EINTR) {
                m_pid = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = 0;
    int m_output = -1;
    std::string m_buffered;
};

// A TCP socket, with 127.0.0.1:port as its address.
inline int LoopbackSocket(int port, sockaddr_in& address) {
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

// A TCP port on 127.0.0.1 that was free a moment ago, for programs that
// cannot be told to take port 0.
inline int FreeLoopbackPort() {
    sockaddr_in address;
    int s = LoopbackSocket(0, address);
    socklen_t size = sizeof address;
    int port = -1;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    close(s);
    return port;
}

// Whether something accepts connections on 127.0.0.1:port.
inline bool Accepts(int port) {
    sockaddr_in address;
    int s = LoopbackSocket(port, address);
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
}

}  // namespace ql::test
