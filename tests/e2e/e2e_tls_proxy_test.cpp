// HTTPS with the vault's self-signed certificate, strict TLS, and a real
// forward proxy (squid) in front of the vault. One suite, run in one
// process: strict TLS is a machine-wide registry value.
#include "e2e_support.h"
#include "squid_proxy_posix.h"
#include "support/base/hresults.h"
#include "support/registry/registry.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

// Sets the strict TLS value for the life of the object.
class StrictTls {
public:
    StrictTls() {
        EXPECT_EQ(0u,
                  TqlWriteRegistryDword(HKEY_LOCAL_MACHINE, CCurlBinTransport::kSettingsKey,
                                        CCurlBinTransport::kStrictTlsValue, REG_DWORD, 1, FALSE));
    }
    ~StrictTls() {
        TqlDeleteRegistryValue(HKEY_LOCAL_MACHINE, CCurlBinTransport::kSettingsKey,
                               CCurlBinTransport::kStrictTlsValue, FALSE);
    }
};

// Trusts the server's own certificate for the life of the object.
class TrustedCertificate {
public:
    explicit TrustedCertificate(const std::string& path) {
        WString wide = FromUtf8(path);
        EXPECT_EQ(0u, TqlWriteRegistryString(HKEY_LOCAL_MACHINE, CCurlBinTransport::kSettingsKey,
                                             CCurlBinTransport::kCaFileValue, REG_SZ, wide.c_str(),
                                             kTqlNullTerminated, FALSE));
    }
    ~TrustedCertificate() {
        TqlDeleteRegistryValue(HKEY_LOCAL_MACHINE, CCurlBinTransport::kSettingsKey,
                               CCurlBinTransport::kCaFileValue, FALSE);
    }
};

TEST(EndToEndTlsProxyTest, SelfSignedCertificateAndStrictTls) {
    VaultServer::Options options;
    options.https = true;
    VaultServer server;
    QL_START(server, options);
    {
        TraceRecorder traces;
        Client client;
        client.Initialize("localhost", server.HttpsPort(), true);
        EXPECT_EQ(S_OK, client.Ping());
        EXPECT_EQ(S_OK, client.Ping());
        // Unknown authority once; the lowered checks serve the next call too.
        EXPECT_TRUE(traces.Contains("SECURE_FAILURE (err=12045"));
        EXPECT_EQ(2u, server.Requests().size());
        EXPECT_TRUE(client.Transport().CertificateWarningsDisabled());
    }
    {
        StrictTls strict;
        Client client;
        client.Initialize("localhost", server.HttpsPort(), true);
        EXPECT_EQ(static_cast<unsigned>(hr::kServerUnavailable),
                  static_cast<unsigned>(client.Ping()));
    }
}

TEST(EndToEndTlsProxyTest, ATrustedCertificateForAnotherName) {
    VaultServer::Options options;
    options.https = true;  // made out to localhost
    VaultServer server;
    QL_START(server, options);
    TrustedCertificate trusted(server.CertificatePath());
    {
        TraceRecorder traces;
        Client client;
        client.Initialize("localhost", server.HttpsPort(), true);
        EXPECT_EQ(S_OK, client.Ping());
        EXPECT_FALSE(traces.Contains("SECURE_FAILURE"));
    }
    {
        TraceRecorder traces;
        Client client;
        client.Initialize("127.0.0.1", server.HttpsPort(), true);
        EXPECT_EQ(S_OK, client.Ping());
        EXPECT_TRUE(traces.Contains("SECURE_FAILURE (err=12038"));
    }
    StrictTls strict;
    Client client;
    client.Initialize("127.0.0.1", server.HttpsPort(), true);
    EXPECT_EQ(static_cast<unsigned>(hr::kServerUnavailable), static_cast<unsigned>(client.Ping()));
}

TEST(EndToEndTlsProxyTest, ThroughSquid) {
    SquidProxy squid;
    std::string why;
    ASSERT_TRUE(squid.Start("puser", "ppass", why)) << why;
    VaultServer::Options options;
    options.https = true;
    VaultServer server;
    QL_START(server, options);

    // A dotted server name goes through the proxy: 407, then the proxy's
    // credentials.
    {
        TraceRecorder traces;
        Client client;
        client.Initialize("127.0.0.1", server.HttpPort(), false, "127.0.0.1", squid.Port(), "puser",
                          "ppass");
        EXPECT_EQ(S_OK, client.Ping());
        EXPECT_TRUE(traces.Contains("Selected proxy auth scheme=1."));
        auto requests = server.Requests();
        ASSERT_EQ(1u, requests.size());  // the 407 came from the proxy
        EXPECT_EQ("", Header(requests[0], "Proxy-Authorization"));
    }
    // Wrong proxy credentials: 407 to the end.
    {
        Client client;
        client.Initialize("127.0.0.1", server.HttpPort(), false, "127.0.0.1", squid.Port(), "puser",
                          "wrong");
        EXPECT_EQ(static_cast<unsigned>(hr::kAccessDenied), static_cast<unsigned>(client.Ping()));
    }
    // HTTPS through a CONNECT tunnel.
    {
        server.Reset();
        Client client;
        client.Initialize("127.0.0.1", server.HttpsPort(), true, "127.0.0.1", squid.Port(), "puser",
                          "ppass");
        EXPECT_EQ(S_OK, client.Ping());
        EXPECT_EQ(1u, server.Requests().size());
    }
    // A name without a dot is reached directly: the proxy given is not even
    // listening.
    {
        server.Reset();
        Client client;
        client.Initialize("localhost", server.HttpPort(), false, "127.0.0.1", FreeLoopbackPort(),
                          "puser", "ppass");
        EXPECT_EQ(S_OK, client.Ping());
        EXPECT_EQ(1u, server.Requests().size());
    }
}

}  // namespace
}  // namespace ql::test
