// CSoapRepository: the COM object clients hold. It decides per object
// whether calls travel over DCOM or as binary requests over HTTP, owns the
// one transport, and runs every remote call under its call lock.
#pragma once

#include <memory>

#include "catalogue/interfaces.h"
#include "config/client_config.h"
#include "proxies/call_frame.h"
#include "support/base/critical_section.h"
#include "transport/abs_http_bin_transport.h"

namespace ql {

// The server-side object-lifetime target, reached only over HTTP.
// {757F4FF4-1FD0-4B4A-8CEE-42FF31CD6A6D}
inline constexpr IID IID_IHttpPersist = {
    0x757F4FF4, 0x1FD0, 0x4B4A, {0x8C, 0xEE, 0x42, 0xFF, 0x31, 0xCD, 0x6A, 0x6D}};

// The object's interface positions: IQuillon first (followed in its table
// by the object's own virtual operations), then the most derived interface
// of every family. Every version identifier of a family answers that
// family's pointer.
class CSoapRepository : public IQuillon,
                        public IDSFileSystem_62,
                        public IDSFileSystemView_622,
                        public IDSVault_621,
                        public IDSSBS_621,
                        public IJobQueue_621,
                        public INTLocalUserManager_61,
                        public INDMUpdateEx_61,
                        public IEventReportImp {
public:
    static constexpr DWORD kDefaultTimeoutMs = 120000;

    // Creates an instance holding one reference. transport: the HTTP
    // transport the instance owns; apiName: the HTTP library behind it, for
    // the constructor's trace; openConfig: opens the client configuration.
    static CSoapRepository* Create(std::unique_ptr<CAbsHttpBinTransport> transport, LPCWSTR apiName,
                                   ClientConfigOpener openConfig);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IQuillon
    HRESULT STDMETHODCALLTYPE Initialize(ULONG p_dwTransportType, BSTR p_bstrServerAddr,
                                         LONG p_bHttpSecure, USHORT p_wTcpIpPort,
                                         BSTR p_bstrProxyAddr, USHORT p_wProxyPort,
                                         BSTR p_bstrProxyUser, BSTR p_bstrProxyPassword) override;
    HRESULT STDMETHODCALLTYPE DeInitialize() override;
    HRESULT STDMETHODCALLTYPE CreateInterface(GUID* p_clsid, GUID* p_riid, COSERVERINFO* p_pServer,
                                              IUnknown** p_ppInterface) override;
    HRESULT STDMETHODCALLTYPE SetTimeout(ULONG p_dwTimeout) override;
    HRESULT STDMETHODCALLTYPE Ping(ULONG* p_pdwStatus) override;

    // The object's own operations, in their table order after IQuillon.
    virtual ~CSoapRepository();
    virtual HRESULT IHttpPersist_CreateObject(CLSID clsid, IID iid, BSTR* pObjectId);
    virtual HRESULT IHttpPersist_DestroyObject();
    virtual HRESULT IHttpPersist_Ping(ULONG* pStatus);
    virtual HRESULT IHttpPersist_CheckTransport();

    // The remote methods of every family (generated).
#include "catalogue/repository_methods.inc"

    // What the proxies' frame runs on.
    CallTarget Target() noexcept {
        return CallTarget{m_callLock, m_dwTransportType, m_pRemote, *m_pTransport, m_trace};
    }

    DWORD TransportType() const noexcept { return m_dwTransportType; }
    DWORD TimeoutMs() const noexcept { return m_dwTimeout; }

    // Installs the DCOM interface pointer without remote activation (tests
    // on machines without DCOM). Takes one reference.
    void SetRemoteInterfaceForTesting(IUnknown* remote) noexcept;

private:
    CSoapRepository(std::unique_ptr<CAbsHttpBinTransport> transport, LPCWSTR apiName,
                    ClientConfigOpener openConfig);

    // The family interface answering riid, or null.
    void* FamilyInterface(REFIID riid) noexcept;
    // The last entry of the interface map: every identifier nothing else
    // answered (IClientSecurity and ITransportOptions_61 included, until the
    // object implements them).
    HRESULT CallThisForEveryQI(REFIID riid);

    void SetHttpTransportUrl(BSTR server, LONG secure, USHORT port, BSTR proxyAddress,
                             USHORT proxyPort);

    LONG m_cRef = 1;
    DWORD m_dwTransportType = kTransportHttp;
    IUnknown* m_pRemote = nullptr;
    bool m_bCreated = false;
    CCriticalSection m_callLock;
    std::unique_ptr<CAbsHttpBinTransport> m_pTransport;
    DWORD m_dwTimeout = kDefaultTimeoutMs;
    ClientConfigOpener m_openConfig;
    TqlComponent m_trace;
};

}  // namespace ql
