// Keep-alive small requests per second against a vault-server on loopback,
// through one reused libcurl handle per client thread. Prints the figure;
// never fails on timing.
// Usage: bench_vault_server [seconds] [clients] [server threads]
#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "server_process.h"
#include "vault_app.h"
#include "vault_test_util.h"

namespace {

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

// Pings until stop; returns the number of answered requests.
long Client(const std::string& url, const std::string& body, const std::atomic<bool>& stop) {
    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: HttpVault");
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);
    long done = 0;
    while (!stop.load(std::memory_order_relaxed)) {
        long status = 0;
        if (curl_easy_perform(curl) != CURLE_OK) break;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        if (status != 200) break;
        ++done;
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    int clients = argc > 2 ? std::atoi(argv[2]) : 1;
    std::string serverThreads = argc > 3 ? argv[3] : "2";
    curl_global_init(CURL_GLOBAL_DEFAULT);
    ql::vault::test::ServerProcess server(QL_VAULT_SERVER_EXE, {"--threads", serverThreads});
    if (!server.Ready()) {
        std::fprintf(stderr, "vault-server did not start: %s\n", server.ReadyLine().c_str());
        return 1;
    }
    std::string url = "http://127.0.0.1:" + std::to_string(server.HttpPort()) +
                      std::string(ql::vault::kVaultTarget);
    std::string body = ql::vault::test::CallBody("", ql::vault::test::kPersist, "Ping");
    std::atomic<bool> stop{false};
    std::vector<long> counts(static_cast<std::size_t>(clients));
    std::vector<std::thread> threads;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back(
            [&, i] { counts[static_cast<std::size_t>(i)] = Client(url, body, stop); });
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (std::thread& thread : threads) thread.join();
    double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long total = 0;
    for (long count : counts) total += count;
    std::printf(
        "keep-alive Ping: %ld requests in %.2f s, %d client(s), %s server thread(s): "
        "%.0f requests/s\n",
        total, elapsed, clients, serverThreads.c_str(), total / elapsed);
    server.Stop();
    curl_global_cleanup();
    return 0;
}
