// Account names as the system gives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/base/wide_string.h"
#include "support/security/account_names.h"

namespace ql {
namespace {

TEST(AccountNamesWin, ComputerNameIsTheSystems) {
    WCHAR expected[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD expectedSize = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(expected, &expectedSize));
    WCHAR name[kTqlMaxNameChars] = {};
    DWORD size = kTqlMaxNameChars;
    ASSERT_EQ(TqlGetComputerName(name, &size), 0u);
    EXPECT_EQ(ToUtf8(name), ToUtf8(expected));
    EXPECT_EQ(size, expectedSize);
}

TEST(AccountNamesWin, LocalSystemIsAWellKnownName) {
    BYTE system[TqlSidByteLength(1)] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};  // S-1-5-18
    WCHAR name[kTqlMaxNameChars] = {};
    DWORD use = 0;
    ASSERT_EQ(TqlLookupNameFromSid(system, name, kTqlMaxNameChars, FALSE, &use), 0u);
    // A well-known group: its domain ("NT AUTHORITY") is not shown.
    EXPECT_EQ(use, kTqlSidTypeWellKnownGroup);
    EXPECT_EQ(ToUtf8(name), "SYSTEM");
}

}  // namespace
}  // namespace ql
