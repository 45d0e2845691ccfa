#include "transport/abs_http_bin_transport.h"

#include <new>

#include "repository/module_trace.h"
#include "support/base/hresults.h"
#include "support/platform/system_wrappers.h"
#include "transport/request_headers.h"

namespace ql {

namespace {

// The largest request buffer kept from one call to the next.
constexpr ULONG kKeptRequestBufferBytes = 1024 * 1024;

[[noreturn]] void Raise(TqlComponent trace, LPCWSTR text, HRESULT result) {
    TqlTraceError(trace, text);
    ATL::AtlThrow(result);
}

// Signed decimal as the C library reads it: leading blanks, an optional sign,
// digits up to the first other character; out of range saturates.
LONG ParseSignedDecimal(const WString& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    constexpr long long kLimit = 0x80000000LL;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) value = kLimit;
    }
    if (negative) return static_cast<LONG>(-value);
    return static_cast<LONG>(value >= kLimit ? kLimit - 1 : value);
}

}  // namespace

CAbsHttpBinTransport::CAbsHttpBinTransport(ATL::IAtlMemMgr* memMgr)
    : m_deserializer(memMgr),
      m_pMemMgr(memMgr),
      m_bstrProxyUser(SysAllocString(OLESTR(""))),
      m_bstrProxyPassword(SysAllocString(OLESTR(""))),
      m_trace(HttpClientTrace()),
      m_pClock(&RealTransportClock()) {
    m_serializer.SetHeader(wire::kRequestTagThreshold, wire::kProtocolVersion);
}

CAbsHttpBinTransport::~CAbsHttpBinTransport() {
    // The deserializer lets go of the response stream before it is deleted.
    m_deserializer.Detach();
}

void CAbsHttpBinTransport::Disconnect() {
    m_deserializer.Detach();
    CloseRequest();
    CloseHttpHandle(&m_hConnection);
    CloseHttpHandle(&m_hSession);
    m_bAuthInfoPending = TRUE;
    m_dwAuthState = 0;
}

void CAbsHttpBinTransport::CloseRequest() {
    if (m_pResponseStream != nullptr) m_pResponseStream->ForgetRequest(m_hRequest);
    CloseHttpHandle(&m_hRequest);
}

HRESULT CAbsHttpBinTransport::SetUrl(LPCWSTR server, LPCWSTR url, LPCWSTR proxy) {
    Disconnect();
    TqlTraceInfo(m_trace,
                 OLESTR("CAbsHttpBinTransport::SetUrl() - server='%s', url='%s', proxy='%s'."),
                 server, url, proxy);
    try {
        WStringView text = url == nullptr ? WStringView() : WStringView(url);
        if (!ParseUrl(text, &m_url)) return hr::kFail;
        WString newServer = server == nullptr ? WString() : WString(server);
        WString newObjectName = m_url.path + m_url.extra;
        WString newProxy = proxy == nullptr ? WString() : WString(proxy);
        m_strServer.swap(newServer);
        m_strObjectName.swap(newObjectName);
        m_strProxy.swap(newProxy);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return hr::kOutOfMemory;
    }
}

void CAbsHttpBinTransport::SetTimeout(DWORD milliseconds) { m_dwTimeout = milliseconds; }

BOOL CAbsHttpBinTransport::LockSend() { return TRUE; }

void CAbsHttpBinTransport::UnlockSend() {}

void CAbsHttpBinTransport::SetClock(ITransportClock* clock) noexcept {
    m_pClock = clock != nullptr ? clock : &RealTransportClock();
}

void CAbsHttpBinTransport::BeginCall(const CLSID* clsid, const IID* iid, LPCWSTR methodName) {
    CloseRequest();
    m_pszMethodName = methodName;
    // A buffer of ordinary size is kept for the next call: releasing it would
    // cost a fresh zeroed 64 KiB for every call. A large one is given back.
    if (m_requestStream.GetCapacity() <= kKeptRequestBufferBytes)
        m_requestStream.Rewind();
    else
        m_requestStream.ResetBuffer();
    m_serializer.Attach(&m_requestStream);
    m_serializer.WriteBstr(m_bstrObjectId.Get());
    m_serializer.WriteGuid(*clsid);
    m_serializer.WriteGuid(*iid);
    m_serializer.WriteWideString(methodName);
}

LONG CAbsHttpBinTransport::GetVaultStatusCode() {
    WString value;
    if (!GetHttpResponse_Header_CustomString(m_hRequest, OLESTR("HVEH"), value)) {
        DWORD error = _GetLastError();
        TqlTraceErrorMsg(m_trace,
                         OLESTR("CAbsHttpBinTransport::GetVaultStatusCode() - "
                                "GetHttpResponse_Header_CustomString( \"%1\" ) failed, err=%2!d! "
                                "(%3!Z!)."),
                         OLESTR("HVEH"), error, error);
        _SetLastError(error);
        return 0;
    }
    return ParseSignedDecimal(value);
}

HRESULT CAbsHttpBinTransport::SendRequest() {
    HRESULT connected = ConnectToHttpServer(FALSE);
    if (FAILED(connected)) {
        TqlTraceErrorMsg(m_trace,
                         OLESTR("CAbsHttpBinTransport::SendRequest() - ConnectToHttpServer() "
                                "failed, hr=0x%1!X! (%1!Z!). throwing RPC_S_SERVER_UNAVAILABLE..."),
                         connected);
        ATL::AtlThrow(hr::kServerUnavailable);
    }

    WString headers;
    try {
        headers = BuildRequestHeaders(
            m_pszMethodName,
            WStringView(m_bstrCallerName.Get() == nullptr ? OLESTR("") : m_bstrCallerName.Get()));
    } catch (const std::bad_alloc&) {
        ATL::AtlThrow(hr::kOutOfMemory);
    }

    if (!SmartSendHttpRequest(headers.c_str(), static_cast<DWORD>(headers.size()),
                              m_requestStream.GetBuffer(), m_requestStream.GetLength())) {
        DWORD error = _GetLastError();
        TqlTraceErrorMsg(
            m_trace,
            OLESTR("CAbsHttpBinTransport::SendRequest() - SmartSendHttpRequest() fails, err=%1!d! "
                   "(%1!Z!)."),
            error);
        if (error == kTqlErrorWinHttpTimeout)
            Raise(m_trace,
                  OLESTR("CAbsHttpBinTransport::SendRequest() - Throwing RPC_E_DISCONNECTED..."),
                  hr::kDisconnected);
        if (error == kTqlErrorWinHttpLoginFailure)
            Raise(m_trace,
                  OLESTR("CAbsHttpBinTransport::SendRequest() - Throwing E_ACCESSDENIED..."),
                  hr::kAccessDenied);
        Raise(m_trace,
              OLESTR("CAbsHttpBinTransport::SendRequest() - Throwing RPC_S_SERVER_UNAVAILABLE..."),
              hr::kServerUnavailable);
    }

    DWORD status = GetHttpResponse_StatusCode(m_hRequest);
    switch (status & 0xFFFF) {
        case kHttpStatusOk:
            break;
        case kHttpStatusUnauthorized:
            Raise(m_trace,
                  OLESTR("CAbsHttpBinTransport::SendRequest() - HTTP_UNAUTHORIZED. Throwing "
                         "E_ACCESSDENIED..."),
                  hr::kAccessDenied);
        case kHttpStatusProxyAuthRequired:
            Raise(m_trace,
                  OLESTR("CAbsHttpBinTransport::SendRequest() - "
                         "HTTP_PROXY_AUTHENTICATION_REQUIRED. Throwing E_ACCESSDENIED..."),
                  hr::kAccessDenied);
        default:
            TqlTraceError(m_trace,
                          OLESTR("CAbsHttpBinTransport::SendRequest() - Status(%d) != HTTP_OK, "
                                 "throwing RPC_S_CALL_FAILED_DNE..."),
                          status);
            ATL::AtlThrow(hr::kCallFailedDne);
    }

    m_dwAuthState = 3;
    auto vaultStatus = static_cast<DWORD>(GetVaultStatusCode());
    switch (vaultStatus) {
        case kVaultStatusOk:
            break;
        case kVaultErrorObjectNotFound:
            Raise(m_trace,
                  OLESTR("CAbsHttpBinTransport::SendRequest() - HTTP_VAULT_ERROR_OBJECT_NOTFOUND. "
                         "Throwing RPC_E_DISCONNECTED..."),
                  hr::kDisconnected);
        case kVaultErrorExceptionInMethod:
            Raise(m_trace,
                  OLESTR("CAbsHttpBinTransport::SendRequest() - "
                         "HTTP_VAULT_ERROR_EXCEPTION_IN_METHOD. Throwing E_FAIL..."),
                  hr::kFail);
        case kVaultErrorIncorrectUserName:
            Raise(m_trace,
                  OLESTR("CAbsHttpBinTransport::SendRequest() - "
                         "HTTP_VAULT_ERROR_INCORRECT_USER_NAME. Throwing E_ACCESSDENIED..."),
                  hr::kAccessDenied);
        default:
            TqlTraceError(m_trace,
                          OLESTR("CAbsHttpBinTransport::SendRequest() - dwVaultStatus=0x%08X, "
                                 "throwing RPC_S_CALL_FAILED_DNE..."),
                          vaultStatus);
            ATL::AtlThrow(hr::kCallFailedDne);
    }

    // The reader is told how long the body is when the reply says so, so
    // that an announced size beyond the body is refused before allocating.
    DWORD contentLength = 0;
    ULONGLONG bodyLength = CBinaryDeserializer::kUnknownLength;
    if (GetHttpResponse_Header_ContentLength(m_hRequest, contentLength)) bodyLength = contentLength;
    m_pResponseStream->SetRequest(m_hRequest);
    m_deserializer.Attach(m_pResponseStream.get(), bodyLength);
    return m_deserializer.ReadLong();
}

}  // namespace ql
