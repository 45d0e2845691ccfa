// The scripted back end seen call by call, for tests of the code above the
// transport: each step is one call whose request body may be checked and
// whose reply body (stream header, method result, out-arguments) the library
// delivers with HTTP 200 and vault status 200. A step may instead make the
// send raise an HRESULT, as a transport failure reaches the proxies.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "codec_test_util.h"
#include "scripted_back_end.h"
#include "support/base/hresults.h"

namespace ql::test {

class CScriptedTransport final : public CScriptedBackEnd {
public:
    ~CScriptedTransport() override {
        EXPECT_EQ(0u, UnusedSteps()) << "scripted calls left unused";
        if (destroyedFlag != nullptr) *destroyedFlag = true;
    }

    // Expects a request whose body is exactly `request` and answers `reply`.
    void ExpectCall(Bytes request, Bytes reply) {
        Exchange exchange = Reply(std::move(reply));
        exchange.expectedBody = std::move(request);
        Expect(std::move(exchange));
        m_steps.push_back(S_OK);
    }
    // Expects a request with any body and answers `reply`.
    void ExpectAnyCall(Bytes reply) {
        Expect(Reply(std::move(reply)));
        m_steps.push_back(S_OK);
    }
    // Expects a request with any body and makes the send raise hr (not S_OK).
    void ExpectAnyCallThrowing(HRESULT hr) { m_steps.push_back(hr); }

    std::size_t UnusedSteps() const { return m_steps.size() - m_next; }
    // Forgets every step and every request (a long-running fuzzer reuses
    // one transport).
    void Forget() {
        ForgetExchanges();
        m_steps.clear();
        m_next = 0;
    }
    // Whether the last reply was read to its very end and no further.
    bool ReplyFullyRead() { return m_deserializer.IsAttached() && AtEnd(m_deserializer); }
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

    HRESULT SetUrl(LPCWSTR server, LPCWSTR url, LPCWSTR proxy) override {
        m_urlCalls.push_back(UrlSettings{Copy(server), Copy(url), Copy(proxy)});
        return CScriptedBackEnd::SetUrl(server, url, proxy);
    }
    HRESULT SetAuthInfo(COSERVERINFO* serverInfo, BYTE saveAsDefault) override {
        ++m_authInfoCalls;
        events->push_back(OLESTR("SetAuthInfo"));
        HRESULT result = CScriptedBackEnd::SetAuthInfo(serverInfo, saveAsDefault);
        return FAILED(authInfoResult) ? authInfoResult : result;
    }
    HRESULT RestoreDefaultCredentials() override {
        events->push_back(OLESTR("Restore"));
        return CScriptedBackEnd::RestoreDefaultCredentials();
    }
    HRESULT SetProxyCredentials(LPCWSTR user, LPCWSTR password) override {
        m_proxyCalls.push_back(
            ProxyCredentials{user == nullptr, password == nullptr, Copy(user), Copy(password)});
        return CScriptedBackEnd::SetProxyCredentials(user, password);
    }
    HRESULT SendRequest() override {
        ++m_sendCount;
        events->push_back(Copy(MethodName()));
        if (m_next >= m_steps.size()) {
            ADD_FAILURE() << "unscripted call";
            ATL::AtlThrow(hr::kServerUnavailable);
        }
        HRESULT step = m_steps[m_next++];
        if (step != S_OK) ATL::AtlThrow(step);
        return CScriptedBackEnd::SendRequest();
    }

private:
    static WString Copy(LPCWSTR text) { return text == nullptr ? WString() : WString(text); }

    // Per step: S_OK to send through the script, else what the send raises.
    std::vector<HRESULT> m_steps;
    std::size_t m_next = 0;
    std::size_t m_sendCount = 0;
    std::vector<UrlSettings> m_urlCalls;
    std::vector<ProxyCredentials> m_proxyCalls;
    std::vector<WString> m_ownEvents;
    int m_authInfoCalls = 0;
};

}  // namespace ql::test
