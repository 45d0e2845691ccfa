// The send path of the transport against a scripted HTTP library: one table
// of library outcomes, each with the result the call ends in, the sends,
// fresh requests, reconnects and waits it takes, and the traces that name
// the cause (among them the scheme chosen); then the domain rules of
// credentials, and when a change counts. No password reaches a trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "repository/soap_repository.h"
#include "scripted_back_end.h"
#include "support/base/hresults.h"
#include "support/base/win32_errors.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

constexpr HRESULT kMethodResult = 0x00000007;

Bytes ReplyBody() { return Wire(255).Put(StreamHeader()).Long(kMethodResult).bytes; }

Exchange Ok() { return Reply(ReplyBody()); }

Exchange SendError(DWORD error) {
    return Exchange{.sendError = error, .body = {}, .expectedBody = {}};
}

Exchange Vault(std::optional<std::string> value) {
    return Exchange{.vaultStatus = std::move(value), .body = ReplyBody(), .expectedBody = {}};
}

// A chunked reply whose body breaks off with readError after 14 bytes.
Exchange CutOff(DWORD readError) {
    Bytes body = ReplyBody();
    body.resize(14);
    return Exchange{.body = body, .chunked = true, .readError = readError, .expectedBody = {}};
}

std::vector<Exchange> Times(int count, const Exchange& exchange) {
    return std::vector<Exchange>(static_cast<std::size_t>(count), exchange);
}

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

// Explicit credentials, so that what is applied to each send is visible.
void AsBob(CScriptedBackEnd& t) {
    Identity bob{u"corp\\bob", u"", u"Pw-Secret-42"};
    EXPECT_EQ(S_OK, t.SetAuthInfo(bob.Get(), TRUE));
}

// A dotted name goes through the proxy.
void ThroughProxy(CScriptedBackEnd& t) {
    PointAt(t, OLESTR("vault.example"), OLESTR("proxy:3128"));
    t.SetProxyCredentials(OLESTR("pu"), OLESTR("Proxy-Secret-7"));
}

void ThroughProxyAsBob(CScriptedBackEnd& t) {
    ThroughProxy(t);
    AsBob(t);
}

// A challenge, then the reply.
std::vector<Exchange> Challenge(DWORD status, DWORD offered, DWORD first) {
    return {StatusReply(status, offered, first), Ok()};
}

bool PasswordSeen(const CScriptedBackEnd& t, LPCWSTR password) {
    const auto& seen = t.PasswordsSeen();
    return std::find(seen.begin(), seen.end(), WString(password)) != seen.end();
}

// One call through the loop: the method's result, or the HRESULT raised.
HRESULT Ping(CScriptedBackEnd& t) {
    const GUID null{};
    t.BeginCall(&null, &IID_IHttpPersist, OLESTR("Ping"));
    try {
        return t.SendRequest();
    } catch (const ATL::CAtlException& e) {
        return e.Result();
    }
}

// The users whose credentials each send carried, after one more call.
std::vector<WString> UsersAfterAnotherCall(CScriptedBackEnd& t) {
    t.Expect(Ok());
    EXPECT_EQ(kMethodResult, Ping(t));
    std::vector<WString> users;
    for (const auto& sent : t.Sends()) users.push_back(sent.user);
    return users;
}

struct Row {
    const char* name;
    std::vector<Exchange> script;
    HRESULT result;  // returned (the method's result) or raised
    int sends;
    int freshRequests;
    std::vector<const char*> traces = {};
    // Prepares the back end before the call (faults, proxy, credentials).
    std::function<void(CScriptedBackEnd&)> setUp = nullptr;
    // Checks the back end after the call.
    std::function<void(CScriptedBackEnd&)> check = nullptr;
    int reconnects = 0;
    std::vector<DWORD> waits = {};
};

TEST(TransportSendTest, FaultMatrix) {
    // clang-format off
    const Row rows[] = {
        // A busy server: waits that double, and no attempt is used up.
        {"403 and 503 to the end", {StatusReply(403), StatusReply(403), StatusReply(403),
         StatusReply(503), StatusReply(503), StatusReply(503)}, hr::kCallFailedDne, 6, 1,
         {"Status(503) != HTTP_OK"}, nullptr, nullptr, 0, {5000, 10000, 20000, 40000, 80000}},
        // Send errors.
        {"cannot connect", Times(5, SendError(12029)), hr::kServerUnavailable, 5, 5,
         {"CANNOT_CONNECT. Resending", "Throwing RPC_S_SERVER_UNAVAILABLE"}},
        {"time-out", {SendError(12002)}, hr::kDisconnected, 1, 1,
         {"SmartSendHttpRequest() fails, err=12002", "Throwing RPC_E_DISCONNECTED"}},
        // The fourth attempt goes out on a fresh request.
        {"resend five times", Times(5, SendError(12032)), hr::kServerUnavailable, 5, 2,
         {"RESEND_REQUEST. Resending"}, nullptr,
         [](CScriptedBackEnd& t) { EXPECT_TRUE(t.Sends()[3].freshRequest); }},
        {"login failure", Times(5, SendError(12015)), hr::kAccessDenied, 5, 5,
         {"LOGIN_FAILURE. Resending (with request recreation)"}},
        {"unknown send error", {SendError(12030)}, hr::kServerUnavailable, 1, 1,
         {"SendHttpRequest() failed, err=12030"}},
        // Vault statuses the loop acts on.
        // After the vault asked for a new logon the credentials go again;
        // NTLM authenticates a connection, so on a kept direct connection
        // they then go no more.
        {"incorrect user name once",
         {StatusReply(401, kAuthSchemeNtlm, kAuthSchemeNtlm), Vault("65994952"), Ok()},
         kMethodResult, 3, 2, {"HTTP_VAULT_ERROR_INCORRECT_USER_NAME. Resending"}, AsBob,
         [](CScriptedBackEnd& t) {
             const WString bob = OLESTR("corp\\bob");
             EXPECT_EQ((std::vector<WString>{{}, bob, bob, {}}), UsersAfterAnotherCall(t));
         }},
        {"incorrect user name five times", Times(5, Vault("65994952")), hr::kAccessDenied, 5, 5,
         {"HTTP_VAULT_ERROR_INCORRECT_USER_NAME. Throwing E_ACCESSDENIED"}},
        {"node disabled five times", Times(5, Vault("66060488")), hr::kCallFailedDne, 5, 5,
         {"HTTP_VAULT_ERROR_LB_NODE_IS_DISABLED. Reconnect, and resending",
          "dwVaultStatus=0x03F000C8"}, nullptr, nullptr, 4},
        {"reconnect fails", {Vault("66060488")}, hr::kServerUnavailable, 1, 1,
         {"ConnectToHttpServer(reconnect) failed"},
         [](CScriptedBackEnd& t) { t.reconnectResult = hr::kFail; }, nullptr, 1},
        // Challenges.
        {"401 every time", Times(2, StatusReply(401, kAuthSchemeNtlm, kAuthSchemeNtlm)),
         hr::kAccessDenied, 2, 1, {"Selected auth scheme=2.", "HTTP_UNAUTHORIZED"}, AsBob,
         [](CScriptedBackEnd& t) { EXPECT_EQ(kAuthSchemeNtlm, t.Sends()[1].authScheme); }},
        // Counted attempts: the fourth goes out on a fresh request.
        {"407 every time", Times(5, StatusReply(407, kAuthSchemeBasic, kAuthSchemeBasic)),
         hr::kAccessDenied, 5, 2,
         {"Selected proxy auth scheme=1.", "HTTP_PROXY_AUTHENTICATION_REQUIRED"}, ThroughProxy,
         [](CScriptedBackEnd& t) { EXPECT_TRUE(t.Sends()[1].proxy); }},
        {"401 offering no scheme", {StatusReply(401)}, hr::kAccessDenied, 1, 1,
         {"SelectAuthScheme() - QueryAuthSchemes() failed."}},
        {"407 offering nothing usable", {StatusReply(407, 4 | 8, 8)}, hr::kAccessDenied, 1, 1, {},
         ThroughProxy},
        // The scheme: the first offered when usable, else NTLM, Negotiate
        // and Basic in that order; through a proxy the server gets Basic only.
        {"first offered", Challenge(401, 2 | 16, 16), kMethodResult, 2, 1,
         {"Selected auth scheme=16."}, AsBob},
        {"NTLM first", Challenge(401, 1 | 2 | 8 | 16, 8), kMethodResult, 2, 1,
         {"Selected auth scheme=2."}, AsBob},
        {"then Negotiate", Challenge(401, 1 | 8 | 16, 8), kMethodResult, 2, 1,
         {"Selected auth scheme=16."}, AsBob},
        {"then Basic", Challenge(401, 1 | 8, 8), kMethodResult, 2, 1,
         {"Selected auth scheme=1."}, AsBob},
        {"nothing usable", {StatusReply(401, 4 | 8, 8)}, hr::kAccessDenied, 1, 1, {}, AsBob},
        {"through a proxy Basic", Challenge(401, 1 | 2, 2), kMethodResult, 2, 1,
         {"Selected auth scheme=1."}, ThroughProxyAsBob},
        {"through a proxy not Basic", {StatusReply(401, 2 | 16, 2)}, hr::kAccessDenied, 1, 1, {},
         ThroughProxyAsBob},
        {"the proxy's own scheme", Challenge(407, 2 | 16, 0), kMethodResult, 2, 1,
         {"Selected proxy auth scheme=2."}, ThroughProxy},
        // Through a proxy the credentials go with every request. Both
        // passwords reach the library, and (as on every row) no trace.
        {"407, then 401, then the reply",
         {StatusReply(407, kAuthSchemeBasic, kAuthSchemeBasic),
          StatusReply(401, kAuthSchemeBasic, kAuthSchemeBasic), Ok()}, kMethodResult, 3, 1,
         {"ChangeCredentials() - User name = 'corp\\bob'."}, ThroughProxyAsBob,
         [](CScriptedBackEnd& t) {
             EXPECT_TRUE(PasswordSeen(t, OLESTR("Pw-Secret-42")));
             EXPECT_TRUE(PasswordSeen(t, OLESTR("Proxy-Secret-7")));
             EXPECT_EQ(WString(OLESTR("corp\\bob")), UsersAfterAnotherCall(t).back());
             t.RestoreDefaultCredentials();
         }},
        // Certificate errors: lowered checks and a resend.
        {"certificate name, request reopened", {SendError(12038), Ok()}, kMethodResult, 2, 2,
         {"SECURE_FAILURE (err=12038,"}, nullptr,
         [](CScriptedBackEnd& t) {
             EXPECT_EQ(1, t.CertificateCalls());
             EXPECT_FALSE(t.CertificateWarningsDisabled());  // once per request
         }},
        {"unknown authority, request kept", {SendError(12045), Ok()}, kMethodResult, 2, 1, {},
         [](CScriptedBackEnd& t) { t.canReuseAfterSecureFailure = true; },
         [](CScriptedBackEnd& t) {
             EXPECT_EQ(1, t.CertificateCalls());
             EXPECT_TRUE(t.CertificateWarningsDisabled());  // for every later request
         }},
        {"lowering the checks fails", Times(5, SendError(12175)), hr::kServerUnavailable, 5, 5,
         {"DisableCertificateWarnings() failed"},
         [](CScriptedBackEnd& t) { t.certificateCallFails = true; }},
        // Fatal before anything is sent.
        {"request not opened", {}, hr::kServerUnavailable, 0, 0,
         {"OpenHttpRequest() fails, err=87"},
         [](CScriptedBackEnd& t) { t.openError = kTqlErrorInvalidParameter; }},
        {"credentials not applied", {StatusReply(401, kAuthSchemeBasic, kAuthSchemeBasic)},
         hr::kAccessDenied, 1, 1, {"SetupHttpRequestAuthInfo() fails. throwing"},
         [](CScriptedBackEnd& t) {
             AsBob(t);
             t.credentialsResult = hr::kFail;
         },
         [](CScriptedBackEnd& t) { EXPECT_TRUE(t.AuthInfoPending()); }},
        {"logon credentials not applied", {StatusReply(401, kAuthSchemeNtlm, kAuthSchemeNtlm)},
         hr::kAccessDenied, 1, 1,
         {"SetupHttpRequestAuthInfo() fails. throwing", "ApplyAuthInfo() - Autologon user='"},
         [](CScriptedBackEnd& t) {
             t.SetAuthInfo(nullptr, TRUE);  // automatic logon: the caller's token
             t.credentialsResult = hr::kFail;
         },
         [](CScriptedBackEnd& t) {
             // The account's name is what the server is told.
             ASSERT_NE(nullptr, t.CallerName());
             EXPECT_NE(0u, SysStringLen(t.CallerName()));
         }},
        {"no send section", {Ok()}, kMethodResult, 1, 1, {},
         [](CScriptedBackEnd& t) { t.lockSucceeds = false; }},
        // What SendRequest makes of the reply.
        {"object not found", {Vault("65667272")}, hr::kDisconnected, 1, 1,
         {"HTTP_VAULT_ERROR_OBJECT_NOTFOUND. Throwing RPC_E_DISCONNECTED"}},
        {"exception in method", {Vault("65863880")}, hr::kFail, 1, 1,
         {"HTTP_VAULT_ERROR_EXCEPTION_IN_METHOD. Throwing E_FAIL"}},
        {"no vault status", {Vault(std::nullopt)}, hr::kCallFailedDne, 1, 1,
         {"GetHttpResponse_Header_CustomString( \"HVEH\" ) failed, err=12150",
          "dwVaultStatus=0x00000000"}},
        {"vault status not a number", {Vault("abc")}, hr::kCallFailedDne, 1, 1},
        {"vault status after blanks", {Vault(" 200")}, kMethodResult, 1, 1},
        {"HTTP 500", {StatusReply(500)}, hr::kCallFailedDne, 1, 1, {"Status(500) != HTTP_OK"}},
        // A read that times out gives its own error, any other a read fault.
        {"read times out", {CutOff(12002)}, hr::kDisconnected, 1, 1},
        {"read fails", {CutOff(12030)}, hr::kReadFault, 1, 1},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TraceRecorder traces;
        CScriptedBackEnd transport;
        PointAt(transport, OLESTR("vault"));
        if (row.setUp) row.setUp(transport);
        for (const Exchange& exchange : row.script) transport.Expect(exchange);

        EXPECT_EQ(static_cast<unsigned>(row.result), static_cast<unsigned>(Ping(transport)));
        // The rows' own checks index the sends.
        ASSERT_EQ(row.sends, static_cast<int>(transport.Sends().size()));
        const auto& sends = transport.Sends();
        EXPECT_EQ(row.freshRequests,
                  std::count_if(sends.begin(), sends.end(),
                                [](const auto& sent) { return sent.freshRequest; }));
        EXPECT_EQ(row.reconnects, transport.Reconnects());
        EXPECT_EQ(row.waits, transport.Clock().waits);
        for (const char* fragment : row.traces) EXPECT_TRUE(traces.Contains(fragment)) << fragment;
        // The send section is left and the impersonation undone on every path.
        EXPECT_EQ(transport.Locks(), transport.Unlocks());
        CTqlToken token;
        EXPECT_EQ(kTqlErrorNoToken, CTqlTokenImpersonator::GetImpersonationToken(token, FALSE));
        if (row.check) row.check(transport);
        for (const std::string& text : traces.Texts())
            EXPECT_EQ(std::string::npos, text.find("Secret")) << text;
    }
}

// Records the modes ApplyAuthInfo is called with.
class CCredentialBackEnd final : public CScriptedBackEnd {
public:
    std::vector<int> modes;

    HRESULT ApplyAuthInfo(int mode) override {
        modes.push_back(mode);
        return CScriptedBackEnd::ApplyAuthInfo(mode);
    }
};

TEST(TransportCredentialsTest, DomainRules) {
    std::pair<Identity, std::u16string> cases[] = {
        {{u"alice", u"", u"pw", 2, u"srv1"}, u".\\alice"},  // principal equals the server
        {{u"alice", u"", u"pw", 2}, u".\\alice"},           // the server itself
        {{u"alice", u"", u"pw", 2, u"other"}, u"other\\alice"},
        {{u"corp\\bob", u"", u"pw", 2, u"srv1"}, u"corp\\bob"},
        {{u"bob", u"CORP", u"pw"}, u"CORP\\bob"},
        {{u"bob", u"srv1", u"pw"}, u".\\bob"},
        {{u"carol", u"d", u"pw", 1}, u"d\\carol"},  // ANSI strings
        {{u"dave", u"d", u"pw", 3}, u""},           // unknown character set: nothing taken
    };
    for (auto& [identity, expected] : cases) {
        SCOPED_TRACE(ToUtf8(W(identity.user)));
        CScriptedBackEnd t;
        PointAt(t, OLESTR("SRV1"));
        EXPECT_EQ(S_OK, t.SetAuthInfo(identity.Get(), TRUE));
        EXPECT_EQ(W(expected), Str(t.User()));
        // With explicit credentials the server sees the name they carry.
        if (!expected.empty()) {
            EXPECT_EQ(W(expected), Str(t.CallerName()));
        }
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
    t.Expect(StatusReply(401, kAuthSchemeBasic, kAuthSchemeBasic));
    t.Expect(Ok());
    EXPECT_EQ(kMethodResult, Ping(t));
    EXPECT_EQ(3u, t.AuthState());
    // The same user and password again: nothing changes.
    EXPECT_EQ(S_OK, t.SetAuthInfo(bob.Get(), FALSE));
    EXPECT_FALSE(t.AuthInfoPending());

    // Only the password differs: a change.
    EXPECT_EQ(S_OK, t.SetAuthInfo(bobNewPassword.Get(), FALSE));
    EXPECT_TRUE(t.AuthInfoPending());

    // Back to the defaults, once. Only the changes above applied anything.
    EXPECT_EQ(S_OK, t.RestoreDefaultCredentials());
    EXPECT_EQ(WString(OLESTR("corp\\alice")), Str(t.User()));
    EXPECT_EQ(S_OK, t.RestoreDefaultCredentials());
    EXPECT_EQ((std::vector<int>{0, 2, 2, 1}), t.modes);
}

// Under automatic logon the kept duplicate of the caller's token serves the
// restore after a change, and the account's name travels again.
TEST(TransportCredentialsTest, AutomaticLogonIsRestoredAfterAChange) {
    CCredentialBackEnd t;
    PointAt(t, OLESTR("vault"));
    EXPECT_EQ(S_OK, t.SetAuthInfo(nullptr, TRUE));
    const WString account = Str(t.CallerName());
    ASSERT_FALSE(account.empty());
    Identity bob{u"corp\\bob", u"", u"pw"};
    EXPECT_EQ(S_OK, t.SetAuthInfo(bob.Get(), FALSE));
    EXPECT_EQ(S_OK, t.RestoreDefaultCredentials());
    EXPECT_EQ(account, Str(t.CallerName()));
    EXPECT_EQ((std::vector<int>{0, 2, 1}), t.modes);
}

}  // namespace
}  // namespace ql::test
