// Calls through the library's libcurl back end to the reference vault
// server over real loopback connections: the bytes on the wire, kept
// connections, the vault's statuses and the faults of a failing network.
#include <chrono>
#include <set>

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
    EXPECT_EQ("HttpVault", Header(first, "Content-Type"));
    EXPECT_EQ("2", Header(first, "HVVH"));
    EXPECT_EQ("Ping", Header(first, "IntfMethodName"));
    std::u16string name;
    for (const WCHAR* c = client.Transport().CallerName(); c != nullptr && *c != 0; ++c)
        name += static_cast<char16_t>(*c);
    ASSERT_FALSE(name.empty());
    Bytes utf16;
    for (char16_t c : name) {
        utf16.push_back(static_cast<BYTE>(c & 0xFF));
        utf16.push_back(static_cast<BYTE>(c >> 8));
    }
    utf16.insert(utf16.end(), {0, 0});
    EXPECT_EQ(Base64Encode(utf16.data(), utf16.size()), Header(first, "IntfUserName"));
    EXPECT_EQ("ZelNQClientAgent_Curl", Header(first, "User-Agent"));
    EXPECT_EQ("", Header(first, "Expect"));
    std::set<long long> connections;
    for (const json& request : requests)
        connections.insert(request.at("connection").get<long long>());
    EXPECT_EQ(1u, connections.size());
}

TEST(EndToEndCallsTest, VaultStatuses) {
    struct Case {
        const char* name;
        json plan;
        HRESULT result;
        std::size_t requests;
        bool newConnection;  // the last request on a connection of its own
        std::vector<DWORD> waits;
    };
    const Case cases[] = {
        {"object not found",
         json::parse(R"([{"method":"Ping","hveh":"65667272"}])"),
         hr::kDisconnected,
         1,
         false,
         {}},
        {"exception in method",
         json::parse(R"([{"method":"Ping","hveh":"65863880"}])"),
         hr::kFail,
         1,
         false,
         {}},
        {"incorrect user name once",
         json::parse(R"([{"method":"Ping","times":1,"hveh":"65994952"}])"),
         S_OK,
         2,
         false,
         {}},
        {"node disabled once",
         json::parse(R"([{"method":"Ping","times":1,"hveh":"66060488"}])"),
         S_OK,
         2,
         true,
         {}},
        {"busy three times",
         json::parse(R"([{"method":"Ping","times":3,"status":503}])"),
         S_OK,
         4,
         false,
         {5000, 10000, 20000}},
    };
    VaultServer server;
    QL_START(server, VaultServer::Options{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.Reset();
        server.SetPlan(c.plan);
        Client client;
        client.Initialize("127.0.0.1", server.HttpPort());
        EXPECT_EQ(static_cast<unsigned>(c.result), static_cast<unsigned>(client.Ping()));
        EXPECT_EQ(c.waits, client.Waits());
        json requests = server.Requests();
        ASSERT_EQ(c.requests, requests.size());
        bool separate = requests.size() > 1 && requests[requests.size() - 1].at("connection") !=
                                                   requests[requests.size() - 2].at("connection");
        EXPECT_EQ(c.newConnection, separate);
    }
}

TEST(EndToEndCallsTest, NetworkFaults) {
    struct Case {
        const char* name;
        json plan;
        DWORD timeoutMs;
        HRESULT result;
    };
    const Case cases[] = {
        {"body shorter than its length", json::parse(R"([{"method":"Ping","short_body":true}])"), 0,
         hr::kReadFault},
        {"reset mid-body", json::parse(R"([{"method":"Ping","reset_mid_body":true}])"), 0,
         hr::kReadFault},
        {"stall beyond the time-out", json::parse(R"([{"method":"Ping","delay_ms":3000}])"), 500,
         hr::kDisconnected},
        {"closed before the status",
         json::parse(R"([{"method":"Ping","close_before_status":true}])"), 0,
         hr::kServerUnavailable},
        {"slow drip",
         json::parse(R"([{"method":"Ping","drip":{"chunk_bytes":1,"interval_ms":2}}])"), 0, S_OK},
    };
    VaultServer server;
    QL_START(server, VaultServer::Options{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.Reset();
        server.SetPlan(c.plan);
        Client client;
        client.Initialize("127.0.0.1", server.HttpPort());
        if (c.timeoutMs != 0) client.Repository().SetTimeout(c.timeoutMs);
        EXPECT_EQ(static_cast<unsigned>(c.result), static_cast<unsigned>(client.Ping()));
    }
}

TEST(EndToEndCallsTest, ARefusedPortIsTriedFiveTimes) {
    TraceRecorder traces;
    Client client;
    client.Initialize("127.0.0.1", FreeLoopbackPort());
    EXPECT_EQ(static_cast<unsigned>(hr::kServerUnavailable), static_cast<unsigned>(client.Ping()));
    int resends = 0;
    for (const auto& text : traces.Texts())
        resends += text.find("CANNOT_CONNECT. Resending") != std::string::npos ? 1 : 0;
    EXPECT_EQ(5, resends);
}

TEST(EndToEndCallsTest, BasicAuthentication) {
    VaultServer::Options options;
    options.users = {"corp\\bob:pw"};
    VaultServer server;
    QL_START(server, options);
    {
        Client client;
        client.Initialize("127.0.0.1", server.HttpPort());
        ASSERT_EQ(S_OK, client.Create(u"corp\\bob", u"pw"));
        json requests = server.Requests();
        ASSERT_EQ(2u, requests.size());
        EXPECT_EQ("", Header(requests[0], "Authorization"));
        const std::string credentials = "corp\\bob:pw";
        EXPECT_EQ("Basic " + Base64Encode(credentials.data(), credentials.size()),
                  Header(requests[1], "Authorization"));
    }
    server.Reset();
    Client wrong;
    wrong.Initialize("127.0.0.1", server.HttpPort());
    EXPECT_EQ(static_cast<unsigned>(hr::kAccessDenied),
              static_cast<unsigned>(wrong.Create(u"corp\\bob", u"nope")));
}

}  // namespace
}  // namespace ql::test
