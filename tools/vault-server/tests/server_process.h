// A vault-server child process on loopback: started with port 0, its
// ports read from its ready line, stopped with SIGTERM by its PID.
#pragma once

#include <string>
#include <vector>

namespace ql::vault::test {

class ServerProcess {
public:
    // Starts exe with args and waits (up to 30 s) for its ready line.
    ServerProcess(const std::string& exe, const std::vector<std::string>& args);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool Ready() const noexcept { return m_httpPort != 0; }
    unsigned HttpPort() const noexcept { return m_httpPort; }
    unsigned HttpsPort() const noexcept { return m_httpsPort; }
    const std::string& ReadyLine() const noexcept { return m_line; }
    // Sends SIGTERM and waits; the exit status (-1 if it did not exit normally).
    int Stop();

private:
    int m_pid = -1;
    int m_stdout = -1;
    unsigned m_httpPort = 0;
    unsigned m_httpsPort = 0;
    std::string m_line;
    int m_status = -1;
};

}  // namespace ql::vault::test
