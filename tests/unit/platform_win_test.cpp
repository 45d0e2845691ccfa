// The Windows platform layer against the running system (under Wine: what
// Wine reports, a workstation of the NT family) and the wide wrappers.
#include <gtest/gtest.h>

#include <string>

#include "support/platform/platform.h"
#include "support/platform/system_wrappers.h"
#include "support/registry/ie_version.h"
#include "support/registry/registry.h"
#include "temp_dir.h"

namespace ql {
namespace {

// Closes a kernel handle.
class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

std::wstring UniqueName(const wchar_t* kind) {
    return std::wstring(L"Local\\quillon-test-") + kind + L"-" +
           std::to_wstring(GetCurrentProcessId());
}

TEST(PlatformWin, RunningSystemIsAnNtWorkstation) {
    TqlOsVersionFields fields;
    ASSERT_TRUE(TqlQueryOsVersionFields(&fields));
    EXPECT_EQ(fields.platformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    ULONGLONG description = TqlGetOsVersion();
    EXPECT_EQ(description, TqlComputeOsVersion(fields));
    EXPECT_EQ(static_cast<DWORD>(description >> 32), fields.buildNumber & 0xFFFF);
    EXPECT_TRUE(TqlIsWinNT());
    EXPECT_FALSE(TqlIsWin9x());
    EXPECT_TRUE(fields.ntWorkstation);
    EXPECT_NE(static_cast<DWORD>(description) & kTqlOsSecondReleaseOrWorkstation, 0u);
}

TEST(PlatformWin, VersionQueryTakesOnlyTheWideStructureSizes) {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = 100;
    SetLastError(0);
    EXPECT_FALSE(_GetVersionEx(reinterpret_cast<OSVERSIONINFOW*>(&info)));
    EXPECT_EQ(GetLastError(), 87u);
    EXPECT_FALSE(_GetVersionEx(nullptr));
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    EXPECT_TRUE(_GetVersionEx(reinterpret_cast<OSVERSIONINFOW*>(&info)));
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    EXPECT_TRUE(_GetVersionEx(reinterpret_cast<OSVERSIONINFOW*>(&info)));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
}

TEST(PlatformWin, IeVersionIsTheRegistryText) {
    WCHAR text[260] = {};
    DWORD chars = 260;
    DWORD result =
        TqlReadRegistryString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer",
                              L"Version", text, &chars, FALSE);
    if (result != 0) {
        EXPECT_EQ(TqlGetIeVersion(true), 0u);
        return;
    }
    EXPECT_EQ(TqlGetIeVersion(true), TqlParseIeVersion(text));
    EXPECT_EQ(TqlGetIeVersion(), TqlParseIeVersion(text));
}

TEST(PlatformWin, NamedKernelObjects) {
    std::wstring mutexName = UniqueName(L"mutex");
    Handle mutex(_CreateMutex(nullptr, FALSE, mutexName.c_str()));
    ASSERT_NE(mutex.Get(), nullptr);
    Handle sameMutex(_CreateMutex(nullptr, FALSE, mutexName.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(sameMutex.Get(), nullptr);

    std::wstring semaphoreName = UniqueName(L"semaphore");
    Handle semaphore(_CreateSemaphore(nullptr, 1, 1, semaphoreName.c_str()));
    ASSERT_NE(semaphore.Get(), nullptr);
    EXPECT_EQ(WaitForSingleObject(semaphore.Get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    std::wstring eventName = UniqueName(L"event");
    Handle event(_CreateEvent(nullptr, TRUE, TRUE, eventName.c_str()));
    ASSERT_NE(event.Get(), nullptr);
    EXPECT_EQ(WaitForSingleObject(event.Get(), 0), WAIT_OBJECT_0);

    std::wstring mappingName = UniqueName(L"mapping");
    Handle mapping(_CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                      mappingName.c_str()));
    EXPECT_NE(mapping.Get(), nullptr);
}

TEST(PlatformWin, FilesFormattingAndMessages) {
    test::TempDir dir;
    WString path = dir.Wide("f.txt");
    {
        Handle file(_CreateFile(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
    }
    EXPECT_NE(_GetFileAttributes(path.c_str()), kTqlInvalidFileAttributes);

    WCHAR text[256] = {};
    DWORD length = _FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, ERROR_FILE_NOT_FOUND, 0, text, 256, nullptr);
    EXPECT_GT(length, 0u);

    SYSTEMTIME time{};
    time.wYear = 2024;
    time.wMonth = 1;
    time.wDay = 2;
    time.wHour = 13;
    time.wMinute = 4;
    time.wSecond = 5;
    WCHAR date[32] = {};
    ASSERT_GT(_GetDateFormat(LOCALE_INVARIANT, 0, &time, L"yyyy'-'MM'-'dd", date, 32), 0);
    EXPECT_EQ(std::wstring(date), L"2024-01-02");
    WCHAR clock[32] = {};
    ASSERT_GT(_GetTimeFormat(LOCALE_INVARIANT, 0, &time, L"HH':'mm':'ss", clock, 32), 0);
    EXPECT_EQ(std::wstring(clock), L"13:04:05");

    // The thread's message queue.
    MSG message{};
    _PeekMessage(&message, nullptr, 0, 0, PM_NOREMOVE);  // creates the queue
    ASSERT_TRUE(_PostThreadMessage(GetCurrentThreadId(), WM_USER + 7, 3, 4));
    ASSERT_TRUE(_PeekMessage(&message, nullptr, WM_USER + 7, WM_USER + 7, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
    _DispatchMessage(&message);
}

TEST(PlatformWin, RawRegistryWrappers) {
    std::wstring name =
        L"Software\\QuillonTests-RawWrappers-" + std::to_wstring(GetCurrentProcessId());
    const wchar_t* key = name.c_str();
    ASSERT_EQ(TqlWriteRegistryDword(HKEY_CURRENT_USER, key, L"N", REG_DWORD, 42, FALSE), 0u);
    HKEY opened = nullptr;
    ASSERT_EQ(_RegOpenKeyEx(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &opened), ERROR_SUCCESS);
    DWORD value = 0;
    DWORD bytes = sizeof value;
    DWORD type = 0;
    EXPECT_EQ(
        _RegQueryValueEx(opened, L"N", nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes),
        ERROR_SUCCESS);
    RegCloseKey(opened);
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CURRENT_USER, key, FALSE), 0u);
}

}  // namespace
}  // namespace ql
