// The Windows platform layer against the running system (under Wine: what
// Wine reports, a workstation of the NT family) and the wrappers that create
// named kernel objects.
#include <gtest/gtest.h>

#include <string>

#include "support/platform/kernel_handle.h"
#include "support/platform/platform.h"
#include "support/platform/system_wrappers.h"
#include "support/registry/ie_version.h"
#include "support/registry/registry.h"

namespace ql {
namespace {

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
    CTqlKernelHandle mutex(_CreateMutex(nullptr, FALSE, mutexName.c_str()));
    ASSERT_NE(mutex.Get(), nullptr);
    CTqlKernelHandle sameMutex(_CreateMutex(nullptr, FALSE, mutexName.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(sameMutex.Get(), nullptr);

    std::wstring semaphoreName = UniqueName(L"semaphore");
    CTqlKernelHandle semaphore(_CreateSemaphore(nullptr, 1, 1, semaphoreName.c_str()));
    ASSERT_NE(semaphore.Get(), nullptr);
    EXPECT_EQ(WaitForSingleObject(semaphore.Get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    std::wstring eventName = UniqueName(L"event");
    CTqlKernelHandle event(_CreateEvent(nullptr, TRUE, TRUE, eventName.c_str()));
    ASSERT_NE(event.Get(), nullptr);
    EXPECT_EQ(WaitForSingleObject(event.Get(), 0), WAIT_OBJECT_0);

    std::wstring mappingName = UniqueName(L"mapping");
    CTqlKernelHandle mapping(_CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                4096, mappingName.c_str()));
    EXPECT_NE(mapping.Get(), nullptr);
}

}  // namespace
}  // namespace ql
