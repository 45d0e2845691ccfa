// The repository object: initialisation, service URL, time-out, server
// object creation and the end of its life.
#include <gtest/gtest.h>

#include "repository/perf_test.h"
#include "repository_fixture.h"
#include "support/base/unique_bstr.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

const GUID kNull = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const CLSID kSomeClass = {0x11111111, 0x2222, 0x3333, {4, 4, 5, 5, 6, 6, 7, 7}};
const IID kSomeInterface = {0x88888888, 0x9999, 0xAAAA, {1, 2, 3, 4, 5, 6, 7, 8}};

CUniqueBstr Text(LPCWSTR text) { return CUniqueBstr(SysAllocString(text)); }

class SoapRepositoryTest : public RepositoryTest {
protected:
    HRESULT InitializeHttp(LPCWSTR server = OLESTR("vault"), LONG secure = 0, USHORT port = 80,
                           LPCWSTR proxy = nullptr, USHORT proxyPort = 0) {
        CUniqueBstr serverText = Text(server);
        CUniqueBstr proxyText = Text(proxy);
        CUniqueBstr user = Text(OLESTR("proxyuser"));
        CUniqueBstr password = Text(OLESTR("s3cret-proxy-pass"));
        return m_repository->Initialize(3, serverText.Get(), secure, port, proxyText.Get(),
                                        proxyPort, user.Get(), password.Get());
    }

    HRESULT Create(IUnknown** result, GUID iid = kSomeInterface) {
        GUID clsid = kSomeClass;
        return m_repository->CreateInterface(&clsid, &iid, nullptr, result);
    }

    // Creates the server object over HTTP; the reply names it objectId (a
    // zero-length identifier leaves none).
    HRESULT CreateOverHttp(std::u16string_view objectId, IUnknown** result,
                           GUID iid = kSomeInterface) {
        Wire request(255), reply(255);
        request.Put(CallHeader(kNull, IID_IHttpPersist, u"CreateObject"));
        reply.Put(ReplyHead(S_OK));
        objectId.empty() ? reply.ULong(0) : reply.Bstr(objectId);
        m_transport->ExpectCall(request.Guid(kSomeClass).Guid(iid).bytes, reply.bytes);
        return Create(result, iid);
    }

    // A Ping whose request carries objectId (empty: no identifier).
    void Ping(std::u16string_view objectId) {
        m_transport->ExpectCall(
            CallHeader(kNull, IID_IHttpPersist, u"Ping", objectId, !objectId.empty()),
            Wire(255).Put(ReplyHead(S_OK)).ULong(0x00C0FFEE).bytes);
        ULONG status = 0;
        EXPECT_EQ(S_OK, m_repository->Ping(&status));
        EXPECT_EQ(0x00C0FFEEu, status);
    }

    TraceRecorder m_traces;
};

TEST_F(SoapRepositoryTest, ServiceUrlAndProxyKeepOnlyTheGivenPorts) {
    EXPECT_EQ(S_OK, InitializeHttp(OLESTR("vault.example.com:8443"), 1, 443, OLESTR(""), 8080));
    // A proxy string needs both address and port.
    InitializeHttp(OLESTR("vault"), 0, 80, OLESTR("proxy.local"), 0);
    InitializeHttp(OLESTR("vault"), 0, 80, OLESTR("proxy.local:9999"), 3128);
    const auto& urls = m_transport->UrlCalls();
    ASSERT_EQ(3u, urls.size());
    EXPECT_EQ(WString(OLESTR("vault.example.com")), urls[0].server);
    EXPECT_EQ(WString(OLESTR(
                  "https://vault.example.com:443/ZelNQVault/NqHttpVault.dll?Handler=HttpVault")),
              urls[0].url);
    EXPECT_EQ(WString(), urls[0].proxy);
    EXPECT_EQ(WString(), urls[1].proxy);
    EXPECT_EQ(WString(OLESTR("proxy.local:3128")), urls[2].proxy);
    EXPECT_EQ(WString(OLESTR("http://vault:80/ZelNQVault/NqHttpVault.dll?Handler=HttpVault")),
              urls[2].url);
    const auto& proxyCredentials = m_transport->ProxyCredentialCalls();
    ASSERT_EQ(3u, proxyCredentials.size());
    EXPECT_EQ(WString(OLESTR("proxyuser")), proxyCredentials[0].user);
    EXPECT_EQ(WString(OLESTR("s3cret-proxy-pass")), proxyCredentials[0].password);
    EXPECT_TRUE(m_traces.Contains("proxyUser=proxyuser"));
    EXPECT_FALSE(m_traces.Contains("s3cret-proxy-pass"));
}

TEST_F(SoapRepositoryTest, TimeoutComesFromTheConfigurationInSeconds) {
    InitializeHttp();
    EXPECT_EQ(120000u, m_repository->TimeoutMs());  // setting missing

    m_configNumbers[SettingId::HttpVault_HttpTransportTimeout] = 30;
    InitializeHttp();
    EXPECT_EQ(30000u, m_repository->TimeoutMs());

    // SetTimeout reaches the transport; a configuration that cannot be
    // opened leaves the value alone.
    EXPECT_EQ(S_OK, m_repository->SetTimeout(5000));
    EXPECT_EQ(5000u, m_transport->Timeout());
    m_configOpens = false;
    InitializeHttp();
    EXPECT_EQ(5000u, m_repository->TimeoutMs());

    // A setting too large for milliseconds saturates instead of wrapping.
    m_configOpens = true;
    m_configNumbers[SettingId::HttpVault_HttpTransportTimeout] = 5000000;
    InitializeHttp();
    EXPECT_EQ(0xFFFFFFFFu, m_repository->TimeoutMs());
}

TEST_F(SoapRepositoryTest, CreateInterfaceOverHttpStoresTheObjectIdentifier) {
    m_configNumbers[SettingId::HttpVault_HttpTransportTimeout] = 30;
    InitializeHttp();
    IUnknown* created = nullptr;
    ASSERT_EQ(E_NOINTERFACE, CreateOverHttp(u"obj-1", &created));
    EXPECT_EQ(nullptr, created);
    EXPECT_EQ(1, m_transport->AuthInfoCalls());
    EXPECT_EQ(30000u, m_transport->Timeout());

    // The identifier leads every later request.
    Ping(u"obj-1");
    EXPECT_TRUE(m_traces.Contains("IHttpPersist_Ping"));
    EXPECT_TRUE(
        m_traces.Contains("CSoapRepository: Ping result: hr=0x00000000, status=0x00C0FFEE."));

    // A second creation is refused without contacting the server.
    EXPECT_EQ(static_cast<HRESULT>(0x800704DF), Create(&created));
    EXPECT_TRUE(m_traces.Contains("The function should be called only once per instance."));

    // The end of the object goes back to the default credentials, then
    // destroys the server object it created.
    bool transportGone = false;
    std::vector<WString> events;
    m_transport->events = &events;
    m_transport->destroyedFlag = &transportGone;
    m_transport->ExpectCall(CallHeader(kNull, IID_IHttpPersist, u"DestroyObject", u"obj-1", true),
                            ReplyHead(S_OK));
    m_repository->AddRef();
    EXPECT_EQ(1u, m_repository->Release());
    EXPECT_FALSE(transportGone);
    DestroyRepository();
    EXPECT_TRUE(transportGone);
    EXPECT_EQ((std::vector<WString>{OLESTR("Restore"), OLESTR("DestroyObject")}), events);
}

TEST_F(SoapRepositoryTest, CreateInterfaceAnswersWithTheObjectItself) {
    InitializeHttp();
    // Creation goes on when the credentials cannot be set.
    m_transport->authInfoResult = E_ACCESSDENIED;
    IUnknown* created = nullptr;
    ASSERT_EQ(S_OK, CreateOverHttp(u"", &created, IID_IQuillon));
    EXPECT_EQ((std::vector<WString>{OLESTR("SetAuthInfo"), OLESTR("CreateObject")}),
              *m_transport->events);
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IQuillon*>(m_repository)), created);
    created->Release();

    // Later requests carry an empty identifier, and nothing is destroyed at
    // the end.
    Ping(u"");
    DestroyRepository();
}

TEST_F(SoapRepositoryTest, FailedCreationIsTracedAndLeavesTheObjectCreated) {
    InitializeHttp();
    m_transport->ExpectAnyCallThrowing(static_cast<HRESULT>(0x800706BA));
    IUnknown* created = reinterpret_cast<IUnknown*>(&m_traces);
    EXPECT_EQ(static_cast<HRESULT>(0x800706BA), Create(&created));
    EXPECT_EQ(nullptr, created);
    EXPECT_TRUE(
        m_traces.Contains("IHttpPersist::CreateObject() - Caught CAtlException. hr=800706BA"));
    EXPECT_TRUE(m_traces.Contains("clsid={11111111-2222-3333-0404-050506060707}"));
    EXPECT_EQ(static_cast<HRESULT>(0x800704DF), Create(&created));
}

TEST_F(SoapRepositoryTest, TheDcomTypeComposesNoUrlAndCreatesNothingWithoutAServer) {
    CUniqueBstr server = Text(OLESTR("vault"));
    EXPECT_EQ(S_OK, m_repository->Initialize(1, server.Get(), 0, 80, nullptr, 0, nullptr, nullptr));
    EXPECT_TRUE(m_transport->UrlCalls().empty());
    EXPECT_TRUE(m_transport->ProxyCredentialCalls().empty());
    IUnknown* created = nullptr;
    EXPECT_TRUE(FAILED(Create(&created)));
    EXPECT_EQ(nullptr, created);
    EXPECT_EQ(0u, m_transport->SendCount());
    EXPECT_EQ(E_POINTER, Create(nullptr));
    EXPECT_EQ(E_POINTER, m_repository->Ping(nullptr));

    // Over HTTP, a null proxy user reaches the transport as null.
    EXPECT_EQ(S_OK, m_repository->Initialize(3, server.Get(), 0, 80, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(1u, m_transport->UrlCalls().size());
    ASSERT_EQ(1u, m_transport->ProxyCredentialCalls().size());
    EXPECT_TRUE(m_transport->ProxyCredentialCalls()[0].userNull);
}

TEST_F(SoapRepositoryTest, PerfTestReplacesTheCallersReply) {
    Wire request(255);
    request.Put(CallHeader(kNull, IID_IHttpPersist, u"PerfTest")).Bstr(u"data").Int(3);
    m_transport->ExpectCall(request.bytes, Wire(255).Put(ReplyHead(S_OK)).Bstr(u"abc").bytes);
    CUniqueBstr data = Text(OLESTR("data"));
    CUniqueBstr reply = Text(OLESTR("old"));
    EXPECT_EQ(S_OK, PerfTest(*m_transport, data.Get(), 3, reply.Address()));
    EXPECT_EQ(WString(OLESTR("abc")), WString(reply.Get()));

    m_transport->ExpectAnyCallThrowing(static_cast<HRESULT>(0x800706BA));
    EXPECT_EQ(static_cast<HRESULT>(0x800706BA),
              PerfTest(*m_transport, nullptr, 0, reply.Address()));
    EXPECT_TRUE(m_traces.Contains("IPersist_PerfTest() - Caught CAtlException. hr=800706BA ("));
    EXPECT_EQ(E_POINTER, PerfTest(*m_transport, nullptr, 0, nullptr));
}

}  // namespace
}  // namespace ql::test
