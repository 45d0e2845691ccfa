// Identifiers as text and as account names, the same on every platform.
#include "support/security/account_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/base/wide_string.h"
#include "support/security/token_impersonator.h"
#include "support/shared_state/process_heap.h"
#include "system_facts.h"

namespace ql::test {

namespace {

// A SID laid out by hand: revision 1, the count, the six authority bytes and
// the sub-authorities in host order.
std::vector<BYTE> Sid(std::vector<BYTE> authority, std::vector<DWORD> subAuthorities) {
    std::vector<BYTE> sid(2 + authority.size() + 4 * subAuthorities.size());
    sid[0] = 1;
    sid[1] = static_cast<BYTE>(subAuthorities.size());
    for (std::size_t i = 0; i < authority.size(); ++i) sid[2 + i] = authority[i];
    for (std::size_t i = 0; i < subAuthorities.size(); ++i)
        std::memcpy(&sid[2 + authority.size() + 4 * i], &subAuthorities[i], 4);
    return sid;
}

const std::vector<BYTE> kNtAuthority = {0, 0, 0, 0, 0, 5};
const std::vector<BYTE> kEveryone = Sid({0, 0, 0, 0, 0, 1}, {0});

std::string Text(const std::vector<BYTE>& sid, DWORD size = 200, DWORD expected = 0) {
    std::vector<WCHAR> buffer(size + 1, 'x');
    EXPECT_EQ(TqlSidToText(sid.data(), buffer.data(), size), expected);
    EXPECT_EQ(buffer[size], 'x') << "wrote past the buffer";
    return ToUtf8(buffer.data());
}

TEST(SidToText, WritesTheStandardForm) {
    EXPECT_EQ(Text(Sid(kNtAuthority, {18})), "S-1-5-18");
    EXPECT_EQ(Text(Sid(kNtAuthority, {})), "S-1-5");
    EXPECT_EQ(Text(Sid(kNtAuthority, {21, 4294967295u, 0, 1000})), "S-1-5-21-4294967295-0-1000");
    // Up to 2^32 - 1 the authority is a decimal number ...
    EXPECT_EQ(Text(Sid({0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, {7})), "S-1-4294967295-7");
    EXPECT_EQ(Text(Sid({0, 0, 0x80, 0, 0, 0}, {})), "S-1-2147483648");
    // ... above it six bytes of lower-case hexadecimal.
    EXPECT_EQ(Text(Sid({1, 2, 3, 4, 5, 6}, {7})), "S-1-0x010203040506-7");
    EXPECT_EQ(Text(Sid({0, 1, 0, 0, 0xab, 0}, {})), "S-1-0x00010000ab00");
}

TEST(SidToText, LongestIdentifierFitsItsExactSizeAndLongerTextIsCut) {
    std::vector<BYTE> longest =
        Sid({0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, std::vector<DWORD>(15, 4294967295u));
    std::string expected = "S-1-0xffffffffffff";
    for (int i = 0; i < 15; ++i) expected += "-4294967295";
    EXPECT_EQ(Text(longest, static_cast<DWORD>(expected.size() + 1)), expected);

    std::vector<BYTE> sid = Sid(kNtAuthority, {21, 1000});
    EXPECT_EQ(Text(sid, 14), "S-1-5-21-1000");
    EXPECT_EQ(Text(sid, 13, ERROR_INSUFFICIENT_BUFFER), "S-1-5-21-100");
    EXPECT_EQ(Text(sid, 5, ERROR_INSUFFICIENT_BUFFER), "S-1-");
    EXPECT_EQ(Text(sid, 1, ERROR_INSUFFICIENT_BUFFER), "");
}

TEST(SidToText, RejectsBadArguments) {
    std::vector<BYTE> sid = Sid(kNtAuthority, {18});
    WCHAR buffer[32];
    EXPECT_EQ(TqlSidToText(nullptr, buffer, 32), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(TqlSidToText(sid.data(), nullptr, 32), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(TqlSidToText(sid.data(), buffer, 0), ERROR_INVALID_PARAMETER);
    std::vector<BYTE> revision2 = sid;
    revision2[0] = 2;
    EXPECT_EQ(TqlSidToText(revision2.data(), buffer, 32), kTqlErrorInvalidSid);
    std::vector<BYTE> sixteen = Sid(kNtAuthority, std::vector<DWORD>(16, 1));
    EXPECT_EQ(TqlSidToText(sixteen.data(), buffer, 32), kTqlErrorInvalidSid);
}

struct HeapDeleter {
    void operator()(void* block) const { TqlFree(block); }
};

// The process account's SID, from its token.
std::vector<BYTE> ProcessUserSid() {
    CTqlToken token;
    EXPECT_EQ(CTqlTokenImpersonator::GetImpersonationToken(token, TRUE), 0u);
    void* block = nullptr;
    EXPECT_EQ(TqlGetTokenInfo(token.Get(), kTqlTokenUser, &block), 0u);
    std::unique_ptr<void, HeapDeleter> owner(block);
    if (block == nullptr) return {};
    auto* sid = static_cast<const BYTE*>(static_cast<TqlTokenUser*>(block)->Sid);
    return std::vector<BYTE>(sid, sid + TqlSidByteLength(sid[1]));
}

struct Lookup {
    DWORD error = 0;
    std::string name;
    DWORD use = 0;
};

Lookup LookUp(const std::vector<BYTE>& sid, BOOL drop, DWORD size = kTqlMaxNameChars) {
    std::vector<WCHAR> buffer(size + 1, 'x');
    Lookup result;
    result.error = TqlLookupNameFromSid(sid.data(), buffer.data(), size, drop, &result.use);
    EXPECT_EQ(buffer[size], 'x') << "wrote past the buffer";
    result.name = ToUtf8(buffer.data());
    return result;
}

TEST(LookupNameFromSid, LocalAccountDropsTheComputerNameWhenAskedAndMustFit) {
    std::vector<BYTE> sid = ProcessUserSid();
    ASSERT_FALSE(sid.empty());
    Lookup full = LookUp(sid, FALSE);
    ASSERT_EQ(full.error, 0u);
    EXPECT_EQ(full.use, kTqlSidTypeUser);
    std::size_t slash = full.name.find('\\');
    ASSERT_NE(slash, std::string::npos) << full.name;
    std::string domain = full.name.substr(0, slash);
    std::string user = full.name.substr(slash + 1);

    Lookup dropped = LookUp(sid, TRUE);
    ASSERT_EQ(dropped.error, 0u);
    // Where the process runs under a domain account the domain stays.
    EXPECT_EQ(dropped.name, domain == SystemComputerName() ? user : full.name);

    DWORD exact = static_cast<DWORD>(FromUtf8(full.name).size() + 1);
    EXPECT_EQ(LookUp(sid, FALSE, exact).name, full.name);
    EXPECT_EQ(LookUp(sid, FALSE, exact - 1).error, ERROR_INSUFFICIENT_BUFFER);
}

TEST(LookupNameFromSid, WellKnownGroupIsTheBareNameAndBadOrUnknownSidsFail) {
    for (BOOL drop : {FALSE, TRUE}) {
        Lookup found = LookUp(kEveryone, drop, 9);
        EXPECT_EQ(found.error, 0u);
        EXPECT_EQ(found.name, "Everyone");
        EXPECT_EQ(found.use, kTqlSidTypeWellKnownGroup);
    }
    Lookup tooSmall = LookUp(kEveryone, FALSE, 8);
    EXPECT_EQ(tooSmall.error, ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(tooSmall.name, "");

    WCHAR buffer[64];
    EXPECT_EQ(TqlLookupNameFromSid(nullptr, buffer, 64, FALSE, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(TqlLookupNameFromSid(kEveryone.data(), nullptr, 64, FALSE, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(TqlLookupNameFromSid(kEveryone.data(), buffer, 0, FALSE, nullptr),
              ERROR_INVALID_PARAMETER);
    // The name use is optional.
    EXPECT_EQ(TqlLookupNameFromSid(kEveryone.data(), buffer, 64, FALSE, nullptr), 0u);

    std::vector<BYTE> invalid = kEveryone;
    invalid[0] = 3;
    EXPECT_EQ(TqlLookupNameFromSid(invalid.data(), buffer, 64, FALSE, nullptr),
              kTqlErrorInvalidSid);
    std::vector<BYTE> nobody = Sid(kNtAuthority, {21, 1, 2, 3, 999999});
    EXPECT_EQ(TqlLookupNameFromSid(nobody.data(), buffer, 64, FALSE, nullptr), kTqlErrorNoneMapped);
}

TEST(ComputerName, IsTheSystemsAndReportsTheSizeItNeeds) {
    std::string name = SystemComputerName();
    ASSERT_FALSE(name.empty());
    DWORD length = static_cast<DWORD>(FromUtf8(name).size());

    WCHAR small[1] = {'x'};
    DWORD size = 1;
    EXPECT_EQ(TqlGetComputerName(small, &size), kTqlErrorBufferOverflow);
    EXPECT_EQ(size, length + 1);

    std::vector<WCHAR> exact(length + 1);
    size = length + 1;
    EXPECT_EQ(TqlGetComputerName(exact.data(), &size), 0u);
    EXPECT_EQ(size, length);
    EXPECT_EQ(ToUtf8(exact.data()), name);

    EXPECT_EQ(TqlGetComputerName(exact.data(), nullptr), ERROR_INVALID_PARAMETER);
    size = 4;
    EXPECT_EQ(TqlGetComputerName(nullptr, &size), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace ql::test
