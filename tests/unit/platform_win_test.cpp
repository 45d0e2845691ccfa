// The Windows platform layer against the running system (under Wine: what
// Wine reports, a workstation of the NT family).
#include <gtest/gtest.h>

#include "support/platform/platform.h"
#include "support/platform/system_wrappers.h"
#include "support/registry/ie_version.h"
#include "support/registry/registry.h"

namespace ql {
namespace {

TEST(PlatformWin, RunningSystemIsAnNtWorkstation) {
    TqlOsVersionFields fields;
    ASSERT_TRUE(TqlQueryOsVersionFields(&fields));
    EXPECT_EQ(fields.platformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(TqlGetOsVersion(), TqlComputeOsVersion(fields));
    EXPECT_TRUE(TqlIsWinNT());
    EXPECT_FALSE(TqlIsWin9x());
    EXPECT_TRUE(fields.ntWorkstation);
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
    // Without the value the text stays empty, and reads as 0.
    TqlReadRegistryString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", L"Version",
                          text, &chars, FALSE);
    EXPECT_EQ(TqlGetIeVersion(true), TqlParseIeVersion(text));
    EXPECT_EQ(TqlGetIeVersion(), TqlParseIeVersion(text));
}

}  // namespace
}  // namespace ql
