// The real vault-server binary on loopback, spoken to with libcurl: what
// only its network side does (counting connections, 100 Continue, chunked
// drips) and a clean exit on SIGTERM.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "bytes.h"
#include "call_reader.h"
#include "server_process.h"
#include "vault_app.h"
#include "vault_test_util.h"

namespace ql::vault {
namespace {

struct Exchange {
    long status = 0;
    std::string body;
    std::string headers;
};

size_t Append(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// One request; post null means GET. expectContinue lets curl wait for
// 100 Continue.
Exchange Fetch(const std::string& url, const std::string* post, bool expectContinue = false) {
    Exchange exchange;
    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: HttpVault");
    if (!expectContinue) headers = curl_slist_append(headers, "Expect:");
    // Long enough that a server which never answers 100 shows in the time.
    curl_easy_setopt(curl, CURLOPT_EXPECT_100_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    if (post != nullptr) {
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, post->data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(post->size()));
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &exchange.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Append);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &exchange.headers);
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &exchange.status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return exchange;
}

TEST(VaultServerSmokeTest, CountsConnectionsDripsAnswersExpectContinueAndStopsOnSigterm) {
    test::ServerProcess server(QL_VAULT_SERVER_EXE, {"--threads", "2"});
    ASSERT_TRUE(server.Ready()) << server.ReadyLine();
    EXPECT_EQ(0u, server.HttpsPort());
    std::string base = "http://127.0.0.1:" + std::to_string(server.HttpPort());
    std::string vault = base + std::string(kVaultTarget);

    std::string ping = test::CallBody("", test::kPersist, "Ping");
    // Stream header, S_OK, status 0.
    ql::test::Bytes expected = ql::test::Hex("0C000000 01000600 FF000000 00000000 00000000");
    EXPECT_EQ(std::string(expected.begin(), expected.end()), Fetch(vault, &ping).body);

    std::string plan =
        R"([{"method": "PerfTest", "drip": {"chunk_bytes": 100, "interval_ms": 1}}])";
    ASSERT_EQ(200, Fetch(base + "/control/plan", &plan).status);
    // Enough data that curl asks for 100 Continue first.
    std::u16string data(4000, u'd');
    std::string perf = test::CallBody("", test::kPersist, "PerfTest", [&](CBinarySerializer& out) {
        out.WriteWideString(data.c_str());
        out.WriteScalar(wire::kTagInt, INT{1000});
    });
    auto start = std::chrono::steady_clock::now();
    Exchange dripped = Fetch(vault, &perf, true);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
        << "no 100 Continue";
    EXPECT_EQ(200, dripped.status);
    EXPECT_NE(std::string::npos, dripped.headers.find("Transfer-Encoding: chunked"));
    test::ReplyReader reader(dripped.body);
    EXPECT_EQ(S_OK, reader.Result());
    EXPECT_EQ(std::string(1000, 'x'), ReadUtf8String(reader.In()));
    EXPECT_TRUE(reader.AtEnd());

    Exchange stats = Fetch(base + "/control/stats", nullptr);
    ASSERT_EQ(200, stats.status);
    auto json = nlohmann::json::parse(stats.body);
    EXPECT_EQ(2, json["requests"]);
    EXPECT_EQ(4, json["connections"]);  // one per Fetch, the control ones included

    EXPECT_EQ(0, server.Stop());
}

}  // namespace
}  // namespace ql::vault
