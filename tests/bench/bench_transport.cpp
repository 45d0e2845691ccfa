// The library's calls against a raw libcurl client on the same reference
// server, in one run: Ping calls per second on one kept connection with
// their p50 and p99, and PerfTest with 64 MiB up and 64 MiB down with the
// peak resident memory. Prints figures; never fails on timing.
//
//   bench_transport [seconds per Ping run] [MiB each way]
#include <curl/curl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "repository/perf_test.h"
#include "repository/soap_repository.h"
#include "serialization/binary_serializer.h"
#include "support/base/unique_bstr.h"
#include "transport/curl_bin_transport.h"
#include "vault_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using ql::test::VaultServer;

struct Figures {
    double callsPerSecond = 0;
    double p50Us = 0;
    double p99Us = 0;
};

Figures Summarize(std::vector<double>& latenciesUs, double seconds) {
    Figures figures;
    if (latenciesUs.empty()) return figures;
    std::sort(latenciesUs.begin(), latenciesUs.end());
    figures.callsPerSecond = static_cast<double>(latenciesUs.size()) / seconds;
    figures.p50Us = latenciesUs[latenciesUs.size() / 2];
    figures.p99Us = latenciesUs[latenciesUs.size() * 99 / 100];
    return figures;
}

template <class Call>
Figures Measure(double seconds, Call call) {
    std::vector<double> latencies;
    latencies.reserve(1 << 20);
    for (int i = 0; i < 200; ++i) call();  // warm-up: connection, caches
    auto start = Clock::now();
    auto end = start + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        auto before = Clock::now();
        if (!call()) break;
        latencies.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - before).count());
    }
    return Summarize(latencies, std::chrono::duration<double>(Clock::now() - start).count());
}

size_t Discard(char*, size_t size, size_t count, void* bytes) {
    *static_cast<std::size_t*>(bytes) += size * count;
    return size * count;
}

// A raw client: one easy handle, the protocol's headers, the body as given.
class RawClient {
public:
    explicit RawClient(const std::string& url) : m_easy(curl_easy_init()) {
        m_headers = curl_slist_append(m_headers, "Content-Type: HttpVault");
        m_headers = curl_slist_append(m_headers, "HVVH: 2");
        m_headers = curl_slist_append(m_headers, "Expect:");
        curl_easy_setopt(m_easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_easy, CURLOPT_PROXY, "");
        curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
        curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &Discard);
        curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, &m_received);
    }
    ~RawClient() {
        curl_slist_free_all(m_headers);
        curl_easy_cleanup(m_easy);
    }
    bool Post(const std::string& body) {
        curl_easy_setopt(m_easy, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(m_easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        long status = 0;
        return curl_easy_perform(m_easy) == CURLE_OK &&
               curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
               status == 200;
    }
    std::size_t Received() const { return m_received; }

private:
    CURL* m_easy;
    curl_slist* m_headers = nullptr;
    std::size_t m_received = 0;
};

// The body the library sends for an IHttpPersist call, built with its own
// serializer so both clients send the same bytes.
template <class WriteArguments>
std::string PersistBody(LPCWSTR method, WriteArguments write) {
    ql::CReadWriteBinaryStream stream;
    ql::CBinarySerializer out;
    out.SetHeader(255, 0x00060001);
    out.Attach(&stream);
    const GUID null{};
    out.WriteBstr(nullptr);
    out.WriteGuid(null);
    out.WriteGuid(ql::IID_IHttpPersist);
    out.WriteWideString(method);
    write(out);
    return std::string(reinterpret_cast<const char*>(stream.GetBuffer()), stream.GetLength());
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const long mib = argc > 2 ? std::atol(argv[2]) : 64;
    VaultServer server;
    std::string why;
    if (!server.Start(VaultServer::Options{}, why)) {
        std::fprintf(stderr, "vault-server: %s\n", why.c_str());
        return 1;
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(server.HttpPort()) +
                            "/ZelNQVault/NqHttpVault.dll?Handler=HttpVault";
    const std::string pingBody = PersistBody(OLESTR("Ping"), [](ql::CBinarySerializer&) {});

    RawClient raw(url);
    Figures rawPing = Measure(seconds, [&] { return raw.Post(pingBody); });

    auto transport = std::make_unique<ql::CCurlBinTransport>(ql::SharedMemMgr());
    ql::CCurlBinTransport* curl = transport.get();
    ql::CSoapRepository* repository =
        ql::CSoapRepository::Create(std::move(transport), OLESTR("libcurl"), nullptr);
    ql::CUniqueBstr host(SysAllocString(OLESTR("127.0.0.1")));
    repository->Initialize(3, host.Get(), 0, static_cast<USHORT>(server.HttpPort()), nullptr, 0,
                           nullptr, nullptr);
    Figures libraryPing = Measure(seconds, [&] {
        ULONG status = 0;
        return repository->Ping(&status) == S_OK;
    });
    std::printf("Ping, one kept connection (%.0f s each)\n", seconds);
    std::printf("  raw libcurl  %9.0f calls/s  p50 %6.1f us  p99 %6.1f us\n",
                rawPing.callsPerSecond, rawPing.p50Us, rawPing.p99Us);
    std::printf("  library      %9.0f calls/s  p50 %6.1f us  p99 %6.1f us  (%.2fx raw)\n",
                libraryPing.callsPerSecond, libraryPing.p50Us, libraryPing.p99Us,
                libraryPing.callsPerSecond / rawPing.callsPerSecond);

    // PerfTest: the data string up, a reply string of the same size down.
    const INT chars = static_cast<INT>(mib * 1024 * 1024 / 2);
    const long rssBefore = PeakRssKb();
    {
        const std::string perfBody =
            PersistBody(OLESTR("PerfTest"), [&](ql::CBinarySerializer& out) {
                ql::CUniqueBstr text(SysAllocStringLen(nullptr, static_cast<UINT>(chars)));
                std::fill(text.Get(), text.Get() + chars, static_cast<OLECHAR>('d'));
                out.WriteBstr(text.Get());
                out.WriteScalar(ql::wire::kTagInt, chars);
            });
        auto start = Clock::now();
        bool ok = raw.Post(perfBody);
        double rawSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("PerfTest %ld MiB up, %ld MiB down\n", mib, mib);
        std::printf("  raw libcurl  %s %.3f s\n", ok ? "ok  " : "FAIL", rawSeconds);
    }
    const long rssRaw = PeakRssKb();
    {
        ql::CUniqueBstr data(SysAllocStringLen(nullptr, static_cast<UINT>(chars)));
        std::fill(data.Get(), data.Get() + chars, static_cast<OLECHAR>('d'));
        ql::CUniqueBstr reply;
        auto start = Clock::now();
        HRESULT result = ql::PerfTest(*curl, data.Get(), chars, reply.Address());
        double librarySeconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("  library      %s %.3f s  (reply %u chars)\n",
                    result == S_OK ? "ok  " : "FAIL", librarySeconds, SysStringLen(reply.Get()));
    }
    const long rssLibrary = PeakRssKb();
    const double payloadMiB = static_cast<double>(mib);
    std::printf(
        "  peak RSS: before %.0f MiB, raw run %.0f MiB, library run %.0f MiB "
        "(%.2fx the %ld MiB payload)\n",
        rssBefore / 1024.0, rssRaw / 1024.0, rssLibrary / 1024.0,
        (rssLibrary - rssBefore) / 1024.0 / payloadMiB, mib);
    repository->Release();
    return 0;
}
