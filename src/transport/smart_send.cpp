// The resend loop: opens, sends and sends again the request of one call,
// within fixed limits, as a state machine. Each state does one step and
// names the next; the loop ends in Done.
#include <new>

#include "support/base/hresults.h"
#include "support/platform/system_wrappers.h"
#include "transport/abs_http_bin_transport.h"

namespace ql {

namespace {

// Counted attempts per call: enough to ride out a dropped connection, a
// challenge and a certificate prompt, few enough that a dead server fails
// the call within seconds.
constexpr int kMaxAttempts = 5;
// The attempt (counted from 0) that always goes out on a fresh request, in
// case the library's request itself is what keeps failing.
constexpr int kFreshRequestAttempt = 3;
// Waits for a busy server (403, 503); they do not count as attempts.
constexpr int kMaxBusyWaits = 5;
// The first wait; each later one doubles it (5, 10, 20, 40, 80 s: 155 s in
// all), giving a restarting server time to come back.
constexpr DWORD kFirstBusyWaitMs = 5000;

constexpr WCHAR kPostVerb[] = OLESTR("POST");

}  // namespace

// One run of the loop.
class CSmartSendRun {
public:
    CSmartSendRun(CAbsHttpBinTransport& transport, LPCWSTR headers, DWORD headersLength,
                  const void* body, DWORD bodyLength)
        : m_t(transport),
          m_headers(headers),
          m_headersLength(headersLength),
          m_body(body),
          m_bodyLength(bodyLength) {}

    BOOL Run() {
        State state = State::Prepare;
        while (state != State::Done) state = Step(state);
        return m_result;
    }

private:
    enum class State {
        Prepare,          // next attempt: fresh request or reconnect as decided
        Reconnect,        // reopen session and connection
        OpenRequest,      // open a new request handle
        ApplySettings,    // certificate checks and credentials
        Send,             // send and receive the reply's head
        HandleSendError,  // the send failed
        HandleStatus,     // the reply arrived
        CountAttempt,     // one attempt used; another one if any are left
        Done,
    };

    State Step(State state) {
        switch (state) {
            case State::Prepare:
                return DoPrepare();
            case State::Reconnect:
                return DoReconnect();
            case State::OpenRequest:
                return DoOpenRequest();
            case State::ApplySettings:
                return DoApplySettings();
            case State::Send:
                return DoSend();
            case State::HandleSendError:
                return DoHandleSendError();
            case State::HandleStatus:
                return DoHandleStatus();
            case State::CountAttempt:
                return DoCountAttempt();
            case State::Done:
                break;
        }
        return State::Done;
    }

    State DoPrepare() {
        if (m_attempts >= kMaxAttempts) return State::Done;
        if (m_attempts == kFreshRequestAttempt) m_recreate = true;
        if (m_reconnect) return State::Reconnect;
        return State::OpenRequest;
    }

    State DoReconnect() {
        HRESULT connected = m_t.ConnectToHttpServer(TRUE);
        if (FAILED(connected)) {
            TqlTraceErrorMsg(m_t.m_trace,
                             OLESTR("CAbsHttpBinTransport::SmartSendHttpRequest() - "
                                    "ConnectToHttpServer(reconnect) failed, hr=0x%1!X! (%1!Z!). "
                                    "throwing RPC_S_SERVER_UNAVAILABLE..."),
                             connected);
            ATL::AtlThrow(hr::kServerUnavailable);
        }
        m_reconnect = false;
        return State::OpenRequest;
    }

    State DoOpenRequest() {
        if (!m_recreate && m_t.m_hRequest != nullptr) return State::ApplySettings;
        m_t.CloseRequest();
        m_t.m_hRequest = m_t.OpenHttpRequest(m_t.m_hConnection, m_t.m_url,
                                             m_t.m_strObjectName.c_str(), kPostVerb);
        if (m_t.m_hRequest == nullptr) {
            TraceLastError(
                OLESTR("CAbsHttpBinTransport::SmartSendHttpRequest() - OpenHttpRequest() "
                       "fails, err=%1!d! (%1!Z!).%nThrowing RPC_S_SERVER_UNAVAILABLE..."),
                kTqlLevelError, _GetLastError());
            ATL::AtlThrow(hr::kServerUnavailable);
        }
        m_recreate = false;
        return State::ApplySettings;
    }

    State DoApplySettings() {
        if (m_t.m_bDisableCertWarnings && !m_t.DisableCertificateWarnings(m_t.m_hRequest)) {
            TraceLastError(OLESTR("CAbsHttpBinTransport::SmartSendHttpRequest() - "
                                  "DisableCertificateWarnings() failed, , err=%1!d! (%1!Z!)."),
                           kTqlLevelError, _GetLastError());
        }
        if (FAILED(m_t.SetupHttpRequestAuthInfo(m_t.m_hRequest, m_impersonator))) {
            Trace(kTqlLevelError,
                  OLESTR("SetupHttpRequestAuthInfo() fails. throwing E_ACCESSDENIED..."));
            ATL::AtlThrow(hr::kAccessDenied);
        }
        return State::Send;
    }

    State DoSend() {
        m_result =
            m_t.SendHttpRequest(m_t.m_hRequest, m_headers, m_headersLength, m_body, m_bodyLength);
        return m_result ? State::HandleStatus : State::HandleSendError;
    }

    State DoHandleSendError() {
        DWORD error = _GetLastError();
        bool stop = false;
        switch (error) {
            case kTqlErrorWinHttpLoginFailure:
                Trace(kTqlLevelWarning,
                      OLESTR("LOGIN_FAILURE. Resending (with request recreation)..."));
                m_recreate = true;
                m_t.m_bAuthInfoPending = TRUE;
                break;
            case kTqlErrorWinHttpCannotConnect:
                Trace(kTqlLevelWarning,
                      OLESTR("CANNOT_CONNECT. Resending (Returned if connection to "
                             "the server failed)..."));
                m_recreate = true;
                break;
            case kTqlErrorWinHttpResendRequest:
                Trace(kTqlLevelWarning, OLESTR("RESEND_REQUEST. Resending..."));
                break;
            case kTqlErrorWinHttpSecureCertCnInvalid:
            case kTqlErrorWinHttpSecureInvalidCa:
            case kTqlErrorWinHttpSecureFailure:
                TraceLastError(
                    OLESTR("CAbsHttpBinTransport::SmartSendHttpRequest() - SECURE_FAILURE "
                           "(err=%1!d!,%1!Z!). Resending (with disabled SSL warnings)..."),
                    kTqlLevelWarning, error);
                if (!m_t.CanReuseRequestAfterSecureFailure()) m_recreate = true;
                m_t.m_bDisableCertWarnings = TRUE;
                break;
            default:
                TraceLastError(OLESTR("CAbsHttpBinTransport::SmartSendHttpRequest() - "
                                      "SendHttpRequest() failed, err=%1!d! (%1!Z!)."),
                               kTqlLevelError, error);
                stop = true;
                break;
        }
        // The caller reads the error of the send, whatever tracing did.
        _SetLastError(error);
        ++m_attempts;
        return stop ? State::Done : State::Prepare;
    }

    State DoHandleStatus() {
        DWORD status = m_t.GetHttpResponse_StatusCode(m_t.m_hRequest);
        switch (status) {
            case kHttpStatusOk:
                return HandleVaultStatus();
            case kHttpStatusUnauthorized:
                m_t.m_bAuthInfoPending = TRUE;
                // Credentials already went with this request: the server
                // refused them, and resending would not change its mind.
                if (m_t.m_dwAuthState == 2) return State::Done;
                return m_t.SelectAuthScheme(m_t.m_hRequest, status) ? State::CountAttempt
                                                                    : State::Done;
            case kHttpStatusProxyAuthRequired:
                return m_t.SelectAuthScheme(m_t.m_hRequest, status) ? State::CountAttempt
                                                                    : State::Done;
            case kHttpStatusForbidden:
            case kHttpStatusServiceUnavailable:
                if (m_busyWaits >= kMaxBusyWaits) return State::Done;
                m_t.m_pClock->Sleep(kFirstBusyWaitMs << m_busyWaits);
                ++m_busyWaits;
                return State::Prepare;
            default:
                return State::Done;
        }
    }

    State HandleVaultStatus() {
        auto vaultStatus = static_cast<DWORD>(m_t.GetVaultStatusCode());
        if (vaultStatus == kVaultErrorIncorrectUserName) {
            Trace(kTqlLevelWarning, OLESTR("HTTP_VAULT_ERROR_INCORRECT_USER_NAME. Resending (with "
                                           "request recreation)..."));
        } else if (vaultStatus == kVaultErrorLbNodeIsDisabled) {
            Trace(kTqlLevelWarning,
                  OLESTR("HTTP_VAULT_ERROR_LB_NODE_IS_DISABLED. Reconnect, and resending..."));
            m_reconnect = true;
        } else {
            return State::Done;
        }
        m_recreate = true;
        m_t.m_bAuthInfoPending = TRUE;
        m_t.m_dwAuthState = 1;
        return State::CountAttempt;
    }

    State DoCountAttempt() {
        ++m_attempts;
        return State::Prepare;
    }

    void Trace(int level, LPCWSTR rest) {
        TqlTraceMsg(m_t.m_trace, level, OLESTR("CAbsHttpBinTransport::SmartSendHttpRequest() - %1"),
                    rest);
    }
    void TraceLastError(LPCWSTR text, int level, DWORD error) {
        TqlTraceMsg(m_t.m_trace, level, text, error);
    }

    // Leaves the send section on every way out, exceptions included.
    class CSendSection {
    public:
        explicit CSendSection(CAbsHttpBinTransport& transport)
            : m_transport(transport), m_locked(transport.LockSend() != FALSE) {}
        ~CSendSection() {
            if (m_locked) m_transport.UnlockSend();
        }
        CSendSection(const CSendSection&) = delete;
        CSendSection& operator=(const CSendSection&) = delete;

    private:
        CAbsHttpBinTransport& m_transport;
        bool m_locked;
    };

    CAbsHttpBinTransport& m_t;
    LPCWSTR m_headers;
    DWORD m_headersLength;
    const void* m_body;
    DWORD m_bodyLength;
    // Declared in this order so that the section is left before the
    // impersonation is reverted.
    CTqlTokenImpersonator m_impersonator;
    CSendSection m_section{m_t};
    int m_attempts = 0;
    int m_busyWaits = 0;
    bool m_reconnect = false;
    bool m_recreate = false;
    BOOL m_result = FALSE;
};

BOOL CAbsHttpBinTransport::SmartSendHttpRequest(LPCWSTR headers, DWORD headersLength,
                                                const void* body, DWORD bodyLength) {
    CSmartSendRun run(*this, headers, headersLength, body, bodyLength);
    return run.Run();
}

}  // namespace ql
