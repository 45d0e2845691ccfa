// Starts this test program again as a child process with extra environment
// variables, to run one test in it; waits for it to end.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>

#include "temp_dir.h"

namespace ql::test {

class ChildProcess {
public:
    // Runs the current executable with --gtest_filter=filter and the given
    // variables added to its environment: they are set in ours while it
    // starts, and inherited.
    ChildProcess(const std::string& filter, const std::map<std::string, std::string>& environment) {
        std::list<ScopedEnvironment> variables;
        for (const auto& [name, value] : environment)
            variables.emplace_back(name.c_str(), value.c_str());
        m_process = Start("--gtest_filter=" + filter);
    }
    ~ChildProcess() { Wait(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits for the child and returns its exit code (-1 if it never ran, or
    // had to be ended because it did not finish in time).
    int Wait();

private:
    // The process id (POSIX) or process handle (Windows) of this program
    // started with argument; 0 when it could not be started.
    static std::intptr_t Start(std::string argument);

    int m_exitCode = -1;
    std::intptr_t m_process = 0;  // until waited for
};

}  // namespace ql::test
