// Account names as the system gives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/base/wide_string.h"
#include "support/security/account_names.h"

namespace ql {
namespace {

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

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
    BYTE system[TqlSidByteLength(1)] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    WCHAR text[32] = {};
    ASSERT_EQ(TqlSidToText(system, text, 32), 0u);
    EXPECT_EQ(ToUtf8(text), "S-1-5-18");
    WCHAR name[kTqlMaxNameChars] = {};
    DWORD use = 0;
    ASSERT_EQ(TqlLookupNameFromSid(system, name, kTqlMaxNameChars, FALSE, &use), 0u);
    // A well-known group: its domain ("NT AUTHORITY") is not shown.
    EXPECT_EQ(use, kTqlSidTypeWellKnownGroup);
    EXPECT_EQ(ToUtf8(name), "SYSTEM");
}

TEST(AccountNamesWin, ProcessAccountUnderWine) {
    if (!UnderWine()) GTEST_SKIP() << "the account depends on the machine";
    // Wine runs the process as the Unix user, a local account whose domain is
    // the computer's name: "VM\root" on the build machine. With the drop flag
    // the name is the user alone.
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE block[256];
    DWORD bytes = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, block, sizeof block, &bytes));
    CloseHandle(token);
    PSID sid = reinterpret_cast<TOKEN_USER*>(block)->User.Sid;

    WCHAR computer[kTqlMaxNameChars] = {};
    DWORD size = kTqlMaxNameChars;
    ASSERT_EQ(TqlGetComputerName(computer, &size), 0u);
    WCHAR user[kTqlMaxNameChars] = {};
    DWORD userSize = kTqlMaxNameChars;
    ASSERT_TRUE(GetUserNameW(user, &userSize));

    WCHAR name[kTqlMaxNameChars] = {};
    ASSERT_EQ(TqlLookupNameFromSid(sid, name, kTqlMaxNameChars, FALSE, nullptr), 0u);
    EXPECT_EQ(ToUtf8(name), ToUtf8(computer) + "\\" + ToUtf8(user));
    ASSERT_EQ(TqlLookupNameFromSid(sid, name, kTqlMaxNameChars, TRUE, nullptr), 0u);
    EXPECT_EQ(ToUtf8(name), ToUtf8(user));
}

}  // namespace
}  // namespace ql
