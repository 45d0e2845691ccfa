#include "call_reader.h"

#include <gtest/gtest.h>

#include "bytes.h"
#include "vault_test_util.h"

namespace ql::vault {
namespace {

using ql::test::Hex;

// The body of an object-lifetime Ping sent without an object.
const char* const kPingBody =
    "0C 00 00 00 01 00 06 00 FF 00 00 00"
    "00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "F4 4F 7F 75 D0 1F 4A 4B 8C EE 42 FF 31 CD 6A 6D"
    "0A 00 00 00 50 00 69 00 6E 00 67 00 00 00";

std::string Text(const ql::test::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(CallReaderTest, RefusesTruncatedHeadersAndBadStreamHeaders) {
    std::string body = Text(Hex(kPingBody));
    std::vector<std::string> bad;
    for (std::size_t size = 0; size < body.size(); ++size) bad.push_back(body.substr(0, size));
    // A header size below 12, then a newer version.
    for (const char* header :
         {"08 00 00 00 01 00 06 00 FF 00 00 00", "0C 00 00 00 02 00 06 00 FF 00 00 00"})
        bad.push_back(Text(Hex(header)) + body.substr(12));
    for (std::size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_THROW(CallReader reader(test::Span(bad[i])), ATL::CAtlException);
    }
}

}  // namespace
}  // namespace ql::vault
