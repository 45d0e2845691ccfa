// Scoped impersonation, checked through what the thread reports afterwards:
// whether it has a token of its own, of which type and level, and which user.
#include "support/security/token_impersonator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/security/account_names.h"
#include "support/shared_state/process_heap.h"
#include "support/trace/trace_sink.h"
#include "system_facts.h"
#include "trace_recorder.h"

namespace ql::test {

namespace {

constexpr DWORD kInvalidHandle = 6;  // the system's code for a handle that names nothing

struct HeapDeleter {
    void operator()(void* block) const { TqlFree(block); }
};
using HeapBlock = std::unique_ptr<void, HeapDeleter>;

HeapBlock TokenInfo(HANDLE token, DWORD infoClass) {
    void* block = nullptr;
    EXPECT_EQ(TqlGetTokenInfo(token, infoClass, &block), 0u);
    return HeapBlock(block);
}

DWORD TokenDword(HANDLE token, DWORD infoClass) {
    HeapBlock block = TokenInfo(token, infoClass);
    return block ? *static_cast<const DWORD*>(block.get()) : ~DWORD{0};
}

std::string UserSidText(HANDLE token) {
    HeapBlock user = TokenInfo(token, kTqlTokenUser);
    if (!user) return {};
    WCHAR text[200] = {};
    EXPECT_EQ(TqlSidToText(static_cast<TqlTokenUser*>(user.get())->Sid, text, 200), 0u);
    return ToUtf8(text);
}

// What the calling thread impersonates: "" for nothing, else the type, level
// and user of its token.
std::string ThreadState() {
    CTqlToken token;
    DWORD error = CTqlTokenImpersonator::GetImpersonationToken(token, FALSE);
    if (error == kTqlErrorNoToken) {
        EXPECT_FALSE(token);
        return "";
    }
    EXPECT_EQ(error, 0u);
    return "type " + std::to_string(TokenDword(token.Get(), kTqlTokenType)) + ", level " +
           std::to_string(TokenDword(token.Get(), kTqlTokenImpersonationLevel)) + ", user " +
           UserSidText(token.Get());
}

CTqlToken ProcessToken() {
    CTqlToken token;
    EXPECT_EQ(CTqlTokenImpersonator::GetImpersonationToken(token, TRUE), 0u);
    return token;
}

// domain\user of the process's account, as the traces show it.
std::string ProcessUserName() {
    CTqlToken token = ProcessToken();
    HeapBlock user = TokenInfo(token.Get(), kTqlTokenUser);
    if (!user) return {};
    WCHAR name[2 * kTqlMaxNameChars] = {};
    EXPECT_EQ(TqlLookupNameFromSid(static_cast<TqlTokenUser*>(user.get())->Sid, name,
                                   2 * kTqlMaxNameChars, FALSE, nullptr),
              0u);
    return ToUtf8(name);
}

class TokenImpersonatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ThreadState(), "") << "a test left the thread impersonating";
        m_processUser = UserSidText(ProcessToken().Get());
        ASSERT_FALSE(m_processUser.empty());
        m_self = "type " + std::to_string(kTqlTokenImpersonation) + ", level " +
                 std::to_string(kTqlSecurityImpersonation) + ", user " + m_processUser;
    }
    void TearDown() override { EXPECT_EQ(ThreadState(), ""); }

    std::string m_processUser;
    std::string m_self;  // the thread's state while it impersonates the process
};

TEST_F(TokenImpersonatorTest, ImpersonatesTheProcessAndRevertsOneAtATimeOrAllAtOnce) {
    CTqlTokenImpersonator impersonator;
    ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    EXPECT_EQ(impersonator.Depth(), 1u);
    EXPECT_EQ(ThreadState(), m_self);
    EXPECT_EQ(impersonator.Revert(FALSE), 0u);
    EXPECT_EQ(impersonator.Depth(), 0u);
    EXPECT_EQ(ThreadState(), "");

    for (int i = 0; i < 3; ++i) ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    EXPECT_EQ(impersonator.Revert(FALSE), 0u);
    EXPECT_EQ(impersonator.Depth(), 2u);
    EXPECT_EQ(ThreadState(), m_self);
    EXPECT_EQ(impersonator.Revert(TRUE), 0u);
    EXPECT_EQ(impersonator.Depth(), 0u);
    EXPECT_EQ(ThreadState(), "");
    // Used again, and left to the destructor to revert (TearDown checks).
    ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    EXPECT_EQ(ThreadState(), m_self);
}

// Each Impersonate saves the token the thread had, if any; every saved token
// is closed once, also the one of a call that fails, and a failure leaves
// the thread and the stack as they were.
TEST_F(TokenImpersonatorTest, SavedTokensAreClosedAfterNestingAndAfterAFailure) {
    CTqlToken process = ProcessToken();
    test::TraceRecorder recorder;
    std::size_t before = OpenHandleCount();
    {
        CTqlTokenImpersonator impersonator;
        EXPECT_EQ(impersonator.Impersonate(TqlInvalidHandleValue()), 87u);
        EXPECT_EQ(impersonator.Depth(), 0u);
        EXPECT_EQ(ThreadState(), "");
        EXPECT_FALSE(recorder.Contains("Impersonated: "));

        ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
        ASSERT_EQ(impersonator.Impersonate(process.Get()), 0u);
        ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
        EXPECT_EQ(OpenHandleCount(), before + 2) << "the first call had no token to save";
        // A value beyond any handle table. (A closed handle would not do: the
        // system reuses handle values, and Impersonate opens a token itself.)
        HANDLE bogus = reinterpret_cast<HANDLE>(std::uintptr_t{0x7FFFFFF0});
        EXPECT_EQ(impersonator.Impersonate(bogus), kInvalidHandle);
        EXPECT_EQ(OpenHandleCount(), before + 2);
        EXPECT_EQ(impersonator.Depth(), 3u);
        EXPECT_EQ(ThreadState(), m_self);
        // The error's text is the system's own.
        EXPECT_TRUE(recorder.Contains("_ImpersonateLoggedOnUser() failed, err=6 ("));
        EXPECT_EQ(impersonator.Revert(FALSE), 0u);
    }
    EXPECT_EQ(OpenHandleCount(), before);
}

TEST_F(TokenImpersonatorTest, TracesTheUserOnConstructionImpersonationAndRevert) {
    std::string user = ProcessUserName();
    ASSERT_FALSE(user.empty());
    test::TraceRecorder recorder;
    {
        CTqlTokenImpersonator impersonator;
        ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
        ASSERT_EQ(impersonator.Revert(FALSE), 0u);
    }
    std::vector<std::string> userLines;
    for (const auto& message : recorder.Messages()) {
        if (message.text.rfind("CTqlTokenImpersonator::TraceCurrentUser()", 0) != 0) continue;
        EXPECT_EQ(message.component, "RT");
        EXPECT_EQ(message.level, kTqlLevelEntry);
        userLines.push_back(message.text);
    }
    const std::string prefix = "CTqlTokenImpersonator::TraceCurrentUser() - ";
    EXPECT_EQ(userLines, (std::vector<std::string>{prefix + "Current: '" + user + "'",
                                                   prefix + "Impersonated: '" + user + "'",
                                                   prefix + "Reverted to: '" + user + "'"}));
}

// The thread's token, or only when asked the process's; and what a token
// can tell.
TEST_F(TokenImpersonatorTest, GetImpersonationTokenFallsBackToTheProcessOnlyWhenAsked) {
    CTqlToken token;
    ASSERT_EQ(CTqlTokenImpersonator::GetImpersonationToken(token, TRUE), 0u);
    ASSERT_TRUE(token);
    EXPECT_EQ(TokenDword(token.Get(), kTqlTokenType), kTqlTokenPrimary);
    EXPECT_EQ(UserSidText(token.Get()), m_processUser);
    // A primary token has no impersonation level.
    void* block = reinterpret_cast<void*>(1);
    EXPECT_EQ(TqlGetTokenInfo(token.Get(), kTqlTokenImpersonationLevel, &block),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(TqlGetTokenInfo(token.Get(), kTqlTokenUser, nullptr), ERROR_INVALID_PARAMETER);
    block = reinterpret_cast<void*>(1);
    EXPECT_EQ(TqlGetTokenInfo(TqlInvalidHandleValue(), kTqlTokenUser, &block), kInvalidHandle);
    EXPECT_EQ(block, nullptr);

    // An impersonating thread answers with its own token, fall-back or not.
    CTqlTokenImpersonator impersonator;
    ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    ASSERT_EQ(CTqlTokenImpersonator::GetImpersonationToken(token, TRUE), 0u);
    EXPECT_EQ(TokenDword(token.Get(), kTqlTokenType), kTqlTokenImpersonation);
}

// A handle kind whose closes are counted.
struct CountedTraits {
    using Handle = int;
    static constexpr Handle kEmpty = -1;
    static inline std::vector<int> closed;
    static bool Owns(Handle handle) noexcept { return handle >= 0; }
    static void Close(Handle handle) noexcept { closed.push_back(handle); }
};
using CCounted = CTqlUniqueHandle<CountedTraits>;

TEST(UniqueHandle, ClosesEachHandleExactlyOnce) {
    CountedTraits::closed.clear();
    {
        CCounted a(1);
        CCounted b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.Get(), 1);
        CCounted c(2);
        c = std::move(b);  // closes 2, takes 1
        EXPECT_EQ(CountedTraits::closed, std::vector<int>{2});
        c.Reset(c.Get());  // the handle already owned stays owned
        EXPECT_EQ(CountedTraits::closed, std::vector<int>{2});
        *c.Put() = 3;  // closes 1 first
        EXPECT_EQ(CountedTraits::closed, (std::vector<int>{2, 1}));
        CCounted d(4);
        EXPECT_EQ(d.Release(), 4);  // given up, never closed here
        CCounted e(-1);             // owns nothing
    }
    EXPECT_EQ(CountedTraits::closed, (std::vector<int>{2, 1, 3}));
}

}  // namespace
}  // namespace ql::test
