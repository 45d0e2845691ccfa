// The scripted back end seen call by call, for tests of the code above the
// transport: each step is one call whose request body may be checked and
// whose reply body (stream header, method result, out-arguments) the library
// delivers with HTTP 200 and vault status 200. A step may instead make the
// send raise an HRESULT, as a transport failure reaches the proxies.
#pragma once

#include <cstddef>
#include <vector>

#include "scripted_back_end.h"

namespace ql::test {

class CScriptedTransport final : public CScriptedBackEnd {
public:
    CScriptedTransport();
    ~CScriptedTransport() override;

    // Expects a request whose body is exactly `request` and answers `reply`.
    void ExpectCall(Bytes request, Bytes reply);
    // Expects a request with any body and answers `reply`.
    void ExpectAnyCall(Bytes reply);
    // Expects a request with any body and makes the send raise hr.
    void ExpectAnyCallThrowing(HRESULT hr);

    std::size_t UnusedSteps() const { return m_steps.size() - m_next; }
    // Forgets every step and every request (a long-running fuzzer reuses
    // one transport).
    void Forget();
    // Whether the last reply was read to its very end and no further.
    bool ReplyFullyRead();
    std::size_t SendCount() const { return m_sendCount; }

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
    // The order of credential changes and sends, as "SetAuthInfo",
    // "Restore" and the method name of each send; a test may point it at a
    // log that outlives the transport.
    std::vector<WString>* events = &m_ownEvents;
    // Set to a failure to make SetAuthInfo report it (after doing its work).
    HRESULT authInfoResult = S_OK;
    // Set to a flag the destructor raises, to observe the transport's end.
    bool* destroyedFlag = nullptr;

    HRESULT SetUrl(LPCWSTR server, LPCWSTR url, LPCWSTR proxy) override;
    HRESULT SetAuthInfo(COSERVERINFO* serverInfo, BYTE saveAsDefault) override;
    HRESULT RestoreDefaultCredentials() override;
    HRESULT SetProxyCredentials(LPCWSTR user, LPCWSTR password) override;
    HRESULT SendRequest() override;

private:
    struct Step {
        bool raises;
        HRESULT hr;
    };
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    std::size_t m_sendCount = 0;
    std::vector<UrlSettings> m_urlCalls;
    std::vector<ProxyCredentials> m_proxyCalls;
    std::vector<WString> m_ownEvents;
    int m_authInfoCalls = 0;
};

// Binds a deserializer to a reply body held in memory.
void AttachReply(CBinaryDeserializer& in, const Bytes& reply);

}  // namespace ql::test
