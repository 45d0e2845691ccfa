// A transport back end whose HTTP library is a script: each exchange says
// what the library reports for one send (an error, or a status, an "HVEH"
// value and a body), and the back end records what the transport asked of
// it. Every scripted exchange must be used, and every handle opened must be
// closed exactly once, by the time it is destroyed.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "bytes.h"
#include "support/base/wide_string.h"
#include "support/base/win32_errors.h"
#include "support/platform/system_wrappers.h"
#include "transport/abs_http_bin_transport.h"

namespace ql::test {

// What the library reports for one SendHttpRequest.
struct Exchange {
    DWORD sendError = 0;  // non-zero: the send fails with it, nothing else applies
    DWORD status = 200;
    std::optional<std::string> vaultStatus = "200";  // "HVEH"; nullopt: absent
    Bytes body;
    bool chunked = false;               // no Content-Length
    DWORD readError = 0;                // a read past the body fails with it
    DWORD offered = 0;                  // schemes a challenge offers ...
    DWORD first = 0;                    // ... and the one it puts first
    std::optional<Bytes> expectedBody;  // checked byte for byte when set
};

// A reply body of 200/200 carrying body (stream header included).
inline Exchange Reply(Bytes body) {
    Exchange exchange;
    exchange.body = std::move(body);
    return exchange;
}
// A reply of status alone (no "HVEH"); a challenge offers schemes.
inline Exchange StatusReply(DWORD status, DWORD offered = 0, DWORD first = 0) {
    return Exchange{0, status, std::nullopt, {}, false, 0, offered, first, std::nullopt};
}

// The clock of the tests: records the waits and returns at once.
class CRecordingClock final : public ITransportClock {
public:
    void Sleep(DWORD milliseconds) override { waits.push_back(milliseconds); }
    std::vector<DWORD> waits;
};

class CScriptedBackEnd : public CAbsHttpBinTransport {
public:
    CScriptedBackEnd();
    ~CScriptedBackEnd() override {
        Disconnect();
        EXPECT_EQ(m_exchanges.size(), m_next) << "scripted exchanges left unused";
        EXPECT_TRUE(m_open.empty()) << m_open.size() << " library handles left open";
    }

    void Expect(Exchange exchange) { m_exchanges.push_back(std::move(exchange)); }

    // Faults of the library outside a send.
    HRESULT reconnectResult = S_OK;    // every reconnect
    DWORD openError = 0;               // OpenHttpRequest fails with it
    HRESULT credentialsResult = S_OK;  // what applying credentials gives
    bool canReuseAfterSecureFailure = false;
    bool certificateCallFails = false;
    bool lockSucceeds = true;  // what LockSend reports

    // What the transport asked.
    struct Sent {
        Bytes body;
        bool freshRequest;     // on a request opened for this send
        WString user;          // explicit credentials applied ("" none)
        bool logon = false;    // the impersonated account's logon credentials
        bool proxy = false;    // proxy credentials applied
        DWORD authScheme = 0;  // server scheme when the credentials were set
    };
    const std::vector<Sent>& Sends() const { return m_sends; }
    int Reconnects() const { return m_reconnects; }
    int CertificateCalls() const { return m_certificateCalls; }
    // Send sections entered and left.
    int Locks() const { return m_locks; }
    int Unlocks() const { return m_unlocks; }
    // Every password the transport handed to the library.
    const std::vector<WString>& PasswordsSeen() const { return m_passwords; }
    CRecordingClock& Clock() { return m_clock; }

    BOOL LockSend() override {
        m_locks += lockSucceeds ? 1 : 0;
        return lockSucceeds ? TRUE : FALSE;
    }
    void UnlockSend() override {
        ++m_unlocks;
        EXPECT_LE(m_unlocks, m_locks) << "left a send section never entered";
    }
    BOOL CanReuseRequestAfterSecureFailure() override { return canReuseAfterSecureFailure; }
    HRESULT ConnectToHttpServer(BOOL reconnect) override {
        if (reconnect) {
            ++m_reconnects;
            CloseRequest();
            CloseHttpHandle(&m_hConnection);
            CloseHttpHandle(&m_hSession);
            if (FAILED(reconnectResult)) return reconnectResult;
        }
        if (m_hSession == nullptr) m_hSession = OpenHandle();
        if (m_hConnection == nullptr) m_hConnection = OpenHandle();
        return S_OK;
    }
    HttpHandle OpenHttpRequest(HttpHandle connection, const ParsedUrl&, LPCWSTR,
                               LPCWSTR verb) override {
        EXPECT_EQ(m_hConnection, connection);
        EXPECT_EQ(WString(OLESTR("POST")), WString(verb));
        if (openError != 0) {
            _SetLastError(openError);
            return nullptr;
        }
        return m_freshRequest = OpenHandle();
    }
    HRESULT SetupHttpRequestAuthInfo(HttpHandle request,
                                     CTqlTokenImpersonator& impersonator) override;
    BOOL SendHttpRequest(HttpHandle request, LPCWSTR, DWORD, const void* body,
                         DWORD bodyLength) override {
        EXPECT_TRUE(m_open.count(reinterpret_cast<std::uintptr_t>(request)));
        Sent sent = std::exchange(m_pending, Sent{});
        const auto* bytes = static_cast<const BYTE*>(body);
        sent.body.assign(bytes, bytes + bodyLength);
        sent.freshRequest = request == std::exchange(m_freshRequest, nullptr);
        m_sends.push_back(sent);
        m_answered = nullptr;
        if (m_next >= m_exchanges.size()) {
            ADD_FAILURE() << "unscripted send: " << ToHex(sent.body);
            return Fail(kTqlErrorWinHttpCannotConnect);
        }
        const Exchange& exchange = m_exchanges[m_next++];
        if (exchange.expectedBody) {
            EXPECT_EQ(ToHex(*exchange.expectedBody), ToHex(sent.body)) << "body of send " << m_next;
        }
        if (exchange.sendError != 0) return Fail(exchange.sendError);
        m_answered = request;
        m_readPosition = 0;
        return TRUE;
    }
    BOOL DisableCertificateWarnings(HttpHandle) override {
        ++m_certificateCalls;
        if (certificateCallFails) return Fail(kTqlErrorInvalidParameter);
        // As the WinHTTP back end does: each request has its checks lowered once.
        if (!canReuseAfterSecureFailure) m_bDisableCertWarnings = FALSE;
        return TRUE;
    }
    DWORD GetHttpResponse_StatusCode(HttpHandle request) override {
        const Exchange* exchange = Answer(request);
        return exchange == nullptr ? 0 : exchange->status;
    }
    BOOL GetHttpResponse_Header_All(HttpHandle request, WString& headers) override {
        const Exchange* exchange = Answer(request);
        if (exchange == nullptr) return FALSE;
        headers = WidenAscii("HTTP/1.1 " + std::to_string(exchange->status) + "\r\n");
        if (exchange->vaultStatus)
            headers += WidenAscii("HVEH: " + *exchange->vaultStatus + "\r\n");
        return TRUE;
    }
    BOOL GetHttpResponse_Header_ContentLength(HttpHandle request, DWORD& length) override {
        const Exchange* exchange = Answer(request);
        if (exchange == nullptr) return FALSE;
        if (exchange->chunked) return Fail(kTqlErrorWinHttpHeaderNotFound);
        length = static_cast<DWORD>(exchange->body.size());
        return TRUE;
    }
    BOOL GetHttpResponse_Header_CustomString(HttpHandle request, LPCWSTR name,
                                             WString& value) override {
        const Exchange* exchange = Answer(request);
        if (exchange == nullptr) return FALSE;
        EXPECT_EQ(WString(OLESTR("HVEH")), WString(name));
        if (!exchange->vaultStatus) return Fail(kTqlErrorWinHttpHeaderNotFound);
        value = WidenAscii(*exchange->vaultStatus);
        return TRUE;
    }
    BOOL CloseHttpHandle(HttpHandle* handle) override {
        if (*handle == nullptr) return TRUE;
        auto value = reinterpret_cast<std::uintptr_t>(*handle);
        EXPECT_EQ(1u, m_open.erase(value)) << "handle closed twice or never opened";
        if (*handle == m_answered) m_answered = nullptr;
        *handle = nullptr;
        return TRUE;
    }
    BOOL QueryAuthSchemes(HttpHandle request, DWORD& supported, DWORD& first,
                          DWORD& target) override {
        const Exchange* exchange = Answer(request);
        if (exchange == nullptr || exchange->offered == 0)
            return Fail(kTqlErrorWinHttpHeaderNotFound);
        supported = exchange->offered;
        first = exchange->first;
        target =
            exchange->status == kHttpStatusProxyAuthRequired ? kAuthTargetProxy : kAuthTargetServer;
        return TRUE;
    }

    // The reply read of the response stream.
    BOOL ReadReply(HttpHandle request, void* buffer, ULONG count, ULONG* read) {
        *read = 0;
        const Exchange* exchange = Answer(request);
        if (exchange == nullptr) return FALSE;
        std::size_t left = exchange->body.size() - m_readPosition;
        if (left == 0 && exchange->readError != 0) return Fail(exchange->readError);
        std::size_t n = std::min<std::size_t>(count, left);
        if (n != 0) std::memcpy(buffer, exchange->body.data() + m_readPosition, n);
        m_readPosition += n;
        *read = static_cast<ULONG>(n);
        return TRUE;
    }

protected:
    // Drops the script and the reply being read.
    void ForgetExchanges() {
        m_deserializer.Detach();
        m_exchanges.clear();
        m_next = 0;
        m_answered = nullptr;
        m_sends.clear();
        m_passwords.clear();
    }

private:
    static BOOL Fail(DWORD error) {
        _SetLastError(error);
        return FALSE;
    }
    HttpHandle OpenHandle() {
        m_open.insert(m_nextHandle += 4);
        return reinterpret_cast<HttpHandle>(m_nextHandle);
    }
    // The exchange answered on request, or null with the thread's last
    // error set to an invalid handle.
    const Exchange* Answer(HttpHandle request) const {
        if (request != nullptr && request == m_answered) return &m_exchanges[m_next - 1];
        _SetLastError(kTqlErrorInvalidHandle);
        return nullptr;
    }

    std::vector<Exchange> m_exchanges;
    std::size_t m_next = 0;
    std::vector<Sent> m_sends;
    std::vector<WString> m_passwords;
    Sent m_pending;  // credentials applied to the request about to be sent
    HttpHandle m_answered = nullptr;
    std::size_t m_readPosition = 0;
    HttpHandle m_freshRequest = nullptr;
    std::set<std::uintptr_t> m_open;
    std::uintptr_t m_nextHandle = 0x100;
    int m_reconnects = 0;
    int m_certificateCalls = 0;
    int m_locks = 0;
    int m_unlocks = 0;
    CRecordingClock m_clock;
};

}  // namespace ql::test
