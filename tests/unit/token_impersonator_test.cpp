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
#include "trace_recorder.h"

namespace ql {
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

// What the calling thread impersonates: nothing, or a token of a type, level
// and user.
struct ThreadState {
    bool impersonating = false;
    DWORD type = 0;
    DWORD level = 0;
    std::string user;
};

ThreadState CurrentThreadState() {
    ThreadState state;
    CTqlToken token;
    DWORD error = CTqlTokenImpersonator::GetImpersonationToken(token, FALSE);
    if (error == kTqlErrorNoToken) {
        EXPECT_FALSE(token);
        return state;
    }
    EXPECT_EQ(error, 0u);
    state.impersonating = true;
    state.type = TokenDword(token.Get(), kTqlTokenType);
    state.level = TokenDword(token.Get(), kTqlTokenImpersonationLevel);
    state.user = UserSidText(token.Get());
    return state;
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
        ASSERT_FALSE(CurrentThreadState().impersonating) << "a test left the thread impersonating";
        m_processUser = UserSidText(ProcessToken().Get());
        ASSERT_FALSE(m_processUser.empty());
    }
    void TearDown() override { EXPECT_FALSE(CurrentThreadState().impersonating); }

    std::string m_processUser;
};

TEST_F(TokenImpersonatorTest, ImpersonatesTheProcessAndRevertsOneAtATimeOrAllAtOnce) {
    CTqlTokenImpersonator impersonator;
    ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    EXPECT_EQ(impersonator.Depth(), 1u);
    ThreadState state = CurrentThreadState();
    EXPECT_TRUE(state.impersonating);
    EXPECT_EQ(state.type, kTqlTokenImpersonation);
    EXPECT_EQ(state.level, kTqlSecurityImpersonation);
    EXPECT_EQ(state.user, m_processUser);
    EXPECT_EQ(impersonator.Revert(FALSE), 0u);
    EXPECT_EQ(impersonator.Depth(), 0u);
    EXPECT_FALSE(CurrentThreadState().impersonating);

    for (int i = 0; i < 3; ++i) ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    EXPECT_EQ(impersonator.Revert(FALSE), 0u);
    EXPECT_EQ(impersonator.Depth(), 2u);
    EXPECT_TRUE(CurrentThreadState().impersonating);
    EXPECT_EQ(impersonator.Revert(TRUE), 0u);
    EXPECT_EQ(impersonator.Depth(), 0u);
    EXPECT_FALSE(CurrentThreadState().impersonating);
    // Used again, and left to the destructor to revert (TearDown checks).
    ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    EXPECT_TRUE(CurrentThreadState().impersonating);
}

TEST_F(TokenImpersonatorTest, FailedImpersonateLeavesThreadAndStackAsTheyWere) {
    test::TraceRecorder recorder;
    CTqlTokenImpersonator impersonator;
    EXPECT_EQ(impersonator.Impersonate(TqlInvalidHandleValue()), 87u);
    EXPECT_EQ(impersonator.Depth(), 0u);
    EXPECT_FALSE(CurrentThreadState().impersonating);
    EXPECT_FALSE(recorder.Contains("Impersonated: "));

    // A value beyond any handle table. (A closed handle would not do: the
    // system reuses handle values, and Impersonate opens a token itself.)
    HANDLE bogus = reinterpret_cast<HANDLE>(std::uintptr_t{0x7FFFFFF0});
    ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    EXPECT_EQ(impersonator.Impersonate(bogus), kInvalidHandle);
    EXPECT_EQ(impersonator.Depth(), 1u);
    ThreadState state = CurrentThreadState();
    EXPECT_TRUE(state.impersonating);
    EXPECT_EQ(state.level, kTqlSecurityImpersonation);
    // The error's text is the system's own.
    EXPECT_TRUE(recorder.Contains("_ImpersonateLoggedOnUser() failed, err=6 ("));
    EXPECT_EQ(impersonator.Revert(FALSE), 0u);
    EXPECT_FALSE(CurrentThreadState().impersonating);
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

TEST_F(TokenImpersonatorTest, GetImpersonationTokenFallsBackToTheProcessOnlyWhenAsked) {
    CTqlToken token;
    EXPECT_EQ(CTqlTokenImpersonator::GetImpersonationToken(token, FALSE), kTqlErrorNoToken);
    EXPECT_FALSE(token);

    ASSERT_EQ(CTqlTokenImpersonator::GetImpersonationToken(token, TRUE), 0u);
    ASSERT_TRUE(token);
    EXPECT_EQ(TokenDword(token.Get(), kTqlTokenType), kTqlTokenPrimary);
    EXPECT_EQ(UserSidText(token.Get()), m_processUser);
    // A primary token has no impersonation level.
    void* block = nullptr;
    EXPECT_EQ(TqlGetTokenInfo(token.Get(), kTqlTokenImpersonationLevel, &block),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(block, nullptr);

    // An impersonating thread answers with its own token, fall-back or not.
    CTqlTokenImpersonator impersonator;
    ASSERT_EQ(impersonator.Impersonate(nullptr), 0u);
    ASSERT_EQ(CTqlTokenImpersonator::GetImpersonationToken(token, TRUE), 0u);
    EXPECT_EQ(TokenDword(token.Get(), kTqlTokenType), kTqlTokenImpersonation);
}

TEST(TokenInfo, RejectsBadArguments) {
    void* block = reinterpret_cast<void*>(1);
    EXPECT_EQ(TqlGetTokenInfo(TqlInvalidHandleValue(), kTqlTokenUser, &block), kInvalidHandle);
    EXPECT_EQ(block, nullptr);
    CTqlToken token = ProcessToken();
    EXPECT_EQ(TqlGetTokenInfo(token.Get(), kTqlTokenUser, nullptr), ERROR_INVALID_PARAMETER);
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
}  // namespace ql
