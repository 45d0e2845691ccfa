#include "call_reader.h"

#include <gtest/gtest.h>

#include "bytes.h"
#include "vault_test_util.h"

namespace ql::vault {
namespace {

using ql::test::Hex;

// The documented body of an object-lifetime Ping sent without an object.
const char* const kPingBody =
    "0C 00 00 00 01 00 06 00 FF 00 00 00"
    "00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "F4 4F 7F 75 D0 1F 4A 4B 8C EE 42 FF 31 CD 6A 6D"
    "0A 00 00 00 50 00 69 00 6E 00 67 00 00 00";

std::string Text(const ql::test::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(CallReaderTest, ReadsTheDocumentedPingBody) {
    std::string body = Text(Hex(kPingBody));
    ASSERT_EQ(62u, body.size());
    CallReader reader(test::Span(body));
    EXPECT_EQ("", reader.Header().objectId);
    EXPECT_TRUE(reader.Header().clsid == CLSID{});
    EXPECT_TRUE(reader.Header().iid == test::kPersist);
    EXPECT_EQ("Ping", reader.Header().method);
    EXPECT_TRUE(reader.AtEnd());
}

TEST(CallReaderTest, ReadsAnObjectIdentifierAndLeavesTheArguments) {
    std::string body = test::CallBody("obj-7", test::kPersist, "PerfTest",
                                      [](CBinarySerializer& out) { out.WriteLong(5); });
    CallReader reader(test::Span(body));
    EXPECT_EQ("obj-7", reader.Header().objectId);
    EXPECT_EQ("PerfTest", reader.Header().method);
    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(5, reader.In().ReadLong());
    EXPECT_TRUE(reader.AtEnd());
}

TEST(CallReaderTest, RefusesEveryTruncationOfTheHeaders) {
    std::string body = Text(Hex(kPingBody));
    for (std::size_t size = 0; size < body.size(); ++size) {
        SCOPED_TRACE(size);
        std::string cut = body.substr(0, size);
        EXPECT_THROW(CallReader reader(test::Span(cut)), ATL::CAtlException);
    }
}

TEST(CallReaderTest, RefusesBadStreamHeaders) {
    struct Case {
        const char* name;
        const char* header;
    };
    const Case cases[] = {
        {"size below 12", "08 00 00 00 01 00 06 00 FF 00 00 00"},
        {"newer version", "0C 00 00 00 02 00 06 00 FF 00 00 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string body = Text(Hex(kPingBody));
        body.replace(0, 12, Text(Hex(c.header)));
        EXPECT_THROW(CallReader reader(test::Span(body)), ATL::CAtlException);
    }
}

}  // namespace
}  // namespace ql::vault
