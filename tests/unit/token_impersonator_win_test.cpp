// Impersonation against the system's tokens: an impersonation the thread had
// before is restored at its own level.
#include <gtest/gtest.h>

#include "support/security/token_impersonator.h"

namespace ql::test {

namespace {

// The thread token's impersonation level; 0 when the thread has none.
DWORD ThreadLevel() {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));
        return 0;
    }
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
    DWORD bytes = 0;
    EXPECT_TRUE(GetTokenInformation(token, TokenImpersonationLevel, &level, sizeof level, &bytes));
    CloseHandle(token);
    return static_cast<DWORD>(level);
}

class TokenImpersonatorWinTest : public ::testing::Test {
protected:
    // One process runs every test under Wine: none may leave the thread
    // impersonating.
    void TearDown() override { RevertToSelf(); }
};

TEST_F(TokenImpersonatorWinTest, RestoresAnEarlierImpersonationAtItsOwnLevel) {
    ASSERT_TRUE(ImpersonateSelf(SecurityIdentification));
    ASSERT_EQ(ThreadLevel(), static_cast<DWORD>(SecurityIdentification));
    {
        CTqlTokenImpersonator impersonator;
        ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
        EXPECT_EQ(ThreadLevel(), static_cast<DWORD>(SecurityImpersonation));
        ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
        EXPECT_EQ(impersonator.Revert(FALSE), 0u);
        EXPECT_EQ(ThreadLevel(), static_cast<DWORD>(SecurityImpersonation));
        EXPECT_EQ(impersonator.Revert(FALSE), 0u);
        EXPECT_EQ(ThreadLevel(), static_cast<DWORD>(SecurityIdentification));
        ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    }
    // The destructor restored the impersonation the thread had.
    EXPECT_EQ(ThreadLevel(), static_cast<DWORD>(SecurityIdentification));
}

}  // namespace
}  // namespace ql::test
