#include "scripted_back_end.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/base/win32_errors.h"
#include "support/platform/system_wrappers.h"

namespace ql::test {

namespace {

class CScriptedReadStream final : public CAbsReadStreamOnInternet {
public:
    explicit CScriptedReadStream(CScriptedBackEnd& owner) : m_owner(owner) {}

protected:
    BOOL ReadFromRequest(HttpHandle request, void* buffer, ULONG count, ULONG* read) override {
        return m_owner.ReadReply(request, buffer, count, read);
    }
    void TraceReadFailure(DWORD error) override {
        TqlTraceErrorMsg(kTqlDefaultComponent,
                         OLESTR("CScriptedReadStream::Read() - read failed, err=%1!d! (%1!Z!)."),
                         error);
    }

private:
    CScriptedBackEnd& m_owner;
};

BOOL Fail(DWORD error) {
    _SetLastError(error);
    return FALSE;
}

}  // namespace

Exchange Reply(Bytes body) {
    Exchange exchange;
    exchange.body = std::move(body);
    return exchange;
}

Exchange StatusReply(DWORD status, DWORD offered, DWORD first) {
    Exchange exchange;
    exchange.status = status;
    exchange.vaultStatus.reset();
    exchange.offered = offered;
    exchange.first = first;
    return exchange;
}

CScriptedBackEnd::CScriptedBackEnd() : CAbsHttpBinTransport(SharedMemMgr()) {
    m_pResponseStream = std::make_unique<CScriptedReadStream>(*this);
    SetClock(&m_clock);
}

CScriptedBackEnd::~CScriptedBackEnd() {
    Disconnect();
    EXPECT_EQ(0u, UnusedExchanges()) << "scripted exchanges left unused";
    EXPECT_TRUE(m_open.empty()) << m_open.size() << " library handles left open";
}

HttpHandle CScriptedBackEnd::OpenHandle() {
    m_nextHandle += 4;
    m_open.insert(m_nextHandle);
    return reinterpret_cast<HttpHandle>(m_nextHandle);
}

BOOL CScriptedBackEnd::LockSend() {
    if (lockSucceeds) ++m_locks;
    return lockSucceeds ? TRUE : FALSE;
}

void CScriptedBackEnd::UnlockSend() {
    ++m_unlocks;
    EXPECT_LE(m_unlocks, m_locks) << "left a send section never entered";
}

BOOL CScriptedBackEnd::CanReuseRequestAfterSecureFailure() { return canReuseAfterSecureFailure; }

HRESULT CScriptedBackEnd::ConnectToHttpServer(BOOL reconnect) {
    if (reconnect) {
        ++m_reconnects;
        CloseRequest();
        CloseHttpHandle(&m_hConnection);
        CloseHttpHandle(&m_hSession);
        if (FAILED(reconnectResult)) return reconnectResult;
    }
    if (m_hConnection != nullptr) return S_OK;
    if (!reconnect && FAILED(connectResult)) return connectResult;
    ++m_connects;
    if (m_hSession == nullptr) m_hSession = OpenHandle();
    m_hConnection = OpenHandle();
    return S_OK;
}

HttpHandle CScriptedBackEnd::OpenHttpRequest(HttpHandle connection, const ParsedUrl&, LPCWSTR,
                                             LPCWSTR verb) {
    EXPECT_EQ(m_hConnection, connection);
    EXPECT_EQ(WString(OLESTR("POST")), WString(verb));
    if (openError != 0) {
        _SetLastError(openError);
        return nullptr;
    }
    ++m_requestsOpened;
    m_freshRequest = OpenHandle();
    return m_freshRequest;
}

HRESULT CScriptedBackEnd::SetupHttpRequestAuthInfo(HttpHandle request,
                                                   CTqlTokenImpersonator& impersonator) {
    EXPECT_TRUE(m_open.count(reinterpret_cast<std::uintptr_t>(request)));
    class CRecorder final : public ICredentialSetter {
    public:
        explicit CRecorder(CScriptedBackEnd& owner) : m_owner(owner) {}
        HRESULT SetProxyCredentials(CTqlTraceScope&) override {
            m_owner.m_pending.proxy = true;
            m_owner.m_passwords.emplace_back(m_owner.m_bstrProxyPassword.Get());
            return m_owner.credentialsResult;
        }
        HRESULT SetLogonCredentials(CTqlTraceScope&) override {
            m_owner.m_pending.logon = true;
            m_owner.m_pending.authScheme = m_owner.m_dwAuthScheme;
            return m_owner.credentialsResult;
        }
        HRESULT SetExplicitCredentials(CTqlTraceScope& scope) override {
            BSTR user = m_owner.m_bstrUser.Get();
            m_owner.m_pending.user = user == nullptr ? WString() : WString(user);
            m_owner.m_pending.authScheme = m_owner.m_dwAuthScheme;
            BSTR password = m_owner.m_bstrPassword.Get();
            m_owner.m_passwords.emplace_back(password == nullptr ? OLESTR("") : password);
            if (FAILED(m_owner.credentialsResult))
                scope.ErrorMsg(OLESTR("SetCredentials( user, pass ) failed, err=%1!d! (%1!Z!)."),
                               m_owner.credentialsResult);
            return m_owner.credentialsResult;
        }

    private:
        CScriptedBackEnd& m_owner;
    } recorder(*this);
    m_pending = Sent{};
    return SetupRequestCredentials(impersonator, recorder,
                                   OLESTR("CScriptedBackEnd::SetupHttpRequestAuthInfo"), true);
}

BOOL CScriptedBackEnd::SendHttpRequest(HttpHandle request, LPCWSTR headers, DWORD headersLength,
                                       const void* body, DWORD bodyLength) {
    EXPECT_TRUE(m_open.count(reinterpret_cast<std::uintptr_t>(request)));
    Sent sent = m_pending;
    m_pending = Sent{};
    sent.headers.assign(headers, headersLength);
    const auto* bytes = static_cast<const BYTE*>(body);
    sent.body.assign(bytes, bytes + bodyLength);
    sent.freshRequest = request == m_freshRequest;
    m_freshRequest = nullptr;
    m_sends.push_back(sent);
    m_answered = nullptr;
    if (m_next >= m_exchanges.size()) {
        ADD_FAILURE() << "unscripted send: " << ToHex(sent.body);
        return Fail(kTqlErrorWinHttpCannotConnect);
    }
    const Exchange& exchange = m_exchanges[m_next];
    m_answer = m_next++;
    if (exchange.expectedBody) {
        EXPECT_EQ(ToHex(*exchange.expectedBody), ToHex(sent.body)) << "body of send " << m_next;
    }
    if (exchange.sendError != 0) return Fail(exchange.sendError);
    m_answered = request;
    m_readPosition = 0;
    return TRUE;
}

const Exchange* CScriptedBackEnd::Answer(HttpHandle request) const {
    if (request == nullptr || request != m_answered) return nullptr;
    return &m_exchanges[m_answer];
}

BOOL CScriptedBackEnd::DisableCertificateWarnings(HttpHandle) {
    ++m_certificateCalls;
    if (certificateCallFails) return Fail(kTqlErrorInvalidParameter);
    // As the WinHTTP back end does: each request has its checks lowered once.
    if (!canReuseAfterSecureFailure) m_bDisableCertWarnings = FALSE;
    return TRUE;
}

DWORD CScriptedBackEnd::GetHttpResponse_StatusCode(HttpHandle request) {
    const Exchange* exchange = Answer(request);
    if (exchange == nullptr || statusQueryFails) {
        _SetLastError(kTqlErrorInvalidHandle);
        return 0;
    }
    return exchange->status;
}

BOOL CScriptedBackEnd::GetHttpResponse_Header_All(HttpHandle request, WString& headers) {
    const Exchange* exchange = Answer(request);
    if (exchange == nullptr) return Fail(kTqlErrorInvalidHandle);
    headers = WidenAscii("HTTP/1.1 " + std::to_string(exchange->status) + "\r\n");
    if (exchange->vaultStatus) headers += WidenAscii("HVEH: " + *exchange->vaultStatus + "\r\n");
    return TRUE;
}

BOOL CScriptedBackEnd::GetHttpResponse_Header_ContentLength(HttpHandle request, DWORD& length) {
    const Exchange* exchange = Answer(request);
    if (exchange == nullptr) return Fail(kTqlErrorInvalidHandle);
    if (exchange->chunked) return Fail(kTqlErrorWinHttpHeaderNotFound);
    length = exchange->contentLength.value_or(static_cast<DWORD>(exchange->body.size()));
    return TRUE;
}

BOOL CScriptedBackEnd::GetHttpResponse_Header_CustomString(HttpHandle request, LPCWSTR name,
                                                           WString& value) {
    const Exchange* exchange = Answer(request);
    if (exchange == nullptr) return Fail(kTqlErrorInvalidHandle);
    EXPECT_EQ(WString(OLESTR("HVEH")), WString(name));
    if (!exchange->vaultStatus) return Fail(kTqlErrorWinHttpHeaderNotFound);
    value = WidenAscii(*exchange->vaultStatus);
    return TRUE;
}

BOOL CScriptedBackEnd::CloseHttpHandle(HttpHandle* handle) {
    if (*handle == nullptr) return TRUE;
    auto value = reinterpret_cast<std::uintptr_t>(*handle);
    EXPECT_EQ(1u, m_open.erase(value)) << "handle closed twice or never opened";
    if (*handle == m_answered) m_answered = nullptr;
    *handle = nullptr;
    return TRUE;
}

BOOL CScriptedBackEnd::QueryAuthSchemes(HttpHandle request, DWORD& supported, DWORD& first,
                                        DWORD& target) {
    const Exchange* exchange = Answer(request);
    if (exchange == nullptr || exchange->offered == 0) return Fail(kTqlErrorWinHttpHeaderNotFound);
    supported = exchange->offered;
    first = exchange->first;
    target =
        exchange->status == kHttpStatusProxyAuthRequired ? kAuthTargetProxy : kAuthTargetServer;
    return TRUE;
}

BOOL CScriptedBackEnd::ReadReply(HttpHandle request, void* buffer, ULONG count, ULONG* read) {
    *read = 0;
    const Exchange* exchange = Answer(request);
    if (exchange == nullptr) return Fail(kTqlErrorInvalidHandle);
    std::size_t left = exchange->body.size() - m_readPosition;
    if (left == 0 && exchange->readError != 0) return Fail(exchange->readError);
    std::size_t n = std::min<std::size_t>(count, left);
    if (exchange->chunk != 0) n = std::min(n, exchange->chunk);
    if (n != 0) std::memcpy(buffer, exchange->body.data() + m_readPosition, n);
    m_readPosition += n;
    *read = static_cast<ULONG>(n);
    return TRUE;
}

}  // namespace ql::test
