#include "scripted_transport.h"

#include <gtest/gtest.h>

#include "serialization/read_write_binary_stream.h"
#include "support/base/hresults.h"

namespace ql::test {

namespace {

WString Copy(LPCWSTR text) { return text == nullptr ? WString() : WString(text); }

}  // namespace

void AttachReply(CBinaryDeserializer& in, const Bytes& reply) {
    auto* stream = new CReadWriteBinaryStream();
    if (!reply.empty()) {
        DWORD written = 0;
        stream->WriteStream(reinterpret_cast<LPCSTR>(reply.data()), static_cast<int>(reply.size()),
                            &written);
    }
    try {
        in.Attach(stream, reply.size());
    } catch (...) {
        stream->Release();
        throw;
    }
    stream->Release();
}

CScriptedTransport::CScriptedTransport() = default;

CScriptedTransport::~CScriptedTransport() {
    EXPECT_EQ(0u, UnusedSteps()) << "scripted calls left unused";
    if (destroyedFlag != nullptr) *destroyedFlag = true;
}

void CScriptedTransport::ExpectCall(Bytes request, Bytes reply) {
    Exchange exchange = Reply(std::move(reply));
    exchange.expectedBody = std::move(request);
    Expect(std::move(exchange));
    m_steps.push_back(Step{false, S_OK});
}

void CScriptedTransport::ExpectAnyCall(Bytes reply) {
    Expect(Reply(std::move(reply)));
    m_steps.push_back(Step{false, S_OK});
}

void CScriptedTransport::ExpectAnyCallThrowing(HRESULT hr) { m_steps.push_back(Step{true, hr}); }

void CScriptedTransport::Forget() {
    ForgetExchanges();
    m_steps.clear();
    m_next = 0;
}

bool CScriptedTransport::ReplyFullyRead() {
    if (!m_deserializer.IsAttached()) return false;
    BYTE extra = 0;
    try {
        m_deserializer.ReadRaw(&extra, 1);
    } catch (const ATL::CAtlException&) {
        return true;
    }
    return false;
}

HRESULT CScriptedTransport::SetUrl(LPCWSTR server, LPCWSTR url, LPCWSTR proxy) {
    m_urlCalls.push_back(UrlSettings{Copy(server), Copy(url), Copy(proxy)});
    return CScriptedBackEnd::SetUrl(server, url, proxy);
}

HRESULT CScriptedTransport::SetAuthInfo(COSERVERINFO* serverInfo, BYTE saveAsDefault) {
    ++m_authInfoCalls;
    events->push_back(OLESTR("SetAuthInfo"));
    HRESULT result = CScriptedBackEnd::SetAuthInfo(serverInfo, saveAsDefault);
    return FAILED(authInfoResult) ? authInfoResult : result;
}

HRESULT CScriptedTransport::RestoreDefaultCredentials() {
    events->push_back(OLESTR("Restore"));
    return CScriptedBackEnd::RestoreDefaultCredentials();
}

HRESULT CScriptedTransport::SetProxyCredentials(LPCWSTR user, LPCWSTR password) {
    m_proxyCalls.push_back(
        ProxyCredentials{user == nullptr, password == nullptr, Copy(user), Copy(password)});
    return CScriptedBackEnd::SetProxyCredentials(user, password);
}

HRESULT CScriptedTransport::SendRequest() {
    ++m_sendCount;
    events->push_back(Copy(MethodName()));
    if (m_next >= m_steps.size()) {
        ADD_FAILURE() << "unscripted call";
        ATL::AtlThrow(hr::kServerUnavailable);
    }
    const Step& step = m_steps[m_next++];
    if (step.raises) ATL::AtlThrow(step.hr);
    return CScriptedBackEnd::SendRequest();
}

}  // namespace ql::test
