// The repository object: initialisation, service URL, time-out, server
// object creation and the end of its life.
#include <gtest/gtest.h>

#include "repository/perf_test.h"
#include "repository_fixture.h"
#include "support/base/unique_bstr.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

const IID kHttpPersist = {
    0x757F4FF4, 0x1FD0, 0x4B4A, {0x8C, 0xEE, 0x42, 0xFF, 0x31, 0xCD, 0x6A, 0x6D}};
const GUID kNull = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const CLSID kSomeClass = {0x11111111, 0x2222, 0x3333, {4, 4, 5, 5, 6, 6, 7, 7}};
const IID kSomeInterface = {0x88888888, 0x9999, 0xAAAA, {1, 2, 3, 4, 5, 6, 7, 8}};

CUniqueBstr Text(LPCWSTR text) { return CUniqueBstr(SysAllocString(text)); }

class SoapRepositoryTest : public RepositoryTest {
protected:
    HRESULT InitializeHttp(LPCWSTR server, LONG secure, USHORT port, LPCWSTR proxy,
                           USHORT proxyPort) {
        CUniqueBstr serverText = Text(server);
        CUniqueBstr proxyText = Text(proxy);
        CUniqueBstr user = Text(OLESTR("proxyuser"));
        CUniqueBstr password = Text(OLESTR("s3cret-proxy-pass"));
        return m_repository->Initialize(3, serverText.Get(), secure, port, proxyText.Get(),
                                        proxyPort, user.Get(), password.Get());
    }

    // Creates the server object over HTTP; the reply names it objectId (a
    // zero-length identifier leaves none).
    HRESULT CreateOverHttp(std::u16string_view objectId, IUnknown** result,
                           GUID iid = kSomeInterface) {
        Wire request(255), reply(255);
        request.Put(CallHeader(kNull, kHttpPersist, u"CreateObject"));
        reply.Put(ReplyHead(S_OK));
        objectId.empty() ? reply.ULong(0) : reply.Bstr(objectId);
        m_transport->ExpectCall(request.Guid(kSomeClass).Guid(iid).bytes, reply.bytes);
        GUID clsid = kSomeClass;
        return m_repository->CreateInterface(&clsid, &iid, nullptr, result);
    }

    TraceRecorder m_traces;
};

TEST_F(SoapRepositoryTest, ServiceUrlDropsThePortBehindTheHostAndUsesTheGivenPort) {
    EXPECT_EQ(S_OK, InitializeHttp(OLESTR("vault.example.com:8443"), 1, 443, nullptr, 0));
    ASSERT_EQ(1u, m_transport->UrlCalls().size());
    const auto& set = m_transport->UrlCalls()[0];
    EXPECT_EQ(WString(OLESTR("vault.example.com")), set.server);
    EXPECT_EQ(WString(OLESTR(
                  "https://vault.example.com:443/ZelNQVault/NqHttpVault.dll?Handler=HttpVault")),
              set.url);
    EXPECT_EQ(WString(), set.proxy);
    ASSERT_EQ(1u, m_transport->ProxyCredentialCalls().size());
    EXPECT_EQ(WString(OLESTR("proxyuser")), m_transport->ProxyCredentialCalls()[0].user);
    EXPECT_EQ(WString(OLESTR("s3cret-proxy-pass")),
              m_transport->ProxyCredentialCalls()[0].password);
    EXPECT_TRUE(m_traces.Contains(
        "url='https://vault.example.com:443/ZelNQVault/NqHttpVault.dll?Handler=HttpVault'"));
    EXPECT_TRUE(m_traces.Contains("proxyUser=proxyuser"));
    EXPECT_FALSE(m_traces.Contains("s3cret-proxy-pass"));
}

TEST_F(SoapRepositoryTest, ProxyStringNeedsBothAddressAndPort) {
    InitializeHttp(OLESTR("vault"), 0, 80, OLESTR(""), 8080);
    InitializeHttp(OLESTR("vault"), 0, 80, OLESTR("proxy.local"), 0);
    InitializeHttp(OLESTR("vault"), 0, 80, OLESTR("proxy.local:9999"), 3128);
    ASSERT_EQ(3u, m_transport->UrlCalls().size());
    EXPECT_EQ(WString(), m_transport->UrlCalls()[0].proxy);
    EXPECT_EQ(WString(), m_transport->UrlCalls()[1].proxy);
    EXPECT_EQ(WString(OLESTR("proxy.local:3128")), m_transport->UrlCalls()[2].proxy);
    EXPECT_EQ(WString(OLESTR("http://vault:80/ZelNQVault/NqHttpVault.dll?Handler=HttpVault")),
              m_transport->UrlCalls()[2].url);
}

TEST_F(SoapRepositoryTest, OnlyTheHttpTransportTypeComposesAUrl) {
    CUniqueBstr server = Text(OLESTR("vault"));
    EXPECT_EQ(S_OK, m_repository->Initialize(1, server.Get(), 0, 80, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(1u, m_repository->TransportType());
    EXPECT_TRUE(m_transport->UrlCalls().empty());
    EXPECT_TRUE(m_transport->ProxyCredentialCalls().empty());
    EXPECT_EQ(S_OK, m_repository->Initialize(3, server.Get(), 0, 80, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(1u, m_transport->UrlCalls().size());
    EXPECT_EQ(1u, m_transport->ProxyCredentialCalls().size());
    EXPECT_TRUE(m_transport->ProxyCredentialCalls()[0].userNull);
    EXPECT_EQ(S_OK, m_repository->DeInitialize());
}

TEST_F(SoapRepositoryTest, TimeoutComesFromTheConfigurationInSeconds) {
    EXPECT_EQ(CSoapRepository::kDefaultTimeoutMs, m_repository->TimeoutMs());
    InitializeHttp(OLESTR("vault"), 0, 80, nullptr, 0);
    EXPECT_EQ(120000u, m_repository->TimeoutMs());  // setting missing

    m_configNumbers[SettingId::HttpVault_HttpTransportTimeout] = 30;
    InitializeHttp(OLESTR("vault"), 0, 80, nullptr, 0);
    EXPECT_EQ(30000u, m_repository->TimeoutMs());

    // SetTimeout reaches the transport; a configuration that cannot be
    // opened leaves the value alone.
    EXPECT_EQ(S_OK, m_repository->SetTimeout(5000));
    EXPECT_EQ(5000u, m_transport->Timeout());
    m_configOpens = false;
    InitializeHttp(OLESTR("vault"), 0, 80, nullptr, 0);
    EXPECT_EQ(5000u, m_repository->TimeoutMs());

    // A setting too large for milliseconds saturates instead of wrapping.
    m_configOpens = true;
    m_configNumbers[SettingId::HttpVault_HttpTransportTimeout] = 5000000;
    InitializeHttp(OLESTR("vault"), 0, 80, nullptr, 0);
    EXPECT_EQ(0xFFFFFFFFu, m_repository->TimeoutMs());
}

TEST_F(SoapRepositoryTest, CreateInterfaceOverHttpStoresTheObjectIdentifier) {
    m_configNumbers[SettingId::HttpVault_HttpTransportTimeout] = 30;
    InitializeHttp(OLESTR("vault"), 0, 80, nullptr, 0);
    IUnknown* created = nullptr;
    ASSERT_EQ(E_NOINTERFACE, CreateOverHttp(u"obj-1", &created));
    EXPECT_EQ(nullptr, created);
    EXPECT_EQ(1, m_transport->AuthInfoCalls());
    EXPECT_EQ(30000u, m_transport->Timeout());

    // The identifier leads every later request.
    m_transport->ExpectCall(CallHeader(kNull, kHttpPersist, u"Ping", u"obj-1", true),
                            Wire(255).Put(ReplyHead(S_OK)).ULong(0).bytes);
    ULONG status = 1;
    EXPECT_EQ(S_OK, m_repository->Ping(&status));

    // A second creation is refused without contacting the server.
    GUID clsid = kSomeClass;
    GUID iid = kSomeInterface;
    EXPECT_EQ(static_cast<HRESULT>(0x800704DF),
              m_repository->CreateInterface(&clsid, &iid, nullptr, &created));
    EXPECT_TRUE(m_traces.Contains("The function should be called only once per instance."));

    // The end of the object goes back to the default credentials, then
    // destroys the server object it created.
    bool transportGone = false;
    std::vector<WString> events;
    m_transport->events = &events;
    m_transport->destroyedFlag = &transportGone;
    m_transport->ExpectCall(CallHeader(kNull, kHttpPersist, u"DestroyObject", u"obj-1", true),
                            ReplyHead(S_OK));
    m_repository->AddRef();
    EXPECT_EQ(1u, m_repository->Release());
    EXPECT_FALSE(transportGone);
    DestroyRepository();
    EXPECT_TRUE(transportGone);
    EXPECT_EQ((std::vector<WString>{OLESTR("Restore"), OLESTR("DestroyObject")}), events);
}

TEST(PerfTestTest, SendsDataAndReadsTheReplyOnTheCallersTransport) {
    TraceRecorder traces;
    CScriptedTransport transport;
    transport.ExpectCall(Wire(255)
                             .Put(StreamHeader())
                             .ULong(0)
                             .Guid(kNull)
                             .Guid(kHttpPersist)
                             .Bstr(u"PerfTest")
                             .Bstr(u"data")
                             .Int(3)
                             .bytes,
                         Wire(255).Put(StreamHeader()).Long(S_OK).Bstr(u"abc").bytes);
    CUniqueBstr data = Text(OLESTR("data"));
    CUniqueBstr reply = Text(OLESTR("old"));
    EXPECT_EQ(S_OK, PerfTest(transport, data.Get(), 3, reply.Address()));
    EXPECT_EQ(WString(OLESTR("abc")), WString(reply.Get()));

    transport.ExpectAnyCallThrowing(static_cast<HRESULT>(0x800706BA));
    EXPECT_EQ(static_cast<HRESULT>(0x800706BA), PerfTest(transport, nullptr, 0, reply.Address()));
    EXPECT_TRUE(traces.Contains("IPersist_PerfTest() - Caught CAtlException. hr=800706BA ("));
    EXPECT_EQ(E_POINTER, PerfTest(transport, nullptr, 0, nullptr));
}

TEST_F(SoapRepositoryTest, CreateInterfaceAnswersWithTheObjectItself) {
    InitializeHttp(OLESTR("vault"), 0, 80, nullptr, 0);
    // Creation goes on when the credentials cannot be set.
    m_transport->authInfoResult = E_ACCESSDENIED;
    const GUID quillon = {
        0x7DAEE74C, 0xCC99, 0x4443, {0xAE, 0xE2, 0xBE, 0xE1, 0xCF, 0xAB, 0x10, 0x3D}};
    IUnknown* created = nullptr;
    ASSERT_EQ(S_OK, CreateOverHttp(u"", &created, quillon));
    EXPECT_EQ((std::vector<WString>{OLESTR("SetAuthInfo"), OLESTR("CreateObject")}),
              *m_transport->events);
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IQuillon*>(m_repository)), created);
    created->Release();
    EXPECT_TRUE(m_transport->ObjectId().IsNull());

    // Later requests carry an empty identifier, and nothing is destroyed at
    // the end.
    m_transport->ExpectCall(CallHeader(kNull, kHttpPersist, u"Ping"),
                            Wire(255).Put(ReplyHead(S_OK)).ULong(0).bytes);
    ULONG status = 0;
    EXPECT_EQ(S_OK, m_repository->Ping(&status));
    DestroyRepository();
}

TEST_F(SoapRepositoryTest, FailedCreationIsTracedAndLeavesTheObjectCreated) {
    InitializeHttp(OLESTR("vault"), 0, 80, nullptr, 0);
    m_transport->ExpectAnyCallThrowing(static_cast<HRESULT>(0x800706BA));
    GUID clsid = kSomeClass;
    GUID iid = kSomeInterface;
    IUnknown* created = reinterpret_cast<IUnknown*>(&clsid);
    EXPECT_EQ(static_cast<HRESULT>(0x800706BA),
              m_repository->CreateInterface(&clsid, &iid, nullptr, &created));
    EXPECT_EQ(nullptr, created);
    EXPECT_TRUE(
        m_traces.Contains("IHttpPersist::CreateObject() - Caught CAtlException. hr=800706BA"));
    EXPECT_TRUE(m_traces.Contains("IHttpPersist_CreateObject() failed, this=0x"));
    EXPECT_TRUE(m_traces.Contains("clsid={11111111-2222-3333-0404-050506060707}"));
    EXPECT_EQ(static_cast<HRESULT>(0x800704DF),
              m_repository->CreateInterface(&clsid, &iid, nullptr, &created));
}

TEST_F(SoapRepositoryTest, DcomCreationWithoutARemoteServerFails) {
    EXPECT_EQ(S_OK, m_repository->Initialize(1, nullptr, 0, 0, nullptr, 0, nullptr, nullptr));
    GUID clsid = kSomeClass;
    GUID iid = kSomeInterface;
    IUnknown* created = nullptr;
    EXPECT_TRUE(FAILED(m_repository->CreateInterface(&clsid, &iid, nullptr, &created)));
    EXPECT_EQ(nullptr, created);
    EXPECT_EQ(0u, m_transport->SendCount());
    EXPECT_EQ(E_POINTER, m_repository->CreateInterface(&clsid, &iid, nullptr, nullptr));
    EXPECT_EQ(E_POINTER, m_repository->Ping(nullptr));
}

}  // namespace
}  // namespace ql::test
