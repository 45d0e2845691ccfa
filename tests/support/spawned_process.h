// A program the tests start and stop themselves: its standard output is
// read line by line, and it is ended by its own process id only.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ql::test {

class SpawnedProcess {
public:
    // Starts argv[0] (a path) with argv; false when it could not be started.
    bool Start(const std::vector<std::string>& argv);
    // SIGTERM, then SIGKILL if it has not ended within a few seconds.
    ~SpawnedProcess();
    SpawnedProcess() = default;
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    // The next line of its standard output (without the line end); false
    // when none came within timeoutMs or the output ended.
    bool ReadLine(std::string& line, int timeoutMs);
    // Ends it (as the destructor does); its exit status, or -1 when it did
    // not exit by itself (killed by a signal, or not running).
    int Stop();
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_buffered;
};

// A TCP port on 127.0.0.1 that was free a moment ago, for programs that
// cannot be told to take port 0.
int FreeLoopbackPort();
// Whether something accepts connections on 127.0.0.1:port.
bool Accepts(int port);

}  // namespace ql::test
