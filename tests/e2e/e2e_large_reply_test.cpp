// Large replies in a process of their own, so that its peak memory is
// theirs: a 64 MiB reply is read with memory bounded by the value itself,
// also when it comes in small chunks without a length.
#include <sys/resource.h>

#include "e2e_support.h"
#include "repository/perf_test.h"
#include "support/base/hresults.h"

namespace ql::test {
namespace {

long PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

TEST(EndToEndLargeReplyTest, BoundedMemory) {
    VaultServer server;
    QL_START(server, VaultServer::Options{});
    Client client;
    client.Initialize("127.0.0.1", server.HttpPort());
    CUniqueBstr reply;

    // 32 Mi characters: a 64 MiB string, sent in 64 KiB writes with its
    // length ...
    constexpr INT kChars = 32 * 1024 * 1024;
    const long start = PeakRssMiB();
    ASSERT_EQ(S_OK, PerfTest(client.Transport(), nullptr, kChars, reply.Address()));
    EXPECT_EQ(static_cast<UINT>(kChars), SysStringLen(reply.Get()));
    EXPECT_EQ(OLECHAR('x'), reply.Get()[kChars - 1]);
    // ... costs the string itself (64 MiB and its sanitizer shadow) and
    // little more: the body is never held whole beside it.
    EXPECT_LT(PeakRssMiB() - start, 100);

    // ... and dripped in chunks of 16 KiB without a length, through the
    // transfer's pauses and resumes.
    reply.Reset();
    server.SetPlan(nlohmann::json::array(
        {{{"method", "PerfTest"}, {"drip", {{"chunk_bytes", 16384}, {"interval_ms", 0}}}}}));
    ASSERT_EQ(S_OK, PerfTest(client.Transport(), nullptr, kChars, reply.Address()));
    EXPECT_EQ(static_cast<UINT>(kChars), SysStringLen(reply.Get()));
}

}  // namespace
}  // namespace ql::test
