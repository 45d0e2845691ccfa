#include "child_process.h"

#include <windows.h>

#include <string>
#include <vector>

#include "support/base/wide_string.h"

namespace ql::test {

ChildProcess::ChildProcess(const std::string& filter,
                           const std::map<std::string, std::string>& environment) {
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    // The child's environment: ours plus the extra variables.
    std::wstring block;
    if (wchar_t* current = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = current; *entry != 0; entry += wcslen(entry) + 1)
            block.append(entry).push_back(L'\0');
        FreeEnvironmentStringsW(current);
    }
    for (const auto& [name, value] : environment) {
        block += FromUtf8(name + "=" + value);
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=" + FromUtf8(filter);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        block.data(), nullptr, &startup, &info))
        return;
    CloseHandle(info.hThread);
    m_process = reinterpret_cast<std::intptr_t>(info.hProcess);
    m_started = true;
}

ChildProcess::~ChildProcess() {
    Wait();
    if (m_started) CloseHandle(reinterpret_cast<HANDLE>(m_process));
}

int ChildProcess::Wait() {
    if (!m_started || m_waited) return m_exitCode;
    WaitForSingleObject(reinterpret_cast<HANDLE>(m_process), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(reinterpret_cast<HANDLE>(m_process), &code);
    m_waited = true;
    m_exitCode = static_cast<int>(code);
    return m_exitCode;
}

}  // namespace ql::test
