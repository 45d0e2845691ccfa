// A transport whose exchanges are scripted: each step names the request
// body it expects and either a reply body or an HRESULT to throw. Requests
// are compared byte for byte; a step left unused when the transport is
// destroyed fails the test.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "bytes.h"
#include "support/base/wide_string.h"
#include "transport/abs_http_bin_transport.h"

namespace ql::test {

class CScriptedTransport final : public CAbsHttpBinTransport {
public:
    CScriptedTransport();
    ~CScriptedTransport() override;

    // Expects a request whose body is exactly `request` and answers `reply`
    // (a whole reply body: stream header, method result, out-arguments).
    void ExpectCall(Bytes request, Bytes reply);
    // Expects a request with any body and answers `reply`.
    void ExpectAnyCall(Bytes reply);
    // Expects a request with any body and fails the exchange with hr.
    void ExpectAnyCallThrowing(HRESULT hr);

    std::size_t UnusedSteps() const { return m_steps.size() - m_next; }
    // Forgets every step and every request (a long-running fuzzer reuses
    // one transport).
    void Forget() {
        m_steps.clear();
        m_next = 0;
        m_sent.clear();
    }
    // Whether the last reply was read to its very end and no further.
    bool ReplyFullyRead();
    std::size_t SendCount() const { return m_sent.size(); }

    // What the object handed over through the setters.
    struct UrlSettings {
        WString server, url, proxy;
    };
    const std::vector<UrlSettings>& UrlCalls() const { return m_urlCalls; }
    struct ProxyCredentials {
        bool userNull, passwordNull;
        WString user, password;
    };
    const std::vector<ProxyCredentials>& ProxyCredentialCalls() const { return m_proxyCalls; }
    int AuthInfoCalls() const { return m_authInfoCalls; }
    // Set to a flag the destructor raises, to observe the transport's end.
    bool* destroyedFlag = nullptr;

    HRESULT SetUrl(LPCWSTR server, LPCWSTR url, LPCWSTR proxy) override;
    HRESULT SetAuthInfo(COSERVERINFO* serverInfo, BYTE saveAsDefault) override;
    HRESULT RestoreDefaultCredentials() override;
    HRESULT SetProxyCredentials(LPCWSTR user, LPCWSTR password) override;
    HRESULT ApplyAuthInfo(int mode) override;
    HRESULT SendRequest() override;

private:
    struct Step {
        std::optional<Bytes> request;
        Bytes reply;
        std::optional<HRESULT> failure;
    };
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    std::vector<Bytes> m_sent;
    std::vector<UrlSettings> m_urlCalls;
    std::vector<ProxyCredentials> m_proxyCalls;
    int m_authInfoCalls = 0;
};

// Binds a deserializer to a reply body held in memory.
void AttachReply(CBinaryDeserializer& in, const Bytes& reply);

}  // namespace ql::test
