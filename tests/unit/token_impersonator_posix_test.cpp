// The POSIX stand-in for tokens: every token handle is closed exactly once,
// and impersonation is a per-thread record that never touches the process's
// credentials.
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "support/security/token_impersonator.h"

namespace ql::test {

namespace {

bool ThreadImpersonates() {
    CTqlToken token;
    return CTqlTokenImpersonator::GetImpersonationToken(token, FALSE) == 0;
}

TEST(TokenImpersonatorPosix, TokensCloseOnceAndHandlesAreNotReused) {
    constexpr DWORD kInvalidHandle = 6;
    CTqlToken first;
    ASSERT_EQ(CTqlTokenImpersonator::GetImpersonationToken(first, TRUE), 0u);
    HANDLE stale = first.Get();
    first.Reset();
    EXPECT_EQ(TqlCloseToken(stale), kInvalidHandle);
    CTqlToken second;
    ASSERT_EQ(CTqlTokenImpersonator::GetImpersonationToken(second, TRUE), 0u);
    EXPECT_NE(second.Get(), stale);
    EXPECT_EQ(TqlCloseToken(nullptr), kInvalidHandle);
}

TEST(TokenImpersonatorPosix, ImpersonationIsTheCallingThreadsAndLeavesTheCredentials) {
    uid_t uid = getuid();
    uid_t euid = geteuid();
    gid_t gid = getgid();
    CTqlTokenImpersonator impersonator;
    ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    EXPECT_EQ(getuid(), uid);
    EXPECT_EQ(geteuid(), euid);
    EXPECT_EQ(getgid(), gid);
    bool otherImpersonates = true;
    std::thread other([&] { otherImpersonates = ThreadImpersonates(); });
    other.join();
    EXPECT_FALSE(otherImpersonates);
    EXPECT_TRUE(ThreadImpersonates());
}

}  // namespace
}  // namespace ql::test
