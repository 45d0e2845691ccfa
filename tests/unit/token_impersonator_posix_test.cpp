// The POSIX stand-in for tokens: every token handle is closed exactly once,
// and impersonation is a per-thread record that never touches the process's
// credentials.
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "support/security/token_impersonator.h"

namespace ql {
namespace {

constexpr DWORD kInvalidHandle = 6;  // the system's code for a handle that names nothing

bool ThreadImpersonates() {
    CTqlToken token;
    return CTqlTokenImpersonator::GetImpersonationToken(token, FALSE) == 0;
}

TEST(TokenImpersonatorPosix, SavedTokensAreClosedAfterNestingAndAfterAFailure) {
    std::size_t before = TqlPosixOpenTokenCount();
    {
        CTqlToken process;
        ASSERT_EQ(CTqlTokenImpersonator::GetImpersonationToken(process, TRUE), 0u);
        CTqlTokenImpersonator impersonator;
        ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
        // The first entry saved nothing (the thread was not impersonating).
        EXPECT_EQ(TqlPosixOpenTokenCount(), before + 1);
        ASSERT_EQ(impersonator.Impersonate(process.Get()), 0u);
        ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
        // process, and the thread tokens saved by the second and third calls.
        EXPECT_EQ(TqlPosixOpenTokenCount(), before + 3);
        // A failure closes the token it saved and leaves the stack alone.
        EXPECT_EQ(impersonator.Impersonate(reinterpret_cast<HANDLE>(0x7777)), kInvalidHandle);
        EXPECT_EQ(TqlPosixOpenTokenCount(), before + 3);
        EXPECT_EQ(impersonator.Depth(), 3u);
        EXPECT_EQ(impersonator.Revert(FALSE), 0u);
        EXPECT_EQ(TqlPosixOpenTokenCount(), before + 2);
    }
    EXPECT_EQ(TqlPosixOpenTokenCount(), before);
    EXPECT_FALSE(ThreadImpersonates());
}

TEST(TokenImpersonatorPosix, TokensCloseOnceAndHandlesAreNotReused) {
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
}  // namespace ql
