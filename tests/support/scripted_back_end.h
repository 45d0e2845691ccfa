// A transport back end whose HTTP library is a script: each exchange says
// what the library reports for one send (an error, or a status, an "HVEH"
// value and a body delivered in chunks), and the back end records what the
// transport asked of it. Every scripted exchange must be used, and every
// handle opened must be closed exactly once, by the time it is destroyed.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "bytes.h"
#include "support/base/wide_string.h"
#include "transport/abs_http_bin_transport.h"

namespace ql::test {

// What the library reports for one SendHttpRequest.
struct Exchange {
    DWORD sendError = 0;  // non-zero: the send fails with it, nothing else applies
    DWORD status = 200;
    std::optional<std::string> vaultStatus = "200";  // "HVEH"; nullopt: absent
    Bytes body;
    bool chunked = false;                // no Content-Length
    std::optional<DWORD> contentLength;  // default: the body's size
    std::size_t chunk = 0;               // bytes per read; 0: as many as asked
    DWORD readError = 0;                 // a read past the body fails with it
    DWORD offered = 0;                   // schemes a challenge offers ...
    DWORD first = 0;                     // ... and the one it puts first
    std::optional<Bytes> expectedBody;   // checked byte for byte when set
};

// A reply body of 200/200 carrying body (stream header included).
Exchange Reply(Bytes body);
// A reply of status alone (no "HVEH"); a challenge offers schemes.
Exchange StatusReply(DWORD status, DWORD offered = 0, DWORD first = 0);

// The clock of the tests: records the waits and returns at once.
class CRecordingClock final : public ITransportClock {
public:
    void Sleep(DWORD milliseconds) override { waits.push_back(milliseconds); }
    std::vector<DWORD> waits;
};

class CScriptedBackEnd : public CAbsHttpBinTransport {
public:
    CScriptedBackEnd();
    ~CScriptedBackEnd() override;

    void Expect(Exchange exchange) { m_exchanges.push_back(std::move(exchange)); }
    std::size_t UnusedExchanges() const { return m_exchanges.size() - m_next; }
    // Drops the script and the reply being read.
    void ForgetExchanges() {
        m_deserializer.Detach();
        m_exchanges.clear();
        m_next = 0;
        m_answered = nullptr;
        m_sends.clear();
        m_passwords.clear();
    }

    // Faults of the library outside a send.
    HRESULT connectResult = S_OK;      // the first connect
    HRESULT reconnectResult = S_OK;    // every reconnect
    DWORD openError = 0;               // OpenHttpRequest fails with it
    HRESULT credentialsResult = S_OK;  // what applying credentials gives
    bool canReuseAfterSecureFailure = false;
    bool certificateCallFails = false;
    bool statusQueryFails = false;
    bool lockSucceeds = true;  // what LockSend reports

    // What the transport asked.
    struct Sent {
        WString headers;
        Bytes body;
        bool freshRequest;     // on a request opened for this send
        WString user;          // explicit credentials applied ("" none)
        bool logon = false;    // the impersonated account's logon credentials
        bool proxy = false;    // proxy credentials applied
        DWORD authScheme = 0;  // server scheme when the credentials were set
    };
    const std::vector<Sent>& Sends() const { return m_sends; }
    int Connects() const { return m_connects; }
    int Reconnects() const { return m_reconnects; }
    int RequestsOpened() const { return m_requestsOpened; }
    int CertificateCalls() const { return m_certificateCalls; }
    // Send sections entered and left.
    int Locks() const { return m_locks; }
    int Unlocks() const { return m_unlocks; }
    // Every password the transport handed to the library.
    const std::vector<WString>& PasswordsSeen() const { return m_passwords; }
    CRecordingClock& Clock() { return m_clock; }

    BOOL LockSend() override;
    void UnlockSend() override;
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

    // The reply read of the response stream.
    BOOL ReadReply(HttpHandle request, void* buffer, ULONG count, ULONG* read);

private:
    HttpHandle OpenHandle();
    // The exchange answered on request, or null.
    const Exchange* Answer(HttpHandle request) const;

    std::vector<Exchange> m_exchanges;
    std::size_t m_next = 0;
    std::vector<Sent> m_sends;
    std::vector<WString> m_passwords;
    Sent m_pending;  // credentials applied to the request about to be sent
    HttpHandle m_answered = nullptr;
    std::size_t m_answer = 0;
    std::size_t m_readPosition = 0;
    HttpHandle m_freshRequest = nullptr;
    std::set<std::uintptr_t> m_open;
    std::uintptr_t m_nextHandle = 0x100;
    int m_connects = 0;
    int m_reconnects = 0;
    int m_requestsOpened = 0;
    int m_certificateCalls = 0;
    int m_locks = 0;
    int m_unlocks = 0;
    CRecordingClock m_clock;
};

}  // namespace ql::test
