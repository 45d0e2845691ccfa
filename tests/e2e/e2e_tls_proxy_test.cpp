// HTTPS with the vault's self-signed certificate, strict TLS, and a real
// forward proxy (squid) in front of the vault. One suite, run in one
// process: strict TLS is a machine-wide registry value.
#include <optional>

#include "e2e_support.h"
#include "squid_proxy_posix.h"
#include "support/base/hresults.h"
#include "support/registry/registry.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

// Sets one of the back end's machine-wide settings for the life of the object.
class Setting {
public:
    Setting(LPCWSTR name, DWORD value) : m_name(name) {
        EXPECT_EQ(0u,
                  TqlWriteRegistryDword(HKEY_LOCAL_MACHINE, kKey, name, REG_DWORD, value, FALSE));
    }
    Setting(LPCWSTR name, const std::string& value) : m_name(name) {
        WString wide = FromUtf8(value);
        EXPECT_EQ(0u, TqlWriteRegistryString(HKEY_LOCAL_MACHINE, kKey, name, REG_SZ, wide.c_str(),
                                             kTqlNullTerminated, FALSE));
    }
    ~Setting() { TqlDeleteRegistryValue(HKEY_LOCAL_MACHINE, kKey, m_name, FALSE); }

private:
    static constexpr LPCWSTR kKey = CCurlBinTransport::kSettingsKey;
    LPCWSTR m_name;
};

// A real forward proxy, and the server's own certificate (made out to
// localhost), trusted or not.
TEST(EndToEndTlsProxyTest, ProxyCertificatesAndStrictTls) {
    SquidProxy squid;
    std::string why;
    ASSERT_TRUE(squid.Start("puser", "ppass", why)) << why;
    VaultServer::Options options;
    options.https = true;
    VaultServer server;
    QL_START(server, options);
    struct Route {
        const char* name;
        const char* server;  // a dotted name goes through the proxy
        bool secure, trusted;
        int certificateError;  // the certificate failure traced, 0 for none
    };
    const Route routes[] = {
        {"through the proxy: 407, then its credentials", "127.0.0.1", false, false, 0},
        {"a name without a dot: the proxy given is not even listening", "localhost", false, false,
         0},
        {"trusted, for another name, through a CONNECT tunnel", "127.0.0.1", true, true, 12038},
        {"unknown authority", "localhost", true, false, 12045},
    };
    for (const Route& r : routes) {
        SCOPED_TRACE(r.name);
        server.Reset();
        std::optional<Setting> trust;
        if (r.trusted) trust.emplace(CCurlBinTransport::kCaFileValue, server.CertificatePath());
        const bool proxied = std::string(r.server).find('.') != std::string::npos;
        TraceRecorder traces;
        Client client;
        client.Initialize(r.server, r.secure ? server.HttpsPort() : server.HttpPort(), r.secure,
                          "127.0.0.1", proxied ? squid.Port() : FreeLoopbackPort(), "puser",
                          "ppass");
        EXPECT_EQ(S_OK, client.Ping());
        EXPECT_EQ(S_OK, client.Ping());
        EXPECT_EQ(2u, server.Requests().size());  // the proxy's 407s stay with the proxy
        EXPECT_FALSE(traces.Contains("ppass")) << "a password reached a trace";
        EXPECT_EQ(proxied, traces.Contains("Selected proxy auth scheme=1."));
        EXPECT_EQ(r.certificateError != 0, traces.Contains("SECURE_FAILURE"));
        if (r.certificateError == 0) continue;
        EXPECT_TRUE(traces.Contains("SECURE_FAILURE (err=" + std::to_string(r.certificateError)));
        // The lowered checks serve the next call too.
        EXPECT_TRUE(client.Transport().CertificateWarningsDisabled());
    }
    // Strict TLS: the checks are never lowered.
    Setting strict(CCurlBinTransport::kStrictTlsValue, 1);
    Client client;
    client.Initialize("localhost", server.HttpsPort(), true);
    EXPECT_EQ(static_cast<unsigned>(hr::kServerUnavailable), static_cast<unsigned>(client.Ping()));
}

}  // namespace
}  // namespace ql::test
