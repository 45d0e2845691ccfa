// The libcurl back end of the transport (POSIX). One easy handle per
// transport is the session and keeps its connections alive between calls;
// a reconnect drops it and with it every connection. The reply body is
// pulled through a multi handle in small pieces as the deserializer asks
// for it, never held whole.
//
// Proxies are used only when the transport says so (never from the
// environment), redirects are not followed, and the protocol's own headers
// replace curl's defaults. Certificate failures are relaxed as the resend
// loop asks, once for every later request of the transport, unless strict
// TLS is set.
#pragma once

#include <string>

#include "transport/abs_http_bin_transport.h"

namespace ql {

class CCurlBinTransport final : public CAbsHttpBinTransport {
public:
    // The user agent of this back end, in the style of the other two.
    static constexpr WCHAR kUserAgent[] = OLESTR("ZelNQClientAgent_Curl");
    // Waits used while SetTimeout gave none: for a connection, and for the
    // next byte of a reply.
    static constexpr DWORD kDefaultConnectTimeoutMs = 60000;
    static constexpr DWORD kDefaultIdleTimeoutMs = 30000;

    explicit CCurlBinTransport(ATL::IAtlMemMgr* memMgr);
    ~CCurlBinTransport() override;

    // Strict TLS: a non-zero DWORD under HKEY_LOCAL_MACHINE, read when the
    // session opens. A certificate failure then fails the call instead of
    // lowering the checks (off by default: vaults often use self-signed
    // certificates).
    static constexpr WCHAR kSettingsKey[] = OLESTR("SOFTWARE\\Quillon\\Transport");
    static constexpr WCHAR kStrictTlsValue[] = OLESTR("HttpVault_StrictTls");
    // A string under the same key: a PEM file of the authorities to trust
    // instead of the system's (a vault's own certificate authority).
    static constexpr WCHAR kCaFileValue[] = OLESTR("HttpVault_CaFile");

    BOOL CanReuseRequestAfterSecureFailure() override;
    HRESULT ConnectToHttpServer(BOOL reconnect) override;
    HttpHandle OpenHttpRequest(HttpHandle connection, const ParsedUrl& url, LPCWSTR objectName,
                               LPCWSTR verb) override;
    HRESULT SetupHttpRequestAuthInfo(HttpHandle request,
                                     CTqlTokenImpersonator& impersonator) override;
    BOOL SendHttpRequest(HttpHandle request, LPCWSTR headers, DWORD headersLength, const void* body,
                         DWORD bodyLength) override;
    BOOL DisableCertificateWarnings(HttpHandle request) override;
    DWORD GetHttpResponse_StatusCode(HttpHandle request) override;
    BOOL GetHttpResponse_Header_All(HttpHandle request, WString& headers) override;
    BOOL GetHttpResponse_Header_ContentLength(HttpHandle request, DWORD& length) override;
    BOOL GetHttpResponse_Header_CustomString(HttpHandle request, LPCWSTR name,
                                             WString& value) override;
    BOOL CloseHttpHandle(HttpHandle* handle) override;
    BOOL QueryAuthSchemes(HttpHandle request, DWORD& supported, DWORD& first,
                          DWORD& target) override;

private:
    bool m_bStrictTls = false;
    // The wait for the next byte of a reply, fixed when the session opens.
    DWORD m_dwIdleTimeout = kDefaultIdleTimeoutMs;
    std::string m_strCaFile;
};

}  // namespace ql
