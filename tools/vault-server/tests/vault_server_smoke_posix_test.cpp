// The real vault-server binary on loopback, spoken to with libcurl.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "bytes.h"
#include "call_reader.h"
#include "server_process.h"
#include "vault_app.h"
#include "vault_test_util.h"

namespace ql::vault {
namespace {

struct Exchange {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
    std::string headers;
};

size_t Append(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

struct FetchOptions {
    const char* userPassword = nullptr;  // Basic credentials
    bool expectContinue = false;         // let curl wait for 100 Continue
};

// One request; post null means GET. HTTPS certificates are not checked.
Exchange Fetch(const std::string& url, const std::string* post, FetchOptions options = {}) {
    Exchange exchange;
    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: HttpVault");
    if (!options.expectContinue) headers = curl_slist_append(headers, "Expect:");
    // Long enough that a server which never answers 100 shows in the time.
    curl_easy_setopt(curl, CURLOPT_EXPECT_100_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    if (options.userPassword != nullptr) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(curl, CURLOPT_USERPWD, options.userPassword);
    }
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
    exchange.code = curl_easy_perform(curl);
    if (exchange.code == CURLE_OK) {
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

// A self-signed certificate made with the openssl command, in a directory
// of its own.
class Certificate {
public:
    Certificate() {
        char pattern[] = "/tmp/vault-server-test-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        m_dir = pattern;
        std::string command =
            "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
            " -keyout " +
            Key() + " -out " + Cert() + " >/dev/null 2>&1";
        m_made = std::system(command.c_str()) == 0;
    }
    ~Certificate() {
        if (m_dir.empty()) return;
        std::remove(Key().c_str());
        std::remove(Cert().c_str());
        rmdir(m_dir.c_str());
    }
    bool Made() const { return m_made; }
    std::string Key() const { return m_dir + "/key.pem"; }
    std::string Cert() const { return m_dir + "/cert.pem"; }

private:
    std::string m_dir;
    bool m_made = false;
};

std::string PerfTestBody(int dataChars, int replyChars) {
    std::u16string data(static_cast<std::size_t>(dataChars), u'd');
    return test::CallBody("", test::kPersist, "PerfTest", [&](CBinarySerializer& out) {
        out.WriteWideString(data.c_str());
        out.WriteScalar(wire::kTagInt, INT{replyChars});
    });
}

TEST(VaultServerSmokeTest, HttpsWithBasicAuthExpectContinueAndADrippedReply) {
    Certificate certificate;
    ASSERT_TRUE(certificate.Made());
    test::ServerProcess server(
        QL_VAULT_SERVER_EXE,
        {"--cert", certificate.Cert(), "--key", certificate.Key(), "--user", "DOM\\alice:secret"});
    ASSERT_TRUE(server.Ready()) << server.ReadyLine();
    ASSERT_NE(0u, server.HttpsPort());
    std::string base = "https://127.0.0.1:" + std::to_string(server.HttpsPort());
    std::string vault = base + std::string(kVaultTarget);
    FetchOptions alice{"DOM\\alice:secret", true};

    std::string ping = test::CallBody("", test::kPersist, "Ping");
    Exchange refused = Fetch(vault, &ping);
    EXPECT_EQ(401, refused.status);
    EXPECT_NE(std::string::npos, refused.headers.find("WWW-Authenticate: Basic realm=\"vault\""));

    std::string plan =
        R"([{"method": "PerfTest", "drip": {"chunk_bytes": 100, "interval_ms": 1}}])";
    ASSERT_EQ(200, Fetch(base + "/control/plan", &plan).status);

    // Enough data that curl asks for 100 Continue first.
    std::string perf = PerfTestBody(4000, 1000);
    auto start = std::chrono::steady_clock::now();
    Exchange dripped = Fetch(vault, &perf, alice);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(5)) << "no 100 Continue";
    EXPECT_EQ(200, dripped.status);
    EXPECT_NE(std::string::npos, dripped.headers.find("Transfer-Encoding: chunked"));
    test::ReplyReader reader(dripped.body);
    EXPECT_EQ(S_OK, reader.Result());
    EXPECT_EQ(std::string(1000, 'x'), ReadUtf8String(reader.In()));
    EXPECT_TRUE(reader.AtEnd());

    EXPECT_EQ(0, server.Stop());
}

}  // namespace
}  // namespace ql::vault
