// A vault-server child process on loopback: started with port 0, its
// ports read from its ready line, stopped with SIGTERM by its PID.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "spawned_process_posix.h"

namespace ql::vault::test {

class ServerProcess {
public:
    // Starts exe with args and waits (up to 30 s) for its ready line.
    ServerProcess(const std::string& exe, const std::vector<std::string>& args) {
        std::vector<std::string> argv = {exe};
        argv.insert(argv.end(), args.begin(), args.end());
        if (!m_process.Start(argv) || !m_process.ReadLine(m_line, 30000)) return;
        if (std::sscanf(m_line.c_str(), "listening http=%u https=%u", &m_httpPort, &m_httpsPort) !=
            2) {
            m_httpPort = 0;
        }
    }

    bool Ready() const noexcept { return m_httpPort != 0; }
    unsigned HttpPort() const noexcept { return m_httpPort; }
    unsigned HttpsPort() const noexcept { return m_httpsPort; }
    const std::string& ReadyLine() const noexcept { return m_line; }
    // Sends SIGTERM and waits; the exit status (-1 if it did not exit normally).
    int Stop() { return m_process.Stop(); }

private:
    ql::test::SpawnedProcess m_process;
    unsigned m_httpPort = 0;
    unsigned m_httpsPort = 0;
    std::string m_line;
};

}  // namespace ql::vault::test
