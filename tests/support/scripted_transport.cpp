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

CScriptedTransport::CScriptedTransport() : CAbsHttpBinTransport(SharedMemMgr()) {}

CScriptedTransport::~CScriptedTransport() {
    EXPECT_EQ(0u, UnusedSteps()) << "scripted exchanges left unused";
    if (destroyedFlag != nullptr) *destroyedFlag = true;
}

void CScriptedTransport::ExpectCall(Bytes request, Bytes reply) {
    m_steps.push_back(Step{std::move(request), std::move(reply), std::nullopt});
}

void CScriptedTransport::ExpectAnyCall(Bytes reply) {
    m_steps.push_back(Step{std::nullopt, std::move(reply), std::nullopt});
}

void CScriptedTransport::ExpectAnyCallThrowing(HRESULT hr) {
    m_steps.push_back(Step{std::nullopt, {}, hr});
}

HRESULT CScriptedTransport::SetUrl(LPCWSTR server, LPCWSTR url, LPCWSTR proxy) {
    m_urlCalls.push_back(UrlSettings{Copy(server), Copy(url), Copy(proxy)});
    return S_OK;
}

HRESULT CScriptedTransport::SetAuthInfo(COSERVERINFO*, BYTE) {
    ++m_authInfoCalls;
    return S_OK;
}

HRESULT CScriptedTransport::RestoreDefaultCredentials() { return S_OK; }

HRESULT CScriptedTransport::SetProxyCredentials(LPCWSTR user, LPCWSTR password) {
    m_proxyCalls.push_back(
        ProxyCredentials{user == nullptr, password == nullptr, Copy(user), Copy(password)});
    return S_OK;
}

HRESULT CScriptedTransport::ApplyAuthInfo(int) { return S_OK; }

HRESULT CScriptedTransport::SendRequest() {
    const CReadWriteBinaryStream& body = RequestStream();
    Bytes sent(body.GetBuffer(), body.GetBuffer() + body.GetLength());
    m_sent.push_back(sent);
    if (m_next >= m_steps.size()) {
        ADD_FAILURE() << "unscripted request: " << ToHex(sent);
        ATL::AtlThrow(hr::kServerUnavailable);
    }
    const Step& step = m_steps[m_next++];
    if (step.request) {
        EXPECT_EQ(ToHex(*step.request), ToHex(sent)) << "request body of step " << m_next;
    }
    if (step.failure) ATL::AtlThrow(*step.failure);
    AttachReply(m_deserializer, step.reply);
    return m_deserializer.ReadLong();
}

}  // namespace ql::test
