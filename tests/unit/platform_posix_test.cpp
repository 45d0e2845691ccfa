// What the platform layer answers on POSIX, where the system is neither
// Windows family and the registry is the file store.
#include <gtest/gtest.h>

#include "support/platform/platform.h"
#include "support/registry/ie_version.h"
#include "support/registry/registry.h"
#include "temp_dir.h"

namespace ql {
namespace {

TEST(PlatformPosix, RunningSystemIsNeitherWindowsFamily) {
    TqlOsVersionFields fields;
    fields.platformId = 2;
    ASSERT_TRUE(TqlQueryOsVersionFields(&fields));
    EXPECT_EQ(fields.platformId, 0u);
    EXPECT_EQ(TqlGetOsVersion(), 0u);
    EXPECT_FALSE(TqlIsWinNT());
    EXPECT_FALSE(TqlIsWin9x());
    EXPECT_FALSE(TqlHasTerminalServices());
    EXPECT_FALSE(TqlIsWow64Process());
}

TEST(PlatformPosix, IeVersionComesFromTheStore) {
    test::TempDir store;
    test::ScopedEnvironment directory("QL_REGISTRY_DIR", store.Path().c_str());
    auto write = [](DWORD type, const WCHAR* text) {
        return TqlWriteRegistryString(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Internet Explorer",
                                      u"Version", type, text, kTqlNullTerminated, FALSE);
    };
    EXPECT_EQ(TqlGetIeVersion(true), 0u);
    ASSERT_EQ(write(REG_SZ, u"8.0.6001.18702"), 0u);
    EXPECT_EQ(TqlGetIeVersion(true), 0x00080000u);
    // A known version is kept until a refresh is asked for.
    ASSERT_EQ(write(REG_SZ, u"9.0"), 0u);
    EXPECT_EQ(TqlGetIeVersion(), 0x00080000u);
    EXPECT_EQ(TqlGetIeVersion(true), 0x00090000u);
    // Only a REG_SZ counts.
    ASSERT_EQ(write(REG_EXPAND_SZ, u"10.0"), 0u);
    EXPECT_EQ(TqlGetIeVersion(true), 0u);
}

}  // namespace
}  // namespace ql
