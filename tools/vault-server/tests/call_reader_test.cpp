#include "call_reader.h"

#include <gtest/gtest.h>

#include "vault_test_util.h"

namespace ql::vault {
namespace {

TEST(CallReaderTest, RefusesTruncatedHeadersAndBadStreamHeaders) {
    // An object-lifetime Ping sent without an object.
    std::string body = test::CallBody("", test::kPersist, "Ping");
    std::vector<std::string> bad;
    for (std::size_t size = 0; size < body.size(); ++size) bad.push_back(body.substr(0, size));
    // A header size below 12, then a newer version.
    bad.push_back(body);
    bad.back()[0] = 8;
    bad.push_back(body);
    bad.back()[4] = 2;
    for (std::size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_THROW(CallReader reader(test::Span(bad[i])), ATL::CAtlException);
    }
    EXPECT_NO_THROW(CallReader reader(test::Span(body)));
}

}  // namespace
}  // namespace ql::vault
