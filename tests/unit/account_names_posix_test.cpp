// Account names from the user and group databases under the Unix mapping of
// identifiers.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "support/base/wide_string.h"
#include "support/security/account_names.h"
#include "support/security/token_impersonator.h"
#include "support/shared_state/process_heap.h"

namespace ql::test {

namespace {

// The name of S-1-22-<kind>-<id>, its use and the error, in that order.
std::string NameOf(DWORD kind, DWORD id, DWORD* use, DWORD* error) {
    TqlSidParts parts;
    parts.authority = 22;
    parts.subAuthorityCount = 2;
    parts.subAuthorities[0] = kind;
    parts.subAuthorities[1] = id;
    BYTE sid[TqlSidByteLength(2)];
    EXPECT_EQ(TqlWriteSid(parts, sid, sizeof sid), 0u);
    WCHAR name[2 * kTqlMaxNameChars] = {};
    *error = TqlLookupNameFromSid(sid, name, 2 * kTqlMaxNameChars, TRUE, use);
    return ToUtf8(name);
}

// Users (kind 1) and groups (kind 2) are named by the databases; unknown
// ids and other kinds have no name.
TEST(AccountNamesPosix, NamesComeFromTheDatabases) {
    passwd user{};
    passwd* foundUser = nullptr;
    char userStorage[4096];
    ASSERT_EQ(getpwuid_r(geteuid(), &user, userStorage, sizeof userStorage, &foundUser), 0);
    ASSERT_NE(foundUser, nullptr);
    group grp{};
    group* foundGroup = nullptr;
    char groupStorage[8192];
    ASSERT_EQ(getgrgid_r(getegid(), &grp, groupStorage, sizeof groupStorage, &foundGroup), 0);
    ASSERT_NE(foundGroup, nullptr);

    DWORD use = 0;
    DWORD error = 1;
    EXPECT_EQ(NameOf(1, geteuid(), &use, &error), user.pw_name);
    EXPECT_EQ(NameOf(2, getegid(), &use, &error), grp.gr_name);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(use, kTqlSidTypeGroup);
    // No database on a test machine holds an id this high.
    NameOf(1, 0xFFFFFFF0u, &use, &error);
    EXPECT_EQ(error, kTqlErrorNoneMapped);
    NameOf(3, 0, &use, &error);
    EXPECT_EQ(error, kTqlErrorNoneMapped);
}

TEST(AccountNamesPosix, TokensCarryTheUnixUserSid) {
    CTqlToken token;
    ASSERT_EQ(CTqlTokenImpersonator::GetImpersonationToken(token, TRUE), 0u);
    void* block = nullptr;
    ASSERT_EQ(TqlGetTokenInfo(token.Get(), kTqlTokenUser, &block), 0u);
    WCHAR text[64] = {};
    EXPECT_EQ(TqlSidToText(static_cast<TqlTokenUser*>(block)->Sid, text, 64), 0u);
    EXPECT_EQ(ToUtf8(text), "S-1-22-1-" + std::to_string(geteuid()));
    TqlFree(block);
    // Classes the stand-in does not model are refused.
    EXPECT_EQ(TqlGetTokenInfo(token.Get(), 5, &block), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(block, nullptr);
}

}  // namespace
}  // namespace ql::test
