// The abstract HTTP binary transport: carries one remote call at a time as
// one POST whose body is the serialized call, and hands the reply to the
// deserializer. It owns the request stream, the serializer, the
// deserializer, the credentials and the resend loop; the operations that
// touch an HTTP library (slots 12 to 23) belong to the back ends.
//
// A transport serves one call at a time on the caller's thread; the
// repository serializes the calls of one object.
#pragma once

#include <memory>

#include "serialization/binary_deserializer.h"
#include "serialization/binary_serializer.h"
#include "serialization/read_write_binary_stream.h"
#include "support/base/com_types.h"
#include "support/base/unique_bstr.h"
#include "support/base/wide_string.h"
#include "support/security/token_impersonator.h"
#include "support/trace/trace.h"
#include "transport/http_types.h"
#include "transport/parsed_url.h"
#include "transport/read_stream_on_internet.h"
#include "transport/transport_clock.h"

namespace ql {

class CAbsHttpBinTransport {
public:
    explicit CAbsHttpBinTransport(ATL::IAtlMemMgr* memMgr);
    CAbsHttpBinTransport(const CAbsHttpBinTransport&) = delete;
    CAbsHttpBinTransport& operator=(const CAbsHttpBinTransport&) = delete;

    // Operations in their fixed slot order.

    // 0. A back end's destructor calls Disconnect first.
    virtual ~CAbsHttpBinTransport();
    // 1. Lets go of the reply and closes request, connection and session.
    virtual void Disconnect();
    // 2. Disconnects, then parses url. E_FAIL when it does not parse (the
    // old server, target and proxy stay), E_OUTOFMEMORY.
    virtual HRESULT SetUrl(LPCWSTR server, LPCWSTR url, LPCWSTR proxy);
    // 3. Network time-out in milliseconds; takes effect when the session
    // opens.
    virtual void SetTimeout(DWORD milliseconds);
    // 4. Records the caller's explicit credentials (none: automatic logon as
    // the calling account). The result of ApplyAuthInfo, or 0 when nothing
    // changed.
    virtual HRESULT SetAuthInfo(COSERVERINFO* serverInfo, BYTE saveAsDefault);
    // 5. Goes back to the credentials saved as the default.
    virtual HRESULT RestoreDefaultCredentials();
    // 6. Both non-null: the proxy credentials; else empty ones. Returns 0.
    virtual HRESULT SetProxyCredentials(LPCWSTR user, LPCWSTR password);
    // 7. Makes the credentials pending for the next request. mode 0 captures
    // the caller's token and keeps a duplicate, 1 uses the kept duplicate, 2
    // captures the token only.
    virtual HRESULT ApplyAuthInfo(int mode);
    // 8. Starts a call: closes the previous request, empties the request
    // stream and writes the call header. methodName must outlive the call.
    virtual void BeginCall(const CLSID* clsid, const IID* iid, LPCWSTR methodName);
    // 9. Sends the request. Returns the remote method's HRESULT with the
    // deserializer bound to the rest of the reply; throws ATL::CAtlException
    // for every failure of the exchange.
    virtual HRESULT SendRequest();
    // 10, 11. A section around one whole send; the defaults enter nothing.
    // UnlockSend is called only when LockSend returned TRUE.
    virtual BOOL LockSend();
    virtual void UnlockSend();

    // The library-facing operations. Those returning BOOL or a null handle
    // leave the failure's system error code as the thread's last error.

    // 12. Whether a request that met a certificate error may be sent again
    // as it is once the checks are lowered.
    virtual BOOL CanReuseRequestAfterSecureFailure() = 0;
    // 13. Opens session and connection unless open; with reconnect, closes
    // request, connection and session first.
    virtual HRESULT ConnectToHttpServer(BOOL reconnect) = 0;
    // 14. A new request, or null.
    virtual HttpHandle OpenHttpRequest(HttpHandle connection, const ParsedUrl& url,
                                       LPCWSTR objectName, LPCWSTR verb) = 0;
    // 15. Applies the pending credentials to request; a negative result ends
    // the send with E_ACCESSDENIED. Back ends build it on
    // SetupRequestCredentials.
    virtual HRESULT SetupHttpRequestAuthInfo(HttpHandle request,
                                             CTqlTokenImpersonator& impersonator) = 0;
    // 16. Sends request with the header block (headersLength characters) and
    // the body, and receives the reply's status and headers.
    virtual BOOL SendHttpRequest(HttpHandle request, LPCWSTR headers, DWORD headersLength,
                                 const void* body, DWORD bodyLength) = 0;
    // 17. Lowers the certificate checks of request.
    virtual BOOL DisableCertificateWarnings(HttpHandle request) = 0;
    // 18. The reply's HTTP status, 0 on failure.
    virtual DWORD GetHttpResponse_StatusCode(HttpHandle request) = 0;
    // 19. Every reply header as one text.
    virtual BOOL GetHttpResponse_Header_All(HttpHandle request, WString& headers) = 0;
    // 20. The reply's Content-Length; FALSE when it has none.
    virtual BOOL GetHttpResponse_Header_ContentLength(HttpHandle request, DWORD& length) = 0;
    // 21. The value of the reply header name.
    virtual BOOL GetHttpResponse_Header_CustomString(HttpHandle request, LPCWSTR name,
                                                     WString& value) = 0;
    // 22. Closes *handle if it is open and empties it.
    virtual BOOL CloseHttpHandle(HttpHandle* handle) = 0;
    // 23. The schemes the last challenge offered (a mask), the one it put
    // first, and its target.
    virtual BOOL QueryAuthSchemes(HttpHandle request, DWORD& supported, DWORD& first,
                                  DWORD& target) = 0;

    // Offered to the proxies between BeginCall and SendRequest ...
    CBinarySerializer& Serializer() noexcept { return m_serializer; }
    // ... and after SendRequest.
    CBinaryDeserializer& Deserializer() noexcept { return m_deserializer; }

    ATL::IAtlMemMgr* MemMgr() const noexcept { return m_pMemMgr; }
    // The server object identifier; null before the server object exists.
    CUniqueBstr& ObjectId() noexcept { return m_bstrObjectId; }
    DWORD Timeout() const noexcept { return m_dwTimeout; }
    LPCWSTR MethodName() const noexcept { return m_pszMethodName; }
    const CReadWriteBinaryStream& RequestStream() const noexcept { return m_requestStream; }
    const WString& Server() const noexcept { return m_strServer; }
    const ParsedUrl& Url() const noexcept { return m_url; }
    const WString& ObjectName() const noexcept { return m_strObjectName; }
    const WString& Proxy() const noexcept { return m_strProxy; }
    DWORD AuthState() const noexcept { return m_dwAuthState; }
    BOOL AuthInfoPending() const noexcept { return m_bAuthInfoPending; }
    DWORD AuthScheme() const noexcept { return m_dwAuthScheme; }
    DWORD ProxyAuthScheme() const noexcept { return m_dwProxyAuthScheme; }
    // The name sent in "IntfUserName".
    BSTR CallerName() const noexcept { return m_bstrCallerName.Get(); }
    BSTR User() const noexcept { return m_bstrUser.Get(); }
    BOOL CertificateWarningsDisabled() const noexcept { return m_bDisableCertWarnings; }

    // The vault status of the current reply ("HVEH" as a signed decimal); 0
    // when the header is absent or does not start with a number.
    LONG GetVaultStatusCode();
    // Whether requests go through the proxy: a proxy is set and the server
    // name has a dot (names without one are reached directly).
    BOOL IsProxyUsed() const;
    // Chooses the scheme to answer the challenge of request (status 401 or
    // 407) with. FALSE when no usable scheme is offered.
    BOOL SelectAuthScheme(HttpHandle request, DWORD status);
    // NTLM before Negotiate before Basic; 0 when mask has none of them.
    static DWORD PickAuthScheme(DWORD mask) noexcept;

    // The clock of the busy-server waits; null restores the real one. The
    // clock must outlive its use here.
    void SetClock(ITransportClock* clock) noexcept;

protected:
    friend class CSmartSendRun;

    // Opens, sends and resends the request of the current call (the resend
    // loop). TRUE when a reply was received that the loop does not act on;
    // FALSE with the error of the last failed send as the last error. Throws
    // for a failed reconnect, request or credentials.
    BOOL SmartSendHttpRequest(LPCWSTR headers, DWORD headersLength, const void* body,
                              DWORD bodyLength);
    // TRUE when the credentials changed.
    BOOL ChangeCredentials(BSTR user, BSTR password, BOOL saveAsDefault);

    // What SetupHttpRequestAuthInfo does, with the back end's ways of
    // setting credentials. Runs in a trace scope named scopeName (level 4);
    // the hooks trace their failures through it.
    class ICredentialSetter {
    public:
        virtual HRESULT SetProxyCredentials(CTqlTraceScope& scope) = 0;
        // The impersonated account's logon credentials.
        virtual HRESULT SetLogonCredentials(CTqlTraceScope& scope) = 0;
        virtual HRESULT SetExplicitCredentials(CTqlTraceScope& scope) = 0;

    protected:
        ~ICredentialSetter() = default;
    };
    // serverSchemeRequired: the server part is skipped while no server
    // scheme has been chosen.
    HRESULT SetupRequestCredentials(CTqlTokenImpersonator& impersonator, ICredentialSetter& setter,
                                    LPCWSTR scopeName, bool serverSchemeRequired);

    // Closes the current request; the response stream forgets it.
    void CloseRequest();

    CUniqueBstr m_bstrObjectId;
    CBinarySerializer m_serializer;
    CBinaryDeserializer m_deserializer;
    ATL::IAtlMemMgr* m_pMemMgr;
    WString m_strServer;
    ParsedUrl m_url;
    WString m_strObjectName;
    WString m_strProxy;
    DWORD m_dwTimeout = 0;
    LPCWSTR m_pszMethodName = nullptr;
    // Created by the back end's constructor.
    std::unique_ptr<CAbsReadStreamOnInternet> m_pResponseStream;
    CReadWriteBinaryStream m_requestStream;
    DWORD m_dwAuthScheme = 0;
    DWORD m_dwProxyAuthScheme = 0;
    CUniqueBstr m_bstrDefaultUser;
    CUniqueBstr m_bstrDefaultPassword;
    CUniqueBstr m_bstrUser;
    CUniqueBstr m_bstrPassword;
    CUniqueBstr m_bstrCallerName;
    CUniqueBstr m_bstrProxyUser;
    CUniqueBstr m_bstrProxyPassword;
    BOOL m_bAuthInfoPending = TRUE;
    DWORD m_dwAuthState = 0;
    // The token whose account logs on automatically, and the duplicate kept
    // for RestoreDefaultCredentials.
    CTqlToken m_hImpersonationToken;
    CTqlToken m_hSavedToken;
    BOOL m_bDisableCertWarnings = FALSE;
    HttpHandle m_hSession = nullptr;
    HttpHandle m_hConnection = nullptr;
    HttpHandle m_hRequest = nullptr;
    TqlComponent m_trace;
    ITransportClock* m_pClock;
};

}  // namespace ql
