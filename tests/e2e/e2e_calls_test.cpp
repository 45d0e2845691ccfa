// Calls through the library's libcurl back end to the reference vault
// server over real loopback connections: the bytes on the wire, kept
// connections, the vault's statuses and the faults of a failing network.
#include <algorithm>

#include "e2e_support.h"
#include "support/base/hresults.h"
#include "trace_recorder.h"
#include "transport/request_headers.h"

namespace ql::test {
namespace {

using nlohmann::json;

TEST(EndToEndCallsTest, PingBytesHeadersAndOneKeptConnection) {
    VaultServer server;
    QL_START(server, VaultServer::Options{});
    Client client;
    client.Initialize("127.0.0.1", server.HttpPort());
    // Automatic logon: the account's name travels in IntfUserName.
    ASSERT_EQ(S_OK, client.Transport().SetAuthInfo(nullptr, TRUE));
    constexpr int kCalls = 1000;
    for (int i = 0; i < kCalls; ++i) ASSERT_EQ(S_OK, client.Ping()) << "call " << i;

    json requests = server.Requests();
    ASSERT_EQ(static_cast<std::size_t>(kCalls), requests.size());
    const json& first = requests[0];
    Bytes ping =
        Hex("0C000000 01000600 FF000000 00000000 00000000000000000000000000000000"
            "F44F7F75D01F4A4B8CEE42FF31CD6A6D 0A000000 500069006E0067000000");
    EXPECT_EQ(Base64Encode(ping.data(), ping.size()), first.at("body_base64").get<std::string>());
    EXPECT_EQ("POST /ZelNQVault/NqHttpVault.dll?Handler=HttpVault HTTP/1.1",
              first.at("request_line").get<std::string>());
    // The header block travels whole: its first line and its last.
    EXPECT_EQ("HttpVault", Header(first, "Content-Type"));
    // UTF-16LE with its terminator, as the caller's name is held.
    BSTR name = client.Transport().CallerName();
    ASSERT_NE(nullptr, name);
    EXPECT_EQ(Base64Encode(name, (SysStringLen(name) + 1) * sizeof(WCHAR)),
              Header(first, "IntfUserName"));
    EXPECT_EQ("ZelNQClientAgent_Curl", Header(first, "User-Agent"));
    EXPECT_EQ("", Header(first, "Expect"));
    for (const json& request : requests)
        ASSERT_EQ(first.at("connection"), request.at("connection"));
}

// What the libcurl back end makes of the vault's answers and of a failing
// network; the loop's handling of each outcome is the unit tests' matter.
TEST(EndToEndCallsTest, VaultStatusesAndNetworkFaults) {
    struct Case {
        const char* name;
        const char* step;  // the plan's one step for Ping; null: no server at the port
        HRESULT result;
        std::size_t requests = 1;
        bool newConnection = false;  // the last request on a connection of its own
        DWORD timeoutMs = 0;
        int resends = 0;  // after the connection was refused
    };
    const Case cases[] = {
        {"no server at the port", nullptr, hr::kServerUnavailable, 0, false, 0, 5},
        {"HVEH read", R"({"hveh":"65863880"})", hr::kFail},
        {"node disabled once", R"({"times":1,"hveh":"66060488"})", S_OK, 2, true},
        {"body shorter than its length", R"({"short_body":true})", hr::kReadFault},
        {"stall beyond the time-out", R"({"delay_ms":3000})", hr::kDisconnected, 1, false, 500},
        {"closed before the status", R"({"close_before_status":true})", hr::kServerUnavailable},
    };
    VaultServer server;
    QL_START(server, VaultServer::Options{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.Reset();
        if (c.step != nullptr) {
            json step = json::parse(c.step);
            step["method"] = "Ping";
            server.SetPlan(json::array({step}));
        }
        TraceRecorder traces;
        Client client;
        client.Initialize("127.0.0.1", c.step != nullptr ? server.HttpPort() : FreeLoopbackPort());
        if (c.timeoutMs != 0) client.Repository().SetTimeout(c.timeoutMs);
        EXPECT_EQ(static_cast<unsigned>(c.result), static_cast<unsigned>(client.Ping()));
        const auto texts = traces.Texts();
        EXPECT_EQ(c.resends, std::count_if(texts.begin(), texts.end(), [](const std::string& t) {
                      return t.find("CANNOT_CONNECT. Resending") != std::string::npos;
                  }));
        json requests = server.Requests();
        ASSERT_EQ(c.requests, requests.size());
        EXPECT_EQ(c.newConnection,
                  c.requests > 1 && requests[0].at("connection") != requests[1].at("connection"));
    }
}

TEST(EndToEndCallsTest, BasicAuthentication) {
    VaultServer::Options options;
    options.users = {"corp\\bob:Pw-Secret-9"};
    VaultServer server;
    QL_START(server, options);
    TraceRecorder traces;
    Client client;
    client.Initialize("127.0.0.1", server.HttpPort());
    ASSERT_EQ(S_OK, client.Create(u"corp\\bob", u"Pw-Secret-9"));
    json requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("", Header(requests[0], "Authorization"));
    const std::string basic = "Y29ycFxib2I6UHctU2VjcmV0LTk=";  // corp\\bob:Pw-Secret-9
    EXPECT_EQ("Basic " + basic, Header(requests[1], "Authorization"));
    // Neither the password nor the header carrying it reaches a trace.
    EXPECT_FALSE(traces.Contains("Pw-Secret"));
    EXPECT_FALSE(traces.Contains(basic));
}

}  // namespace
}  // namespace ql::test
