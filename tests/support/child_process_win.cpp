#include "child_process.h"

#include <windows.h>

#include <chrono>
#include <utility>

#include "eventually.h"
#include "support/base/wide_string.h"

namespace ql::test {

std::intptr_t ChildProcess::Start(std::string argument) {
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + FromUtf8(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return 0;
    CloseHandle(info.hThread);
    return reinterpret_cast<std::intptr_t>(info.hProcess);
}

int ChildProcess::Wait() {
    if (m_process == 0) return m_exitCode;
    HANDLE process = reinterpret_cast<HANDLE>(std::exchange(m_process, 0));
    // A child that hangs is ended and reported as not having finished.
    const auto patience = std::chrono::duration_cast<std::chrono::milliseconds>(kPatience);
    DWORD code = 0;
    if (WaitForSingleObject(process, static_cast<DWORD>(patience.count())) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process, &code)) {
        m_exitCode = static_cast<int>(code);
    } else {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, INFINITE);
    }
    CloseHandle(process);
    return m_exitCode;
}

}  // namespace ql::test
