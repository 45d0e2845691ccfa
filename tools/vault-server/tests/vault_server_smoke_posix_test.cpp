// The real vault-server binary on loopback: what only its network side does
// (100 Continue, asked for through libcurl; a reset told apart from a short
// body; a paced drip) and a clean exit on SIGTERM.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>

#include "server_process.h"
#include "vault_app.h"
#include "vault_test_util.h"

namespace ql::vault {
namespace {

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

TEST(VaultServerSmokeTest, AnswersExpectContinueAndStopsOnSigterm) {
    test::ServerProcess server(QL_VAULT_SERVER_EXE, {"--threads", "2"});
    ASSERT_TRUE(server.Ready()) << server.ReadyLine();
    EXPECT_EQ(0u, server.HttpsPort());
    std::string url =
        "http://127.0.0.1:" + std::to_string(server.HttpPort()) + std::string(kVaultTarget);
    std::string ping = test::CallBody("", test::kPersist, "Ping");
    CURL* curl = curl_easy_init();
    // curl asks on its own only before bodies of a MiB or more.
    curl_slist* expect = curl_slist_append(nullptr, "Expect: 100-continue");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, expect);
    // Long enough that a server which never answers 100 shows in the time.
    curl_easy_setopt(curl, CURLOPT_EXPECT_100_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, ping.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(ping.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CURLE_OK, curl_easy_perform(curl));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
        << "no 100 Continue";
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    EXPECT_EQ(200, status);
    curl_slist_free_all(expect);

    // The network faults of a plan, as a plain HTTP client sees them.
    const struct {
        const char* step;
        CURLcode result;
        std::chrono::milliseconds least;
    } faults[] = {
        {R"("short_body": true)", CURLE_PARTIAL_FILE, {}},
        {R"("reset_mid_body": true)", CURLE_RECV_ERROR, {}},
        // A reply of at least 16 bytes: two chunks or more, a pause between.
        {R"("drip": {"chunk_bytes": 8, "interval_ms": 40})", CURLE_OK,
         std::chrono::milliseconds(40)},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.step);
        std::string plan = std::string(R"([{"method": "Ping", "times": 1, )") + fault.step + "}]";
        std::string control =
            "http://127.0.0.1:" + std::to_string(server.HttpPort()) + "/control/plan";
        curl_easy_reset(curl);
        curl_easy_setopt(curl, CURLOPT_URL, control.c_str());
        curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, plan.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);
        ASSERT_EQ(CURLE_OK, curl_easy_perform(curl));
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, ping.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(ping.size()));
        start = std::chrono::steady_clock::now();
        EXPECT_EQ(fault.result, curl_easy_perform(curl));
        EXPECT_GE(std::chrono::steady_clock::now() - start, fault.least);
    }
    curl_easy_cleanup(curl);

    EXPECT_EQ(0, server.Stop());
}

}  // namespace
}  // namespace ql::vault
