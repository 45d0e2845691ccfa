// Impersonation against the system's tokens: saved handles are closed, an
// impersonation the thread had before is restored at its own level, and the
// user is named as the system names it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/platform/system_wrappers.h"
#include "support/security/account_names.h"
#include "support/security/token_impersonator.h"
#include "trace_recorder.h"

namespace ql {
namespace {

constexpr DWORD kInvalidHandle = 6;  // the system's code for a handle that names nothing

// The handle values open in the process. The system's handle count cannot
// serve: under Wine GetProcessHandleCount always answers 0. Handles of a test
// process are small values; the probe covers the lowest 1024 of them and
// insists that the highest open one lies well inside that range.
std::set<ULONG_PTR> OpenHandles() {
    constexpr ULONG_PTR kLimit = 0x1000;
    std::set<ULONG_PTR> open;
    for (ULONG_PTR value = 4; value < kLimit; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) open.insert(value);
    }
    EXPECT_TRUE(open.empty() || *open.rbegin() < kLimit / 2) << "handles reach the probe's end";
    return open;
}

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
    void TearDown() override {
        // One process runs every test under Wine: none may leave the thread
        // impersonating.
        RevertToSelf();
    }
};

TEST_F(TokenImpersonatorWinTest, SavedHandlesAreClosedAfterNestingAndAfterAFailure) {
    ASSERT_EQ(ThreadLevel(), 0u);
    HANDLE process = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), kTqlTokenAccess, &process));
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    std::set<ULONG_PTR> before = OpenHandles();
    {
        CTqlTokenImpersonator impersonator;
        ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
        ASSERT_EQ(impersonator.Impersonate(process), 0u);
        ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
        std::set<ULONG_PTR> nested = OpenHandles();
        EXPECT_EQ(nested.size(), before.size() + 2);  // two saved thread tokens
        // Not a token: the system refuses it, and the token saved for it is closed.
        EXPECT_EQ(impersonator.Impersonate(event), kInvalidHandle);
        EXPECT_EQ(OpenHandles(), nested);
        EXPECT_EQ(impersonator.Depth(), 3u);
        EXPECT_EQ(ThreadLevel(), static_cast<DWORD>(SecurityImpersonation));
    }
    EXPECT_EQ(OpenHandles(), before);
    EXPECT_EQ(ThreadLevel(), 0u);
    CloseHandle(event);
    CloseHandle(process);
}

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

TEST_F(TokenImpersonatorWinTest, TracesTheSystemsNameOfTheUser) {
    WCHAR expected[kTqlMaxNameChars] = {};
    ULONG chars = kTqlMaxNameChars;
    ASSERT_TRUE(_GetUserNameEx(2 /* NameSamCompatible */, expected, &chars));

    test::TraceRecorder recorder;
    CTqlTokenImpersonator::TraceCurrentUser(kTqlRuntimeComponent, kTqlLevelEntry, OLESTR("Now: "));
    EXPECT_TRUE(recorder.Contains("CTqlTokenImpersonator::TraceCurrentUser() - Now: '" +
                                  ToUtf8(expected) + "'"));
}

}  // namespace
}  // namespace ql
