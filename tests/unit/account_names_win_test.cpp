// Account names as the system gives them.
#include <gtest/gtest.h>

#include <string>

#include "support/base/wide_string.h"
#include "support/security/account_names.h"

namespace ql::test {

namespace {

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
}  // namespace ql::test
