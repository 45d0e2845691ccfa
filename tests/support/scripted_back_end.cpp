#include "scripted_back_end.h"

namespace ql::test {

namespace {

class CScriptedReadStream final : public CAbsReadStreamOnInternet {
public:
    explicit CScriptedReadStream(CScriptedBackEnd& owner) : m_owner(owner) {}

protected:
    BOOL ReadFromRequest(HttpHandle request, void* buffer, ULONG count, ULONG* read) override {
        return m_owner.ReadReply(request, buffer, count, read);
    }
    void TraceReadFailure(DWORD) override {}

private:
    CScriptedBackEnd& m_owner;
};

}  // namespace

CScriptedBackEnd::CScriptedBackEnd() : CAbsHttpBinTransport(SharedMemMgr()) {
    m_pResponseStream = std::make_unique<CScriptedReadStream>(*this);
    SetClock(&m_clock);
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
        HRESULT SetExplicitCredentials(CTqlTraceScope&) override {
            BSTR user = m_owner.m_bstrUser.Get();
            m_owner.m_pending.user = user == nullptr ? WString() : WString(user);
            m_owner.m_pending.authScheme = m_owner.m_dwAuthScheme;
            BSTR password = m_owner.m_bstrPassword.Get();
            m_owner.m_passwords.emplace_back(password == nullptr ? OLESTR("") : password);
            return m_owner.credentialsResult;
        }

    private:
        CScriptedBackEnd& m_owner;
    } recorder(*this);
    m_pending = Sent{};
    return SetupRequestCredentials(impersonator, recorder,
                                   OLESTR("CScriptedBackEnd::SetupHttpRequestAuthInfo"), true);
}

}  // namespace ql::test
