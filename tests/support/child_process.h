// Starts this test program again as a child process with extra environment
// variables, to run one test in it; waits for it to end.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace ql::test {

class ChildProcess {
public:
    // Runs the current executable with --gtest_filter=filter and the given
    // variables added to its environment.
    ChildProcess(const std::string& filter, const std::map<std::string, std::string>& environment);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_started; }
    // Waits for the child and returns its exit code (-1 if it never ran).
    int Wait();

private:
    bool m_started = false;
    bool m_waited = false;
    int m_exitCode = -1;
    // The process id (POSIX) or process handle (Windows).
    std::intptr_t m_process = 0;
};

}  // namespace ql::test
