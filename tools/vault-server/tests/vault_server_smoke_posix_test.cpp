// The real vault-server binary on loopback, spoken to with libcurl.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "bytes.h"
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

// One request; post null means GET.
Exchange Fetch(const std::string& url, const std::string* post) {
    Exchange exchange;
    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: HttpVault");
    headers = curl_slist_append(headers, "Expect:");
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
    if (curl_easy_perform(curl) == CURLE_OK) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &exchange.status);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return exchange;
}

TEST(VaultServerSmokeTest, AnswersAPingOverLoopbackAndStopsOnSigterm) {
    test::ServerProcess server(QL_VAULT_SERVER_EXE, {"--threads", "2"});
    ASSERT_TRUE(server.Ready()) << server.ReadyLine();
    EXPECT_EQ(0u, server.HttpsPort());
    std::string base = "http://127.0.0.1:" + std::to_string(server.HttpPort());

    std::string ping = test::CallBody("", test::kPersist, "Ping");
    Exchange reply = Fetch(base + std::string(kVaultTarget), &ping);
    EXPECT_EQ(200, reply.status);
    EXPECT_NE(std::string::npos, reply.headers.find("HVEH: 200\r\n")) << reply.headers;
    // Stream header, S_OK, status 0.
    ql::test::Bytes expected = ql::test::Hex("0C000000 01000600 FF000000 00000000 00000000");
    EXPECT_EQ(std::string(expected.begin(), expected.end()), reply.body);

    Exchange stats = Fetch(base + "/control/stats", nullptr);
    ASSERT_EQ(200, stats.status);
    auto json = nlohmann::json::parse(stats.body);
    EXPECT_EQ(1, json["requests"]);
    EXPECT_EQ(2, json["connections"]);  // one per Fetch, the control one included

    EXPECT_EQ(0, server.Stop());
}

}  // namespace
}  // namespace ql::vault
