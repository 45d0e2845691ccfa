// Credentials of the transport: the domain rules, when a change counts,
// defaults, automatic logon, the choice of a scheme, when credentials go
// with a request, and that no password reaches a trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "repository/soap_repository.h"
#include "scripted_back_end.h"
#include "support/base/hresults.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

// Records the modes ApplyAuthInfo is called with, and offers fixed schemes.
class CCredentialBackEnd final : public CScriptedBackEnd {
public:
    std::vector<int> modes;
    BOOL queryOk = TRUE;
    DWORD supported = 0;
    DWORD first = 0;

    HRESULT ApplyAuthInfo(int mode) override {
        modes.push_back(mode);
        return CScriptedBackEnd::ApplyAuthInfo(mode);
    }
    BOOL QueryAuthSchemes(HttpHandle, DWORD& s, DWORD& f, DWORD& target) override {
        s = supported;
        f = first;
        target = 0;
        return queryOk;
    }
};

// A caller's identity as COM hands it over.
struct Identity {
    std::u16string user, domain, password;
    ULONG flags = 2;
    std::u16string principal = {};  // COSERVERINFO's pwszName

    std::string ansiUser = {}, ansiDomain = {}, ansiPassword = {};  // flags 1
    COAUTHIDENTITY identity{};
    COAUTHINFO info{};
    COSERVERINFO server{};

    COSERVERINFO* Get() {
        auto text = [this](std::u16string& wide, std::string& ansi) -> USHORT* {
            if (wide.empty()) return nullptr;
            if (flags != 1) return reinterpret_cast<USHORT*>(wide.data());
            ansi.assign(wide.begin(), wide.end());
            return reinterpret_cast<USHORT*>(ansi.data());
        };
        identity.User = text(user, ansiUser);
        identity.Domain = text(domain, ansiDomain);
        identity.Password = text(password, ansiPassword);
        identity.Flags = flags;
        info.pAuthIdentityData = &identity;
        server.pAuthInfo = &info;
        server.pwszName = principal.empty() ? nullptr : reinterpret_cast<LPWSTR>(principal.data());
        return &server;
    }
};

WString W(const std::u16string& s) { return WString(s.begin(), s.end()); }
WString Str(BSTR s) { return s == nullptr ? WString() : WString(s); }

void PointAt(CScriptedBackEnd& t, LPCWSTR server, LPCWSTR proxy = OLESTR("")) {
    WString url = WString(OLESTR("http://")) + server + OLESTR("/x");
    ASSERT_EQ(S_OK, t.SetUrl(server, url.c_str(), proxy));
}

TEST(TransportCredentialsTest, DomainRules) {
    struct Case {
        std::u16string user, domain;
        ULONG flags;
        std::u16string principal;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"alice", u"", 2, u"srv1", u".\\alice"},  // principal equals the server
        {u"alice", u"", 2, u"", u".\\alice"},      // the server itself
        {u"alice", u"", 2, u"other", u"other\\alice"},
        {u"corp\\bob", u"", 2, u"srv1", u"corp\\bob"},
        {u"bob", u"CORP", 2, u"", u"CORP\\bob"},
        {u"bob", u"srv1", 2, u"", u".\\bob"},
        {u"carol", u"d", 1, u"", u"d\\carol"},  // ANSI strings
        {u"dave", u"d", 3, u"", u""},           // unknown character set: nothing taken
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(W(c.user)));
        CCredentialBackEnd t;
        PointAt(t, OLESTR("SRV1"));
        Identity identity{c.user, c.domain, u"pw", c.flags, c.principal};
        EXPECT_EQ(S_OK, t.SetAuthInfo(identity.Get(), TRUE));
        if (c.expected.empty()) {
            EXPECT_TRUE(Str(t.User()).empty());
            continue;
        }
        EXPECT_EQ(W(c.expected), Str(t.User()));
        // With explicit credentials the server sees the name they carry.
        EXPECT_EQ(W(c.expected), Str(t.CallerName()));
    }
}

TEST(TransportCredentialsTest, ChangesDefaultsAndRestore) {
    CCredentialBackEnd t;
    PointAt(t, OLESTR("vault"));
    Identity alice{u"corp\\alice", u"", u"pw1"};
    Identity bob{u"corp\\bob", u"", u"pw2"};
    Identity bobNewPassword{u"corp\\bob", u"", u"pw3"};

    EXPECT_EQ(S_OK, t.SetAuthInfo(alice.Get(), TRUE));
    EXPECT_EQ(S_OK, t.SetAuthInfo(bob.Get(), FALSE));
    EXPECT_EQ((std::vector<int>{0, 2}), t.modes);
    EXPECT_EQ(1u, t.AuthState());

    // A call that applies them: the transport then holds state 3.
    t.supported = t.first = kAuthSchemeBasic;
    t.Expect(StatusReply(401, kAuthSchemeBasic, kAuthSchemeBasic));
    t.Expect(Reply(Wire(255).Put(StreamHeader()).Long(S_OK).bytes));
    const GUID null{};
    t.BeginCall(&null, &IID_IHttpPersist, OLESTR("Ping"));
    EXPECT_EQ(S_OK, t.SendRequest());
    EXPECT_EQ(3u, t.AuthState());
    // The same user and password again: nothing changes.
    EXPECT_EQ(S_OK, t.SetAuthInfo(bob.Get(), FALSE));
    EXPECT_EQ(2u, t.modes.size());
    EXPECT_EQ(3u, t.AuthState());
    EXPECT_FALSE(t.AuthInfoPending());

    // Only the password differs: a change.
    EXPECT_EQ(S_OK, t.SetAuthInfo(bobNewPassword.Get(), FALSE));
    EXPECT_EQ(3u, t.modes.size());
    EXPECT_TRUE(t.AuthInfoPending());

    // Back to the defaults, once.
    EXPECT_EQ(S_OK, t.RestoreDefaultCredentials());
    EXPECT_EQ(WString(OLESTR("corp\\alice")), Str(t.User()));
    EXPECT_EQ(S_OK, t.RestoreDefaultCredentials());
    EXPECT_EQ((std::vector<int>{0, 2, 2, 1}), t.modes);
}

TEST(TransportCredentialsTest, AutomaticLogonSendsTheAccountName) {
    TraceRecorder traces;
    CCredentialBackEnd t;
    PointAt(t, OLESTR("vault"));
    EXPECT_EQ(S_OK, t.SetAuthInfo(nullptr, TRUE));
    std::string name = ToUtf8(Str(t.CallerName()));
    ASSERT_FALSE(name.empty());
    EXPECT_TRUE(traces.Contains("ApplyAuthInfo() - Autologon user='" + name + "'."));
    // The kept duplicate serves RestoreDefaultCredentials after a change.
    Identity bob{u"corp\\bob", u"", u"pw"};
    EXPECT_EQ(S_OK, t.SetAuthInfo(bob.Get(), FALSE));
    EXPECT_EQ(S_OK, t.RestoreDefaultCredentials());
    EXPECT_EQ(name, ToUtf8(Str(t.CallerName())));
    EXPECT_EQ((std::vector<int>{0, 2, 1}), t.modes);
}

TEST(TransportCredentialsTest, SchemeChoice) {
    // The order when the first offered is unusable; the table below covers the rest.
    EXPECT_EQ(kAuthSchemeNtlm, CAbsHttpBinTransport::PickAuthScheme(19));
    EXPECT_EQ(kAuthSchemeNegotiate, CAbsHttpBinTransport::PickAuthScheme(17));

    struct Case {
        const char* name;
        LPCWSTR server, proxy;
        DWORD status, supported, first;
        BOOL chosen;
        DWORD scheme, proxyScheme;
    };
    const LPCWSTR vault = OLESTR("vault"), dotted = OLESTR("vault.example");
    const LPCWSTR none = OLESTR(""), proxy = OLESTR("proxy:3128");
    const Case cases[] = {
        {"first offered wins", vault, none, 401, 2 | 16, 16, TRUE, 16, 0},
        {"no first: the mask", vault, none, 401, 2 | 16, 0, TRUE, 2, 0},
        {"first unusable: the mask", vault, none, 401, 1 | 8, 8, TRUE, 1, 0},
        {"nothing usable", vault, none, 401, 4 | 8, 8, FALSE, 0, 0},
        {"through a proxy only Basic", dotted, proxy, 401, 2 | 16, 2, FALSE, 0, 0},
        {"through a proxy Basic", dotted, proxy, 401, 2 | 1, 2, TRUE, 1, 0},
        {"no dot: no proxy", vault, proxy, 401, 2 | 16, 2, TRUE, 2, 0},
        {"the proxy's challenge", dotted, proxy, 407, 2 | 16, 0, TRUE, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCredentialBackEnd t;
        PointAt(t, c.server, c.proxy);
        t.supported = c.supported;
        t.first = c.first;
        EXPECT_EQ(c.chosen, t.SelectAuthScheme(nullptr, c.status));
        EXPECT_EQ(c.scheme, t.AuthScheme());
        EXPECT_EQ(c.proxyScheme, t.ProxyAuthScheme());
    }
    TraceRecorder traces;
    CCredentialBackEnd t;
    t.queryOk = FALSE;
    EXPECT_FALSE(t.SelectAuthScheme(nullptr, 401));
    EXPECT_TRUE(traces.Contains("SelectAuthScheme() - QueryAuthSchemes() failed."));
}

// NTLM authenticates a connection: on a kept direct connection the
// credentials go once; through a proxy they go with every request.
TEST(TransportCredentialsTest, NtlmCredentialsGoOncePerDirectConnection) {
    for (bool throughProxy : {false, true}) {
        SCOPED_TRACE(throughProxy ? "proxy" : "direct");
        CScriptedBackEnd t;
        PointAt(t, throughProxy ? OLESTR("vault.example") : OLESTR("vault"),
                throughProxy ? OLESTR("proxy:3128") : OLESTR(""));
        Identity bob{u"corp\\bob", u"", u"pw"};
        t.SetAuthInfo(bob.Get(), TRUE);
        const Bytes ok = Wire(255).Put(StreamHeader()).Long(S_OK).bytes;
        // Through a proxy the server is offered Basic only.
        DWORD scheme = throughProxy ? kAuthSchemeBasic : kAuthSchemeNtlm;
        t.Expect(StatusReply(401, scheme | kAuthSchemeNtlm, kAuthSchemeNtlm));
        t.Expect(Reply(ok));
        t.Expect(Reply(ok));
        const GUID null{};
        for (int call = 0; call < 2; ++call) {
            t.BeginCall(&null, &IID_IHttpPersist, OLESTR("Ping"));
            EXPECT_EQ(S_OK, t.SendRequest());
        }
        ASSERT_EQ(3u, t.Sends().size());
        EXPECT_EQ(WString(), t.Sends()[0].user);  // before the challenge
        EXPECT_EQ(WString(OLESTR("corp\\bob")), t.Sends()[1].user);
        EXPECT_EQ(throughProxy ? WString(OLESTR("corp\\bob")) : WString(), t.Sends()[2].user);
    }
}

TEST(TransportCredentialsTest, PasswordsReachNoTrace) {
    TraceRecorder traces;
    CScriptedBackEnd t;
    PointAt(t, OLESTR("vault.example"), OLESTR("proxy:3128"));
    t.SetProxyCredentials(OLESTR("pu"), OLESTR("Proxy-Secret-7"));
    Identity bob{u"corp\\bob", u"", u"Pw-Secret-42"};
    t.SetAuthInfo(bob.Get(), TRUE);
    t.Expect(StatusReply(407, kAuthSchemeBasic, kAuthSchemeBasic));
    t.Expect(StatusReply(401, kAuthSchemeBasic, kAuthSchemeBasic));
    t.Expect(Reply(Wire(255).Put(StreamHeader()).Long(S_OK).bytes));
    const GUID null{};
    t.BeginCall(&null, &IID_IHttpPersist, OLESTR("Ping"));
    EXPECT_EQ(S_OK, t.SendRequest());
    t.RestoreDefaultCredentials();
    // The library was given both passwords ...
    const auto& seen = t.PasswordsSeen();
    EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), WString(OLESTR("Pw-Secret-42"))));
    EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), WString(OLESTR("Proxy-Secret-7"))));
    // ... and no trace line at any level shows them.
    ASSERT_FALSE(traces.Texts().empty());
    for (const std::string& text : traces.Texts())
        EXPECT_EQ(std::string::npos, text.find("Secret"));
    EXPECT_TRUE(traces.Contains("ChangeCredentials() - User name = 'corp\\bob'."));
}

}  // namespace
}  // namespace ql::test
