// The send path of the transport against a scripted HTTP library: one table
// of library outcomes, each with the result the call ends in, the sends,
// fresh requests, reconnects and waits it takes, and the traces that name
// the cause.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "repository/soap_repository.h"
#include "scripted_back_end.h"
#include "support/base/hresults.h"
#include "support/base/win32_errors.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

constexpr HRESULT kMethodResult = 0x00000007;
constexpr DWORD kDigest = 8;
constexpr GUID kNullGuid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

Bytes ReplyBody(HRESULT result = kMethodResult) {
    return Wire(255).Put(StreamHeader()).Long(result).bytes;
}

Exchange Ok() { return Reply(ReplyBody()); }

Exchange SendError(DWORD error) {
    Exchange exchange;
    exchange.sendError = error;
    return exchange;
}

Exchange Vault(std::optional<std::string> value) {
    Exchange exchange = Ok();
    exchange.vaultStatus = std::move(value);
    return exchange;
}

// A chunked reply whose body breaks off with readError after 14 bytes.
Exchange CutOff(DWORD readError) {
    Exchange exchange = Ok();
    exchange.body.resize(14);
    exchange.readError = readError;
    exchange.chunked = true;
    return exchange;
}

std::vector<Exchange> Times(int count, const Exchange& exchange) {
    return std::vector<Exchange>(static_cast<std::size_t>(count), exchange);
}

struct Row {
    const char* name;
    std::vector<Exchange> script;
    HRESULT result;  // returned (the method's result) or raised
    int sends;
    int freshRequests;
    int reconnects = 0;
    std::vector<DWORD> waits = {};
    std::vector<const char*> traces = {};
    // Prepares the back end before the call (faults, proxy, credentials).
    std::function<void(CScriptedBackEnd&)> setUp = nullptr;
    // Checks the back end after the call.
    std::function<void(CScriptedBackEnd&)> check = nullptr;
};

void ThroughProxy(CScriptedBackEnd& t) {
    ASSERT_EQ(S_OK, t.SetUrl(OLESTR("vault.example"), OLESTR("http://vault.example/x"),
                             OLESTR("proxy:3128")));
    t.SetProxyCredentials(OLESTR("pu"), OLESTR("pp"));
}

// Explicit credentials, so that what is applied to each send is visible.
void AsBob(CScriptedBackEnd& t) {
    COAUTHIDENTITY identity{};
    WCHAR user[] = OLESTR("corp\\bob");
    WCHAR password[] = OLESTR("pw");
    identity.User = reinterpret_cast<USHORT*>(user);
    identity.Password = reinterpret_cast<USHORT*>(password);
    identity.Flags = 2;
    COAUTHINFO info{};
    info.pAuthIdentityData = &identity;
    COSERVERINFO server{};
    server.pAuthInfo = &info;
    t.SetAuthInfo(&server, TRUE);
}

int CredentialedSends(const CScriptedBackEnd& t) {
    int count = 0;
    for (const auto& sent : t.Sends()) count += sent.user.empty() && !sent.logon ? 0 : 1;
    return count;
}

TEST(TransportSendTest, FaultMatrix) {
    // clang-format off
    const Row rows[] = {
        // A busy server: waits that double, and no attempt is used up.
        {"403 and 503 to the end", {StatusReply(403), StatusReply(403), StatusReply(403),
         StatusReply(503), StatusReply(503), StatusReply(503)}, hr::kCallFailedDne, 6, 1, 0,
         {5000, 10000, 20000, 40000, 80000}, {"Status(503) != HTTP_OK"}},
        // Send errors.
        {"cannot connect", Times(5, SendError(12029)), hr::kServerUnavailable, 5, 5, 0, {},
         {"CANNOT_CONNECT. Resending", "Throwing RPC_S_SERVER_UNAVAILABLE"}},
        {"time-out", {SendError(12002)}, hr::kDisconnected, 1, 1, 0, {},
         {"SmartSendHttpRequest() fails, err=12002", "Throwing RPC_E_DISCONNECTED"}},
        // The fourth attempt goes out on a fresh request.
        {"resend five times", Times(5, SendError(12032)), hr::kServerUnavailable, 5, 2, 0, {},
         {"RESEND_REQUEST. Resending"}, nullptr,
         [](CScriptedBackEnd& t) { EXPECT_TRUE(t.Sends()[3].freshRequest); }},
        {"login failure", Times(5, SendError(12015)), hr::kAccessDenied, 5, 5, 0, {},
         {"LOGIN_FAILURE. Resending (with request recreation)"}},
        {"unknown send error", {SendError(12030)}, hr::kServerUnavailable, 1, 1, 0, {},
         {"SendHttpRequest() failed, err=12030"}},
        // Vault statuses the loop acts on.
        {"incorrect user name once",
         {StatusReply(401, kAuthSchemeNtlm, kAuthSchemeNtlm), Vault("65994952"), Ok()},
         kMethodResult, 3, 2, 0, {}, {"HTTP_VAULT_ERROR_INCORRECT_USER_NAME. Resending"}, AsBob,
         [](CScriptedBackEnd& t) {
             // The credentials go again after the vault asked for a new logon.
             EXPECT_EQ(2, CredentialedSends(t));
         }},
        {"incorrect user name five times", Times(5, Vault("65994952")), hr::kAccessDenied, 5, 5, 0,
         {}, {"HTTP_VAULT_ERROR_INCORRECT_USER_NAME. Throwing E_ACCESSDENIED"}},
        {"node disabled five times", Times(5, Vault("66060488")), hr::kCallFailedDne, 5, 5, 4, {},
         {"HTTP_VAULT_ERROR_LB_NODE_IS_DISABLED. Reconnect, and resending",
          "dwVaultStatus=0x03F000C8"}},
        {"reconnect fails", {Vault("66060488")}, hr::kServerUnavailable, 1, 1, 1, {},
         {"ConnectToHttpServer(reconnect) failed"},
         [](CScriptedBackEnd& t) { t.reconnectResult = hr::kFail; }},
        // Challenges.
        {"401 every time", Times(2, StatusReply(401, kAuthSchemeNtlm, kAuthSchemeNtlm)),
         hr::kAccessDenied, 2, 1, 0, {}, {"Selected auth scheme=2.", "HTTP_UNAUTHORIZED"}, AsBob,
         [](CScriptedBackEnd& t) { EXPECT_EQ(kAuthSchemeNtlm, t.Sends()[1].authScheme); }},
        // Counted attempts: the fourth goes out on a fresh request.
        {"407 every time", Times(5, StatusReply(407, kAuthSchemeBasic, kAuthSchemeBasic)),
         hr::kAccessDenied, 5, 2, 0, {},
         {"Selected proxy auth scheme=1.", "HTTP_PROXY_AUTHENTICATION_REQUIRED"}, ThroughProxy,
         [](CScriptedBackEnd& t) { EXPECT_TRUE(t.Sends()[1].proxy); }},
        {"401 with a scheme not used", {StatusReply(401, kDigest, kDigest)}, hr::kAccessDenied, 1,
         1},
        // Certificate errors: lowered checks and a resend.
        {"certificate name, request reopened", {SendError(12038), Ok()}, kMethodResult, 2, 2, 0,
         {}, {"SECURE_FAILURE (err=12038,"}, nullptr,
         [](CScriptedBackEnd& t) {
             EXPECT_EQ(1, t.CertificateCalls());
             EXPECT_FALSE(t.CertificateWarningsDisabled());  // once per request
         }},
        {"unknown authority, request kept", {SendError(12045), Ok()}, kMethodResult, 2, 1, 0, {},
         {}, [](CScriptedBackEnd& t) { t.canReuseAfterSecureFailure = true; },
         [](CScriptedBackEnd& t) {
             EXPECT_EQ(1, t.CertificateCalls());
             EXPECT_TRUE(t.CertificateWarningsDisabled());  // for every later request
         }},
        {"lowering the checks fails", Times(5, SendError(12175)), hr::kServerUnavailable, 5, 5, 0,
         {}, {"DisableCertificateWarnings() failed"},
         [](CScriptedBackEnd& t) { t.certificateCallFails = true; }},
        // Fatal before anything is sent.
        {"request not opened", {}, hr::kServerUnavailable, 0, 0, 0, {},
         {"OpenHttpRequest() fails, err=87"},
         [](CScriptedBackEnd& t) { t.openError = kTqlErrorInvalidParameter; }},
        {"credentials not applied", {StatusReply(401, kAuthSchemeBasic, kAuthSchemeBasic)},
         hr::kAccessDenied, 1, 1, 0, {}, {"SetupHttpRequestAuthInfo() fails. throwing"},
         [](CScriptedBackEnd& t) {
             AsBob(t);
             t.credentialsResult = hr::kFail;
         },
         [](CScriptedBackEnd& t) { EXPECT_TRUE(t.AuthInfoPending()); }},
        {"logon credentials not applied", {StatusReply(401, kAuthSchemeNtlm, kAuthSchemeNtlm)},
         hr::kAccessDenied, 1, 1, 0, {}, {"SetupHttpRequestAuthInfo() fails. throwing"},
         [](CScriptedBackEnd& t) {
             t.SetAuthInfo(nullptr, TRUE);  // automatic logon: the caller's token
             t.credentialsResult = hr::kFail;
         }},
        {"no send section", {Ok()}, kMethodResult, 1, 1, 0, {}, {},
         [](CScriptedBackEnd& t) { t.lockSucceeds = false; }},
        // What SendRequest makes of the reply.
        {"object not found", {Vault("65667272")}, hr::kDisconnected, 1, 1, 0, {},
         {"HTTP_VAULT_ERROR_OBJECT_NOTFOUND. Throwing RPC_E_DISCONNECTED"}},
        {"exception in method", {Vault("65863880")}, hr::kFail, 1, 1, 0, {},
         {"HTTP_VAULT_ERROR_EXCEPTION_IN_METHOD. Throwing E_FAIL"}},
        {"no vault status", {Vault(std::nullopt)}, hr::kCallFailedDne, 1, 1, 0, {},
         {"GetHttpResponse_Header_CustomString( \"HVEH\" ) failed, err=12150",
          "dwVaultStatus=0x00000000"}},
        {"vault status not a number", {Vault("abc")}, hr::kCallFailedDne, 1, 1},
        {"vault status after blanks", {Vault(" 200")}, kMethodResult, 1, 1},
        {"HTTP 500", {StatusReply(500)}, hr::kCallFailedDne, 1, 1, 0, {},
         {"Status(500) != HTTP_OK"}},
        {"reply header too short", {Reply(Wire(255).Put(StreamHeader(8)).Long(0).bytes)},
         hr::kIncompatibleStreamVersion, 1, 1},
        {"reply version too new",
         {Reply(Wire(255).Put(StreamHeader(12, 0x00060002)).Long(0).bytes)},
         hr::kIncompatibleStreamVersion, 1, 1},
        {"empty body", {Reply({})}, hr::kReadFault, 1, 1},
        {"read times out", {CutOff(12002)}, hr::kDisconnected, 1, 1},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TraceRecorder traces;
        CScriptedBackEnd transport;
        ASSERT_EQ(S_OK, transport.SetUrl(OLESTR("vault"), OLESTR("http://vault/x"), OLESTR("")));
        if (row.setUp) row.setUp(transport);
        for (const Exchange& exchange : row.script) transport.Expect(exchange);

        transport.BeginCall(&kNullGuid, &IID_IHttpPersist, OLESTR("Ping"));
        HRESULT result = S_OK;
        try {
            result = transport.SendRequest();
        } catch (const ATL::CAtlException& e) {
            result = e.Result();
        }

        EXPECT_EQ(static_cast<unsigned>(row.result), static_cast<unsigned>(result));
        EXPECT_EQ(row.sends, static_cast<int>(transport.Sends().size()));
        int fresh = 0;
        for (const auto& sent : transport.Sends()) fresh += sent.freshRequest ? 1 : 0;
        EXPECT_EQ(row.freshRequests, fresh);
        EXPECT_EQ(row.reconnects, transport.Reconnects());
        EXPECT_EQ(row.waits, transport.Clock().waits);
        for (const char* fragment : row.traces) EXPECT_TRUE(traces.Contains(fragment)) << fragment;
        // The send section is left and the impersonation undone on every path.
        EXPECT_EQ(transport.Locks(), transport.Unlocks());
        CTqlToken token;
        EXPECT_EQ(kTqlErrorNoToken, CTqlTokenImpersonator::GetImpersonationToken(token, FALSE));
        if (row.check) row.check(transport);
    }
}

}  // namespace
}  // namespace ql::test
