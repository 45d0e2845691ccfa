// IQuillon: the control interface through which clients initialise an
// instance, create its server object and check that the server is alive.
#pragma once

#include "support/com_types.h"

namespace ql {

// {7DAEE74C-CC99-4443-AEE2-BEE1CFAB103D}
inline constexpr IID IID_IQuillon = {
    0x7DAEE74C, 0xCC99, 0x4443, {0xAE, 0xE2, 0xBE, 0xE1, 0xCF, 0xAB, 0x10, 0x3D}};
// {BAD929BA-8740-4be1-B3AA-B0AB6237E0A2}
inline constexpr CLSID CLSID_SoapRepository = {
    0xBAD929BA, 0x8740, 0x4BE1, {0xB3, 0xAA, 0xB0, 0xAB, 0x62, 0x37, 0xE0, 0xA2}};

struct IQuillon : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize(ULONG p_dwTransportType, BSTR p_bstrServerAddr,
                                                 LONG p_bHttpSecure, USHORT p_wTcpIpPort,
                                                 BSTR p_bstrProxyAddr, USHORT p_wProxyPort,
                                                 BSTR p_bstrProxyUser,
                                                 BSTR p_bstrProxyPassword) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeInitialize() = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateInterface(GUID* p_clsid, GUID* p_riid,
                                                      COSERVERINFO* p_pServer,
                                                      IUnknown** p_ppInterface) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTimeout(ULONG p_dwTimeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE Ping(ULONG* p_pdwStatus) = 0;

protected:
    ~IQuillon() = default;
};

}  // namespace ql
