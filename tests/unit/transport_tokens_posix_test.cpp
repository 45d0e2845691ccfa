// Automatic logon holds two tokens at most (the caller's and the kept
// duplicate), replaces rather than leaks them, and closes both at the end.
#include <gtest/gtest.h>

#include "scripted_back_end.h"
#include "support/security/token_impersonator.h"

namespace ql::test {
namespace {

TEST(TransportTokensTest, TokensAreReplacedAndClosed) {
    const std::size_t before = TqlPosixOpenTokenCount();
    {
        CScriptedBackEnd transport;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(S_OK, transport.SetAuthInfo(nullptr, TRUE));
            EXPECT_EQ(before + 2, TqlPosixOpenTokenCount());
        }
        EXPECT_EQ(S_OK, transport.SetAuthInfo(nullptr, FALSE));  // no duplicate kept
        EXPECT_EQ(before + 2, TqlPosixOpenTokenCount());
        // Empty credentials always count as a change: the kept duplicate
        // becomes the token in use.
        EXPECT_EQ(S_OK, transport.RestoreDefaultCredentials());
        EXPECT_EQ(before + 1, TqlPosixOpenTokenCount());
    }
    EXPECT_EQ(before, TqlPosixOpenTokenCount());
}

}  // namespace
}  // namespace ql::test
