// The request protocol: the URL parser's limits and scheme table, the
// header block, Base64 of caller names, and the reply stream's request.
#include <gtest/gtest.h>

#include "repository/soap_repository.h"
#include "scripted_back_end.h"
#include "support/base/hresults.h"
#include "transport/request_headers.h"

namespace ql::test {
namespace {

WString Repeat(char c, std::size_t count) { return WString(count, static_cast<WCHAR>(c)); }

TEST(UrlParserTest, SplitsLimitsAndDefaults) {
    struct Case {
        WString url;
        bool ok;
        int scheme = 0;
        USHORT port = 0;
        WString host = {}, user = {}, password = {}, path = {}, extra = {};
    };
    const WString http = OLESTR("http://");
    // clang-format off
    const Case cases[] = {
        {OLESTR("http://vault:8080/ZelNQVault/NqHttpVault.dll?Handler=HttpVault"), true,
         kUrlSchemeHttp, 8080, OLESTR("vault"), {}, {}, OLESTR("/ZelNQVault/NqHttpVault.dll"),
         OLESTR("?Handler=HttpVault")},
        {OLESTR("HTTPS://u:p@host/a#frag?x"), true, kUrlSchemeHttps, 443, OLESTR("host"),
         OLESTR("u"), OLESTR("p"), OLESTR("/a"), OLESTR("#frag?x")},
        {OLESTR("ftp://h"), true, kUrlSchemeFtp, 21, OLESTR("h")},
        {OLESTR("other://h:9"), true, kUrlSchemeUnknown, 9, OLESTR("h")},
        {OLESTR("http://[::1]:81/"), true, kUrlSchemeHttp, 81, OLESTR("[::1]"), {}, {},
         OLESTR("/")},
        // Limits: a component at its limit passes, one character more fails.
        {http + Repeat('h', 256), true, kUrlSchemeHttp, 80, Repeat('h', 256)},
        {http + Repeat('h', 257), false},
        {Repeat('s', 32) + OLESTR("://h"), true, kUrlSchemeUnknown, 0, OLESTR("h")},
        {Repeat('s', 33) + OLESTR("://h"), false},
        {http + Repeat('u', 129) + OLESTR("@h"), false},
        {http + OLESTR("u:") + Repeat('p', 129) + OLESTR("@h"), false},
        {http + OLESTR("h/") + Repeat('p', 2047), true, kUrlSchemeHttp, 80, OLESTR("h"), {}, {},
         OLESTR("/") + Repeat('p', 2047)},
        {http + OLESTR("h/") + Repeat('p', 2048), false},
        {http + OLESTR("h?") + Repeat('q', 2048), false},
        // Not a URL.
        {OLESTR("vault"), false}, {OLESTR(""), false}, {OLESTR("http://h:65536/"), false},
        {OLESTR("http://h:8x/"), false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.url.substr(0, 60)));
        ParsedUrl url;
        url.host = OLESTR("stale");
        ASSERT_EQ(c.ok, ParseUrl(c.url, &url));
        if (!c.ok) {
            EXPECT_EQ(kUrlSchemeHttp, url.schemeNumber);  // reset to the initial values
            EXPECT_TRUE(url.host.empty());
            continue;
        }
        EXPECT_EQ(c.scheme, url.schemeNumber);
        EXPECT_EQ(c.port, url.port);
        EXPECT_EQ(c.host, url.host);
        EXPECT_EQ(c.user, url.user);
        EXPECT_EQ(c.password, url.password);
        EXPECT_EQ(c.path, url.path);
        EXPECT_EQ(c.extra, url.extra);
    }
}

TEST(UrlParserTest, SetUrlKeepsTheOldTargetWhenTheUrlDoesNotParse) {
    CScriptedBackEnd transport;
    ASSERT_EQ(S_OK, transport.SetUrl(OLESTR("vault"), OLESTR("https://vault/a?b"), nullptr));
    EXPECT_TRUE(transport.Url().IsSecure());

    EXPECT_EQ(hr::kFail,
              transport.SetUrl(OLESTR("other"), (OLESTR("http://") + Repeat('h', 257)).c_str(),
                               OLESTR("proxy:1")));
    EXPECT_EQ(WString(OLESTR("vault")), transport.Server());
    EXPECT_EQ(WString(OLESTR("/a?b")), transport.ObjectName());
    EXPECT_TRUE(transport.Proxy().empty());
    EXPECT_FALSE(transport.Url().IsSecure());  // the parsed URL itself is reset
    EXPECT_EQ(hr::kFail, transport.SetUrl(OLESTR("x"), nullptr, nullptr));
}

TEST(RequestHeadersTest, Base64AndTheHeaderBlock) {
    // clang-format off
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"\xff\xfe\xfd", "//79"}};
    // clang-format on
    for (const auto& [in, out] : vectors) EXPECT_EQ(out, Base64Encode(in.data(), in.size()));

    EXPECT_EQ(WString(OLESTR("Content-Type: HttpVault\r\nHVVH: 2\r\nIntfMethodName: Ping\r\n"
                             "IntfUserName: YQAAAA==\r\n")),
              BuildRequestHeaders(OLESTR("Ping"), OLESTR("a")));
    EXPECT_EQ(WString(OLESTR("Content-Type: HttpVault\r\nHVVH: 2\r\nIntfMethodName: Ping\r\n")),
              BuildRequestHeaders(OLESTR("Ping"), OLESTR("")));
    // Characters beyond ASCII travel as UTF-16LE: U+00E9 U+4E2D, terminator.
    EXPECT_EQ(WString(OLESTR("Content-Type: HttpVault\r\nHVVH: 2\r\nIntfUserName: 6QAtTgAA\r\n")),
              BuildRequestHeaders(nullptr, WString{0x00E9, 0x4E2D}));
}

// A stream whose library read gives half of what is asked; the transport's
// tests read through the same class with errors.
class CFixedReadStream final : public CAbsReadStreamOnInternet {
public:
    int reads = 0;

protected:
    BOOL ReadFromRequest(HttpHandle, void*, ULONG count, ULONG* read) override {
        ++reads;
        *read = count / 2;  // fewer than asked is still success
        return TRUE;
    }
    void TraceReadFailure(DWORD) override {}
};

TEST(ReadStreamTest, OwnershipAndRequest) {
    CFixedReadStream stream;
    IStream* self = &stream;
    EXPECT_EQ(1u, self->AddRef());
    EXPECT_EQ(1u, self->Release());  // never deletes
    // Before a request nothing is read; the request is forgotten only when
    // its own handle is closed.
    BYTE buffer[8];
    ULONG read = 0;
    EXPECT_EQ(hr::kReadFault, self->Read(buffer, 8, &read));
    EXPECT_EQ(0, stream.reads);
    auto* request = reinterpret_cast<HttpHandle>(0x40);
    stream.SetRequest(request);
    EXPECT_EQ(S_OK, self->Read(buffer, 8, &read));
    EXPECT_EQ(4u, read);
    stream.ForgetRequest(reinterpret_cast<HttpHandle>(0x44));
    EXPECT_EQ(request, stream.Request());
    stream.ForgetRequest(request);
    EXPECT_EQ(nullptr, stream.Request());
}

}  // namespace
}  // namespace ql::test
