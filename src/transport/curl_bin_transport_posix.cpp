#include "transport/curl_bin_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "support/base/hresults.h"
#include "support/base/win32_errors.h"
#include "support/platform/system_wrappers.h"
#include "support/registry/registry.h"
#include "transport/curl_errors.h"

namespace ql {

namespace {

using Clock = std::chrono::steady_clock;

// A reply piece held for the deserializer beyond which the transfer is
// paused: memory stays bounded whatever the reply's size.
constexpr std::size_t kMaxPendingBytes = 64 * 1024;
// Longest single wait for the network, so that the idle time-out is checked
// often enough.
constexpr long kPollSliceMs = 100;

void EnsureCurlInitialized() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) return false;
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

long CurlAuthOf(DWORD scheme, bool logon) {
    switch (scheme) {
        case kAuthSchemeBasic:
            return CURLAUTH_BASIC;
        case kAuthSchemeNtlm:
            // The logged-on user's NTLM credentials come from the system's
            // NTLM helper.
            return logon ? CURLAUTH_NTLM_WB : CURLAUTH_NTLM;
        case kAuthSchemeNegotiate:
            return CURLAUTH_NEGOTIATE;
        default:
            return CURLAUTH_NONE;
    }
}

// Every handle this back end gives out; CloseHttpHandle deletes it.
struct CurlHandle {
    virtual ~CurlHandle() = default;
};

struct CurlSession final : CurlHandle {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    ~CurlSession() override {
        if (multi != nullptr) curl_multi_cleanup(multi);
        if (easy != nullptr) curl_easy_cleanup(easy);
    }
};

struct CurlConnection final : CurlHandle {
    std::string origin;  // scheme://host:port
};

struct Credentials {
    DWORD scheme = 0;
    bool logon = false;
    std::string user;
    std::string password;
};

// One request and the state of its reply.
class CurlRequest final : public CurlHandle {
public:
    CurlRequest(CurlSession& session, std::string url)
        : m_session(session), m_url(std::move(url)) {}
    ~CurlRequest() override {
        Detach();
        curl_slist_free_all(m_headerList);
    }

    CurlSession& Session() { return m_session; }
    const std::string& Url() const { return m_url; }
    bool lowerChecks = false;
    Credentials server;
    Credentials proxy;

    // Starts the transfer; the reply's head is awaited by the caller.
    CURLMcode Start(curl_slist* headerList) {
        ResetReply();
        curl_slist_free_all(m_headerList);
        m_headerList = headerList;
        m_lastActivity = Clock::now();
        CURLMcode code = curl_multi_add_handle(m_session.multi, m_session.easy);
        m_attached = code == CURLM_OK;
        return code;
    }

    // Drives the transfer until ready() holds, the transfer ends or nothing
    // arrived for idleTimeoutMs.
    template <class Ready>
    void Pump(DWORD idleTimeoutMs, Ready ready) {
        while (!ready() && !m_done) {
            if (m_paused) {
                m_paused = false;
                curl_easy_pause(m_session.easy, CURLPAUSE_CONT);
                continue;
            }
            int running = 0;
            CURLMcode code = curl_multi_perform(m_session.multi, &running);
            CollectDone(code);
            if (ready() || m_done) break;
            auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                              m_lastActivity);
            if (idle.count() >= static_cast<long long>(idleTimeoutMs)) {
                Finish(CURLE_OPERATION_TIMEDOUT);
                break;
            }
            int ignored = 0;
            curl_multi_poll(m_session.multi, nullptr, 0, static_cast<int>(kPollSliceMs), &ignored);
        }
    }

    bool HeadReceived() const { return m_bodyStarted; }
    // Through a proxy to an https server the first heads are the proxy's
    // answers to CONNECT.
    void ExpectTunnel(bool tunnel) { m_tunnelling = tunnel; }
    // The last response's head arrived whole, whatever happened after it.
    bool HeadEnded() const { return m_headEnded; }
    bool Done() const { return m_done; }
    CURLcode Result() const { return m_result; }
    const char* ErrorText() const { return m_errorBuffer; }
    char* ErrorBuffer() { return m_errorBuffer; }
    long Status() const { return m_status; }
    const std::vector<std::pair<std::string, std::string>>& Headers() const { return m_headers; }
    const std::string& RawHeaders() const { return m_rawHeaders; }

    // Copies what has arrived; false when nothing is pending.
    bool TakePending(void* buffer, ULONG count, ULONG* read) {
        std::size_t available = m_pending.size() - m_pendingOffset;
        if (available == 0) return false;
        std::size_t n = std::min<std::size_t>(count, available);
        std::memcpy(buffer, m_pending.data() + m_pendingOffset, n);
        m_pendingOffset += n;
        if (m_pendingOffset == m_pending.size()) {
            m_pending.clear();
            m_pendingOffset = 0;
        }
        *read = static_cast<ULONG>(n);
        return true;
    }
    bool HasPending() const { return m_pending.size() > m_pendingOffset; }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* request = static_cast<CurlRequest*>(self);
        std::string_view line(data, size * count);
        request->m_lastActivity = Clock::now();
        if (line.rfind("HTTP/", 0) == 0) {
            // A new response (an interim or a challenge answered by curl
            // may come first): only the last one counts.
            request->m_headers.clear();
            request->m_rawHeaders.clear();
            auto space = line.find(' ');
            request->m_status =
                space == std::string_view::npos
                    ? 0
                    : std::strtol(std::string(line.substr(space + 1, 3)).c_str(), nullptr, 10);
        } else if (line == "\r\n" || line == "\n") {
            if (request->m_tunnelling) {
                // The proxy's answer to CONNECT, not the server's.
                if (request->m_status >= 200 && request->m_status < 300)
                    request->m_tunnelling = false;
            } else {
                request->m_headEnded = request->m_status >= 200;
            }
        } else {
            auto colon = line.find(':');
            if (colon != std::string_view::npos)
                request->m_headers.emplace_back(std::string(Trim(line.substr(0, colon))),
                                                std::string(Trim(line.substr(colon + 1))));
        }
        request->m_rawHeaders.append(line);
        return size * count;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* request = static_cast<CurlRequest*>(self);
        std::size_t bytes = size * count;
        request->m_bodyStarted = true;
        request->m_lastActivity = Clock::now();
        if (request->HasPending() &&
            request->m_pending.size() - request->m_pendingOffset + bytes > kMaxPendingBytes) {
            request->m_paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        if (request->m_pendingOffset != 0) {
            request->m_pending.erase(0, request->m_pendingOffset);
            request->m_pendingOffset = 0;
        }
        request->m_pending.append(data, bytes);
        return bytes;
    }

    // Ends the transfer with result; the reply's head counts as received.
    void Finish(CURLcode result) {
        m_done = true;
        m_result = result;
        m_bodyStarted = true;
        Detach();
    }

private:
    void ResetReply() {
        m_status = 0;
        m_headers.clear();
        m_rawHeaders.clear();
        m_pending.clear();
        m_pendingOffset = 0;
        m_bodyStarted = m_headEnded = m_done = m_paused = false;
        m_result = CURLE_OK;
        m_errorBuffer[0] = 0;
    }

    void CollectDone(CURLMcode performCode) {
        if (performCode != CURLM_OK) {
            Finish(CURLE_RECV_ERROR);
            return;
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(m_session.multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == m_session.easy)
                Finish(message->data.result);
        }
    }

    void Detach() {
        if (!m_attached) return;
        curl_multi_remove_handle(m_session.multi, m_session.easy);
        m_attached = false;
    }

    CurlSession& m_session;
    std::string m_url;
    curl_slist* m_headerList = nullptr;
    bool m_attached = false;
    bool m_bodyStarted = false;
    bool m_headEnded = false;
    bool m_tunnelling = false;
    bool m_done = false;
    bool m_paused = false;
    CURLcode m_result = CURLE_OK;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    long m_status = 0;
    std::vector<std::pair<std::string, std::string>> m_headers;
    std::string m_rawHeaders;
    std::string m_pending;
    std::size_t m_pendingOffset = 0;
    Clock::time_point m_lastActivity = Clock::now();
};

CurlRequest* AsRequest(HttpHandle handle) {
    return dynamic_cast<CurlRequest*>(static_cast<CurlHandle*>(handle));
}

BOOL Fail(DWORD error) {
    _SetLastError(error);
    return FALSE;
}

std::string Utf8(BSTR text) {
    return text == nullptr ? std::string() : ToUtf8(WStringView(text, SysStringLen(text)));
}

// The header block ("Name: value\r\n"...) as curl's list, with curl's own
// Accept kept and its Expect: 100-continue removed.
curl_slist* HeaderList(LPCWSTR headers, DWORD length) {
    std::string block = ToUtf8(WStringView(headers, length));
    curl_slist* list = nullptr;
    auto append = [&list](const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown == nullptr) {
            curl_slist_free_all(list);
            throw std::bad_alloc();
        }
        list = grown;
    };
    std::size_t start = 0;
    while (start < block.size()) {
        std::size_t end = block.find("\r\n", start);
        if (end == std::string::npos) end = block.size();
        if (end > start) append(block.substr(start, end - start));
        start = end + 2;
    }
    append("Accept: */*");
    append("Expect:");
    return list;
}

class CReadStreamOnCurl final : public CAbsReadStreamOnInternet {
public:
    explicit CReadStreamOnCurl(const DWORD& idleTimeoutMs) : m_idleTimeoutMs(idleTimeoutMs) {}

protected:
    BOOL ReadFromRequest(HttpHandle handle, void* buffer, ULONG count, ULONG* read) override {
        *read = 0;
        CurlRequest* request = AsRequest(handle);
        if (request == nullptr) return Fail(kTqlErrorInvalidHandle);
        if (count == 0) return TRUE;
        request->Pump(m_idleTimeoutMs, [request] { return request->HasPending(); });
        if (request->TakePending(buffer, count, read)) return TRUE;
        // Nothing more will come: the end of the body, or its failure.
        // A failure after the head (a body cut short, a reset) belongs to the
        // reading of the body, where it surfaces.
        if (request->Result() == CURLE_OK || request->HeadEnded()) return TRUE;
        return Fail(WindowsErrorOfCurl(request->Result(), request->ErrorText()));
    }
    void TraceReadFailure(DWORD error) override {
        TqlTraceErrorMsg(kTqlDefaultComponent,
                         OLESTR("CReadStreamOnCurl::Read() - reading the reply failed, err=%1!d! "
                                "(%1!Z!)."),
                         error);
    }

private:
    const DWORD& m_idleTimeoutMs;
};

}  // namespace

CCurlBinTransport::CCurlBinTransport(ATL::IAtlMemMgr* memMgr) : CAbsHttpBinTransport(memMgr) {
    EnsureCurlInitialized();
    m_pResponseStream = std::make_unique<CReadStreamOnCurl>(m_dwIdleTimeout);
}

CCurlBinTransport::~CCurlBinTransport() { Disconnect(); }

BOOL CCurlBinTransport::CanReuseRequestAfterSecureFailure() {
    // The lowered checks are kept for every later request, so that kept
    // connections (made with lowered checks) go on being reused.
    return TRUE;
}

HRESULT CCurlBinTransport::ConnectToHttpServer(BOOL reconnect) {
    if (m_hConnection != nullptr && !reconnect) return S_OK;
    CloseRequest();
    CloseHttpHandle(&m_hConnection);
    CloseHttpHandle(&m_hSession);
    m_dwIdleTimeout = m_dwTimeout != 0 ? m_dwTimeout : kDefaultIdleTimeoutMs;
    DWORD strict = 0;
    m_bStrictTls = TqlReadRegistryDword(HKEY_LOCAL_MACHINE, kSettingsKey, kStrictTlsValue, &strict,
                                        FALSE) == 0 &&
                   strict != 0;
    WCHAR caFile[1024] = {};
    DWORD chars = 1024;
    m_strCaFile.clear();
    if (TqlReadRegistryString(HKEY_LOCAL_MACHINE, kSettingsKey, kCaFileValue, caFile, &chars,
                              FALSE) == 0)
        m_strCaFile = ToUtf8(caFile);
    try {
        auto session = std::make_unique<CurlSession>();
        session->easy = curl_easy_init();
        session->multi = curl_multi_init();
        if (session->easy == nullptr || session->multi == nullptr) throw std::bad_alloc();
        auto connection = std::make_unique<CurlConnection>();
        connection->origin = m_url.IsSecure() ? "https://" : "http://";
        connection->origin += ToUtf8(m_url.host);
        connection->origin += ':' + std::to_string(m_url.port);
        m_hSession = static_cast<CurlHandle*>(session.release());
        m_hConnection = static_cast<CurlHandle*>(connection.release());
        return S_OK;
    } catch (const std::bad_alloc&) {
        TqlTraceError(
            m_trace, OLESTR("CCurlBinTransport::ConnectToHttpServer() - curl_easy_init() failed."));
        Disconnect();
        return hr::kOutOfMemory;
    }
}

HttpHandle CCurlBinTransport::OpenHttpRequest(HttpHandle connection, const ParsedUrl&,
                                              LPCWSTR objectName, LPCWSTR verb) {
    auto* origin = dynamic_cast<CurlConnection*>(static_cast<CurlHandle*>(connection));
    auto* session = dynamic_cast<CurlSession*>(static_cast<CurlHandle*>(m_hSession));
    if (origin == nullptr || session == nullptr || verb == nullptr ||
        WStringView(verb) != WStringView(OLESTR("POST"))) {
        TqlTraceErrorMsg(m_trace,
                         OLESTR("CCurlBinTransport::OpenHttpRequest() - no connection for a POST, "
                                "err=%1!d! (%1!Z!)."),
                         kTqlErrorInvalidHandle);
        _SetLastError(kTqlErrorInvalidHandle);
        return nullptr;
    }
    try {
        std::string url = origin->origin + ToUtf8(objectName == nullptr ? OLESTR("") : objectName);
        return static_cast<CurlHandle*>(new CurlRequest(*session, std::move(url)));
    } catch (const std::bad_alloc&) {
        _SetLastError(kTqlErrorNotEnoughMemory);
        return nullptr;
    }
}

HRESULT CCurlBinTransport::SetupHttpRequestAuthInfo(HttpHandle handle,
                                                    CTqlTokenImpersonator& impersonator) {
    CurlRequest* request = AsRequest(handle);
    if (request == nullptr) return hr::FromWin32(kTqlErrorInvalidHandle);
    class CSetter final : public ICredentialSetter {
    public:
        CSetter(CCurlBinTransport& owner, CurlRequest& request)
            : m_owner(owner), m_request(request) {}
        HRESULT SetProxyCredentials(CTqlTraceScope&) override {
            m_request.proxy =
                Credentials{m_owner.m_dwProxyAuthScheme, false, Utf8(m_owner.m_bstrProxyUser.Get()),
                            Utf8(m_owner.m_bstrProxyPassword.Get())};
            return S_OK;
        }
        HRESULT SetLogonCredentials(CTqlTraceScope&) override {
            m_request.server = Credentials{m_owner.m_dwAuthScheme, true, {}, {}};
            return S_OK;
        }
        HRESULT SetExplicitCredentials(CTqlTraceScope&) override {
            m_request.server =
                Credentials{m_owner.m_dwAuthScheme, false, Utf8(m_owner.m_bstrUser.Get()),
                            Utf8(m_owner.m_bstrPassword.Get())};
            return S_OK;
        }

    private:
        CCurlBinTransport& m_owner;
        CurlRequest& m_request;
    } setter(*this, *request);
    try {
        return SetupRequestCredentials(impersonator, setter,
                                       OLESTR("CCurlBinTransport::SetupHttpRequestAuthInfo"), true);
    } catch (const std::bad_alloc&) {
        return hr::kOutOfMemory;
    }
}

BOOL CCurlBinTransport::SendHttpRequest(HttpHandle handle, LPCWSTR headers, DWORD headersLength,
                                        const void* body, DWORD bodyLength) {
    CurlRequest* request = AsRequest(handle);
    if (request == nullptr) return Fail(kTqlErrorInvalidHandle);
    CURL* easy = request->Session().easy;
    curl_slist* headerList = nullptr;
    std::string agent;
    std::string proxy;
    try {
        headerList = HeaderList(headers, headersLength);
        agent = ToUtf8(kUserAgent);
        // Never a proxy from the environment: "" turns curl's lookup off.
        if (IsProxyUsed()) proxy = "http://" + ToUtf8(m_strProxy);
    } catch (const std::bad_alloc&) {
        curl_slist_free_all(headerList);
        return Fail(kTqlErrorNotEnoughMemory);
    }

    // Options from the last request do not carry over; the kept
    // connections do.
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_URL, request->Url().c_str());
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodyLength));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(m_dwTimeout != 0 ? m_dwTimeout : kDefaultConnectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, request->lowerChecks ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, request->lowerChecks ? 0L : 2L);
    if (!m_strCaFile.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, m_strCaFile.c_str());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, request->ErrorBuffer());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlRequest::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, request);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlRequest::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, request);
    const Credentials& server = request->server;
    if (server.scheme != 0) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CurlAuthOf(server.scheme, server.logon));
        if (server.logon) {
            // The system's credentials (a Kerberos ticket, the NTLM helper).
            curl_easy_setopt(easy, CURLOPT_USERPWD, ":");
        } else {
            curl_easy_setopt(easy, CURLOPT_USERNAME, server.user.c_str());
            curl_easy_setopt(easy, CURLOPT_PASSWORD, server.password.c_str());
        }
    }
    const Credentials& viaProxy = request->proxy;
    if (viaProxy.scheme != 0 && !proxy.empty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYAUTH, CurlAuthOf(viaProxy.scheme, false));
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, viaProxy.user.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, viaProxy.password.c_str());
    }

    if (request->Start(headerList) != CURLM_OK) return Fail(kTqlErrorNotEnoughMemory);
    request->ExpectTunnel(!proxy.empty() && m_url.IsSecure());
    request->Pump(m_dwIdleTimeout, [request] { return request->HeadReceived(); });
    // A failure after the head (a body cut short, a reset) belongs to the
    // reading of the body, where it surfaces.
    if (request->Result() == CURLE_OK || request->HeadEnded()) return TRUE;

    // A proxy that refused the tunnel answered like a server: its 407 goes
    // to the resend loop.
    long connectCode = 0;
    curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &connectCode);
    if (connectCode == kHttpStatusProxyAuthRequired && request->Status() == connectCode)
        return TRUE;
    DWORD error = WindowsErrorOfCurl(request->Result(), request->ErrorText());
    TqlTraceErrorMsg(m_trace,
                     OLESTR("CCurlBinTransport::SendHttpRequest() - the exchange failed, err=%1!d! "
                            "(%1!Z!): %2"),
                     error, WidenAscii(request->ErrorText()).c_str());
    return Fail(error);
}

BOOL CCurlBinTransport::DisableCertificateWarnings(HttpHandle handle) {
    CurlRequest* request = AsRequest(handle);
    if (request == nullptr) return Fail(kTqlErrorInvalidHandle);
    if (m_bStrictTls) {
        TqlTraceError(m_trace,
                      OLESTR("CCurlBinTransport::DisableCertificateWarnings() - strict TLS "
                             "is set: certificate checks stay."));
        return Fail(kTqlErrorWinHttpSecureFailure);
    }
    request->lowerChecks = true;
    return TRUE;
}

DWORD CCurlBinTransport::GetHttpResponse_StatusCode(HttpHandle handle) {
    CurlRequest* request = AsRequest(handle);
    if (request == nullptr || request->Status() == 0) {
        _SetLastError(kTqlErrorWinHttpHeaderNotFound);
        return 0;
    }
    return static_cast<DWORD>(request->Status());
}

BOOL CCurlBinTransport::GetHttpResponse_Header_All(HttpHandle handle, WString& headers) {
    CurlRequest* request = AsRequest(handle);
    if (request == nullptr) return Fail(kTqlErrorInvalidHandle);
    try {
        headers = FromUtf8(request->RawHeaders());
    } catch (const std::bad_alloc&) {
        return Fail(kTqlErrorNotEnoughMemory);
    }
    return TRUE;
}

BOOL CCurlBinTransport::GetHttpResponse_Header_ContentLength(HttpHandle handle, DWORD& length) {
    CurlRequest* request = AsRequest(handle);
    if (request == nullptr) return Fail(kTqlErrorInvalidHandle);
    for (const auto& [name, value] : request->Headers()) {
        if (!EqualsNoCase(name, "Content-Length")) continue;
        unsigned long long number = 0;
        if (value.empty() || value.size() > 10) return Fail(kTqlErrorWinHttpInvalidServerResponse);
        for (char c : value) {
            if (c < '0' || c > '9') return Fail(kTqlErrorWinHttpInvalidServerResponse);
            number = number * 10 + static_cast<unsigned>(c - '0');
        }
        if (number > 0xFFFFFFFFull) return Fail(kTqlErrorWinHttpInvalidServerResponse);
        length = static_cast<DWORD>(number);
        return TRUE;
    }
    return Fail(kTqlErrorWinHttpHeaderNotFound);
}

BOOL CCurlBinTransport::GetHttpResponse_Header_CustomString(HttpHandle handle, LPCWSTR name,
                                                            WString& value) {
    CurlRequest* request = AsRequest(handle);
    if (request == nullptr || name == nullptr) return Fail(kTqlErrorInvalidHandle);
    std::string wanted = ToUtf8(name);
    for (const auto& [header, text] : request->Headers()) {
        if (!EqualsNoCase(header, wanted)) continue;
        value = FromUtf8(text);
        return TRUE;
    }
    return Fail(kTqlErrorWinHttpHeaderNotFound);
}

BOOL CCurlBinTransport::CloseHttpHandle(HttpHandle* handle) {
    if (*handle == nullptr) return TRUE;
    delete static_cast<CurlHandle*>(*handle);
    *handle = nullptr;
    return TRUE;
}

BOOL CCurlBinTransport::QueryAuthSchemes(HttpHandle handle, DWORD& supported, DWORD& first,
                                         DWORD& target) {
    CurlRequest* request = AsRequest(handle);
    if (request == nullptr) return Fail(kTqlErrorInvalidHandle);
    const char* header = nullptr;
    if (request->Status() == kHttpStatusUnauthorized) {
        header = "WWW-Authenticate";
        target = kAuthTargetServer;
    } else if (request->Status() == kHttpStatusProxyAuthRequired) {
        header = "Proxy-Authenticate";
        target = kAuthTargetProxy;
    } else {
        return Fail(kTqlErrorWinHttpHeaderNotFound);
    }
    static constexpr std::pair<const char*, DWORD> kSchemes[] = {
        {"NTLM", kAuthSchemeNtlm},
        {"Negotiate", kAuthSchemeNegotiate},
        {"Basic", kAuthSchemeBasic},
        {"Digest", 8},
        {"Passport", 4}};
    supported = first = 0;
    for (const auto& [name, value] : request->Headers()) {
        if (!EqualsNoCase(name, header)) continue;
        std::string_view token(value);
        token = token.substr(0, token.find(' '));
        for (const auto& [scheme, bit] : kSchemes) {
            if (!EqualsNoCase(token, scheme)) continue;
            supported |= bit;
            if (first == 0) first = bit;
        }
    }
    // As WinHTTP does: with both offered, NTLM (which needs no ticket)
    // goes first.
    if ((first & kAuthSchemeNegotiate) != 0 && (supported & kAuthSchemeNtlm) != 0)
        first = kAuthSchemeNtlm;
    return supported != 0 ? TRUE : Fail(kTqlErrorWinHttpHeaderNotFound);
}

}  // namespace ql
