#include "repository/soap_repository.h"

#include <cstdint>
#include <string>

#include "repository/module_trace.h"
#include "repository/remote_activation.h"
#include "support/base/hresults.h"
#include "support/base/wide_string.h"

namespace ql {

namespace {

constexpr CLSID kNullClsid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// The address shown in traces ("this=0x%X").
unsigned TraceAddress(const void* object) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(object));
}

// The text before the first ':' (a port behind a host name is dropped).
WString HostPart(BSTR address) {
    WString text = address == nullptr ? WString() : WString(address, WideLength(address));
    auto colon = text.find(':');
    if (colon != WString::npos) text.resize(colon);
    return text;
}

WString Decimal(unsigned value) { return WidenAscii(std::to_string(value)); }

}  // namespace

CSoapRepository* CSoapRepository::Create(std::unique_ptr<CAbsHttpBinTransport> transport,
                                         LPCWSTR apiName, ClientConfigOpener openConfig) {
    if (transport == nullptr) return nullptr;
    return new CSoapRepository(std::move(transport), apiName, std::move(openConfig));
}

CSoapRepository::CSoapRepository(std::unique_ptr<CAbsHttpBinTransport> transport, LPCWSTR apiName,
                                 ClientConfigOpener openConfig)
    : m_pTransport(std::move(transport)),
      m_openConfig(std::move(openConfig)),
      m_trace(HttpClientTrace()) {
    TqlTraceInfo(m_trace,
                 OLESTR("CSoapRepository::CSoapRepository: Constructor: this=0x%X, api=%s"),
                 TraceAddress(this), apiName);
}

CSoapRepository::~CSoapRepository() {
    if (!m_pTransport->ObjectId().IsNull()) {
        try {
            m_pTransport->RestoreDefaultCredentials();
        } catch (...) {
            // The server object is destroyed with whatever credentials hold.
        }
        IHttpPersist_DestroyObject();
    }
    m_pTransport.reset();
    if (m_pRemote != nullptr) m_pRemote->Release();
    m_pRemote = nullptr;
}

HRESULT CSoapRepository::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return hr::kPointer;
    void* found = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IQuillon))
        found = static_cast<IQuillon*>(this);
    else
        found = FamilyInterface(riid);
    *ppv = found;
    if (found == nullptr) return CallThisForEveryQI(riid);
    AddRef();
    return S_OK;
}

HRESULT CSoapRepository::CallThisForEveryQI(REFIID riid) {
    TqlTraceMsg(m_trace, kTqlLevelEntry,
                OLESTR("CSoapRepository::CallThisForEveryQI() - Quering for %1!GI!. Returning "
                       "E_NOINTERFACE..."),
                &riid);
    return hr::kNoInterface;
}

ULONG CSoapRepository::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }

ULONG CSoapRepository::Release() {
    LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT CSoapRepository::Initialize(ULONG p_dwTransportType, BSTR p_bstrServerAddr,
                                    LONG p_bHttpSecure, USHORT p_wTcpIpPort, BSTR p_bstrProxyAddr,
                                    USHORT p_wProxyPort, BSTR p_bstrProxyUser,
                                    BSTR p_bstrProxyPassword) {
    // The proxy password is never traced.
    TqlTraceInfo(m_trace,
                 OLESTR("CSoapRepository: Initialize is called (transport=%d,server=\"%s\","
                        "secure=%d,port=%d,proxyAddr=%s:%d,proxyUser=%s)."),
                 p_dwTransportType, p_bstrServerAddr, p_bHttpSecure, p_wTcpIpPort, p_bstrProxyAddr,
                 p_wProxyPort, p_bstrProxyUser);
    try {
        if (m_openConfig) {
            if (std::unique_ptr<IClientConfigReader> config = m_openConfig()) {
                DWORD seconds = 0;
                if (config->ReadNumber(SettingId::HttpVault_HttpTransportTimeout, &seconds)) {
                    // Saturates instead of wrapping: a huge setting must not
                    // turn into a tiny time-out.
                    constexpr DWORD kMaxSeconds = 0xFFFFFFFFu / 1000;
                    m_dwTimeout = seconds > kMaxSeconds ? 0xFFFFFFFFu : seconds * 1000;
                }
            }
        }
        m_dwTransportType = p_dwTransportType;
        if (m_dwTransportType == kTransportHttp) {
            SetHttpTransportUrl(p_bstrServerAddr, p_bHttpSecure, p_wTcpIpPort, p_bstrProxyAddr,
                                p_wProxyPort);
            m_pTransport->SetProxyCredentials(p_bstrProxyUser, p_bstrProxyPassword);
        }
    } catch (...) {
        // Initialize never fails; what could not be stored stays as it was.
        TqlTraceError(m_trace, OLESTR("CSoapRepository: Initialize - Caught unknown exception."));
    }
    return S_OK;
}

void CSoapRepository::SetHttpTransportUrl(BSTR server, LONG secure, USHORT port, BSTR proxyAddress,
                                          USHORT proxyPort) {
    WString host = HostPart(server);
    WString proxyHost = HostPart(proxyAddress);
    WString url = secure != 0 ? OLESTR("https") : OLESTR("http");
    url += OLESTR("://");
    url += host;
    url += ':';
    url += Decimal(port);
    url += OLESTR("/ZelNQVault/NqHttpVault.dll?Handler=HttpVault");
    WString proxy;
    if (!proxyHost.empty() && proxyPort != 0) {
        proxy = proxyHost;
        proxy += ':';
        proxy += Decimal(proxyPort);
    }
    m_pTransport->SetUrl(host.c_str(), url.c_str(), proxy.c_str());
    TqlTraceInfo(m_trace,
                 OLESTR("CSoapRepository::SetHttpTransportUrl: this=0x%X, server='%s', url='%s'"),
                 TraceAddress(this), host.c_str(), url.c_str());
}

HRESULT CSoapRepository::DeInitialize() {
    TqlTraceInfo(m_trace, OLESTR("CSoapRepository: DeInitialize is called"));
    return S_OK;
}

HRESULT CSoapRepository::SetTimeout(ULONG p_dwTimeout) {
    m_dwTimeout = p_dwTimeout;
    m_pTransport->SetTimeout(p_dwTimeout);
    return S_OK;
}

HRESULT CSoapRepository::CreateInterface(GUID* p_clsid, GUID* p_riid, COSERVERINFO* p_pServer,
                                         IUnknown** p_ppInterface) {
    if (p_ppInterface == nullptr || p_clsid == nullptr || p_riid == nullptr) return hr::kPointer;
    *p_ppInterface = nullptr;
    if (m_bCreated) {
        TqlTraceError(m_trace, OLESTR("CSoapRepository::CreateInterface() - The function should "
                                      "be called only once per instance."));
        return hr::kAlreadyInitialized;
    }
    m_bCreated = true;

    HRESULT result = S_OK;
    if (m_dwTransportType == 0 || m_dwTransportType == kTransportDcom) {
        IUnknown* remote = nullptr;
        result = ActivateRemoteObject(*p_clsid, p_pServer, *p_riid, &remote);
        if (SUCCEEDED(result)) {
            if (m_pRemote != nullptr) m_pRemote->Release();
            m_pRemote = remote;
        }
    } else {
        // The result is not acted on: credentials that cannot be captured
        // now fail the requests that need them, with their own result.
        try {
            m_pTransport->SetAuthInfo(p_pServer, TRUE);
        } catch (...) {
        }
        m_pTransport->SetTimeout(m_dwTimeout);
        result = IHttpPersist_CreateObject(*p_clsid, *p_riid, m_pTransport->ObjectId().Address());
        if (FAILED(result)) {
            TqlTraceErrorMsg(m_trace,
                             OLESTR("CSoapRepository::CreateInterface() - "
                                    "IHttpPersist_CreateObject() failed, this=0x%1!X!, "
                                    "hr=0x%2!X!, clsid=%3!GU!, iid=%4!GI!"),
                             TraceAddress(this), result, p_clsid, p_riid);
        }
    }
    if (FAILED(result)) return result;
    return QueryInterface(*p_riid, reinterpret_cast<void**>(p_ppInterface));
}

HRESULT CSoapRepository::Ping(ULONG* p_pdwStatus) {
    TqlTraceInfo(m_trace, OLESTR("CSoapRepository: Ping is called..."));
    if (p_pdwStatus == nullptr) return hr::kPointer;
    HRESULT result = IHttpPersist_Ping(p_pdwStatus);
    TqlTraceInfo(m_trace, OLESTR("CSoapRepository: Ping result: hr=0x%08X, status=0x%08X."), result,
                 *p_pdwStatus);
    return result;
}

HRESULT CSoapRepository::IHttpPersist_CreateObject(CLSID clsid, IID iid, BSTR* pObjectId) {
    static constexpr PersistCallTexts kTexts{
        OLESTR("CreateObject"), OLESTR("IHttpPersist_CreateObject"),
        OLESTR("IHttpPersist::CreateObject() - Caught CAtlException. hr=%1!X! (%2!Z!)."),
        OLESTR("IHttpPersist::CreateObject() - Caught unknown exception.")};
    return RunPersistCall(Target(), kNullClsid, IID_IHttpPersist, kTexts,
                          call::In<wire::Guid>(clsid), call::In<wire::Guid>(iid),
                          call::OutReplacing<wire::Bstr>(pObjectId));
}

HRESULT CSoapRepository::IHttpPersist_DestroyObject() {
    static constexpr PersistCallTexts kTexts{
        OLESTR("DestroyObject"), OLESTR("IHttpPersist_DestroyObject"),
        OLESTR("IHttpPersist::DestroyObject() - Caught CAtlException. hr=%1!X! (%2!Z!)."),
        OLESTR("IHttpPersist::DestroyObject() - Caught unknown exception.")};
    return RunPersistCall(Target(), kNullClsid, IID_IHttpPersist, kTexts);
}

HRESULT CSoapRepository::IHttpPersist_Ping(ULONG* pStatus) {
    static constexpr PersistCallTexts kTexts{
        OLESTR("Ping"), OLESTR("IHttpPersist_Ping"),
        OLESTR("IHttpPersist::Ping() - Caught CAtlException. hr=%1!X! (%2!Z!)."),
        OLESTR("IHttpPersist::Ping() - Caught unknown exception.")};
    return RunPersistCall(Target(), kNullClsid, IID_IHttpPersist, kTexts,
                          call::Out<wire::ULong>(pStatus));
}

HRESULT CSoapRepository::IHttpPersist_CheckTransport() {
    static constexpr PersistCallTexts kTexts{
        OLESTR("CheckTransport"), OLESTR("IHttpPersist_CheckTransport"),
        OLESTR("IHttpPersist::CheckTransport() - Caught CAtlException. hr=%1!X! (%2!Z!)."),
        OLESTR("IHttpPersist::CheckTransport() - Caught unknown exception.")};
    return RunPersistCall(Target(), kNullClsid, IID_IHttpPersist, kTexts);
}

void CSoapRepository::SetRemoteInterfaceForTesting(IUnknown* remote) noexcept {
    if (remote != nullptr) remote->AddRef();
    if (m_pRemote != nullptr) m_pRemote->Release();
    m_pRemote = remote;
}

}  // namespace ql
