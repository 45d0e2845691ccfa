// Named heaps and the shared heap "TqlRT" behind TqlAlloc / TqlReAlloc /
// TqlFree; and the shared state used by many threads at once.
#include "support/shared_state/named_heap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/base/wide_string.h"
#include "support/shared_state/named_tls.h"
#include "support/shared_state/process_heap.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

bool Filled(const void* block, std::size_t bytes, unsigned char value = 0) {
    const auto* p = static_cast<const unsigned char*>(block);
    return std::all_of(p, p + bytes, [value](unsigned char c) { return c == value; });
}

std::string Hex(const void* address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(TqlTraceAddress(address)));
    return text;
}

TEST(NamedHeap, SharedHeapZeroFillsBlocksAndGrowth) {
    auto* block = static_cast<unsigned char*>(TqlAlloc(100));
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(Filled(block, 100));
    std::memset(block, 0xAB, 100);

    auto* grown = static_cast<unsigned char*>(TqlReAlloc(block, 5000));
    ASSERT_NE(grown, nullptr);
    EXPECT_TRUE(Filled(grown, 100, 0xAB));
    EXPECT_TRUE(Filled(grown + 100, 4900));

    // Shrinking keeps the head; growing again zeroes what was cut off.
    std::memset(grown, 0xCD, 5000);
    auto* shrunk = static_cast<unsigned char*>(TqlReAlloc(grown, 10));
    ASSERT_NE(shrunk, nullptr);
    auto* regrown = static_cast<unsigned char*>(TqlReAlloc(shrunk, 20));
    ASSERT_NE(regrown, nullptr);
    EXPECT_TRUE(Filled(regrown, 10, 0xCD));
    EXPECT_TRUE(Filled(regrown + 10, 10));

    // Impossible sizes fail and leave the block alone.
    const std::size_t huge = std::numeric_limits<std::size_t>::max() / 2;
    EXPECT_EQ(TqlAlloc(huge), nullptr);
    EXPECT_EQ(TqlAlloc(std::numeric_limits<std::size_t>::max()), nullptr);
    EXPECT_EQ(TqlReAlloc(regrown, huge), nullptr);
    EXPECT_TRUE(Filled(regrown, 10, 0xCD));
    EXPECT_EQ(TqlFree(regrown), 0u);

    void* fresh = TqlReAlloc(nullptr, 64);
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(Filled(fresh, 64));
    EXPECT_EQ(TqlFree(fresh), 0u);
    EXPECT_EQ(TqlFree(nullptr), 0u);
}

TEST(NamedHeap, EqualNamesShareOneHeapThatOutlivesItsUsers) {
    test::TraceRecorder traces;
    auto first = std::make_unique<CTqlSingletonProcessHeap>(OLESTR("QlTestHeap-Shared"));
    CTqlSingletonProcessHeap second(OLESTR("QlTestHeap-Shared"));
    CTqlSingletonProcessHeap unrelated(OLESTR("QlTestHeap-Unrelated"));
    HANDLE heap = first->GetHeap();
    ASSERT_NE(heap, nullptr);
    EXPECT_EQ(second.GetHeap(), heap);
    EXPECT_NE(unrelated.GetHeap(), heap);
    EXPECT_NE(unrelated.GetHeap(), nullptr);
    const std::string scope = "CTqlSingletonProcessHeap::CTqlSingletonProcessHeap()- ";
    for (const std::string& text :
         {scope + "pwszHeapName='QlTestHeap-Shared'",
          "Heap " + Hex(heap) + " (name=QlTestHeap-Shared) has been created",
          "Heap " + Hex(heap) + " already exist, do nothing"})
        EXPECT_TRUE(traces.Contains(text)) << text;

    auto* block = static_cast<char*>(first->Alloc(16));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "still here", 11);
    first.reset();
    // The heap goes on serving the other user.
    EXPECT_STREQ(block, "still here");
    auto* grown = static_cast<char*>(second.ReAlloc(block, 4096));
    ASSERT_NE(grown, nullptr);
    EXPECT_STREQ(grown, "still here");
    EXPECT_EQ(second.Free(grown), 0u);
}

TEST(NamedHeap, HeapThatCannotBeSetUpFailsEveryAllocation) {
    test::TraceRecorder traces;
    // A block that already holds the mutex's name makes the set-up fail.
    WString mutex = CTqlSharedMemory::ProcessObjectName(OLESTR("TqlNamedHeap_Mutex_%s_ProcId_0x%X"),
                                                        OLESTR("QlTestHeap-Fail"));
    WString shmem = CTqlSharedMemory::ProcessObjectName(OLESTR("TqlNamedHeap_ShMem_%s_ProcId_0x%X"),
                                                        OLESTR("QlTestHeap-Fail"));
    CTqlSharedMemory squatter;
    ASSERT_EQ(squatter.Create(mutex.c_str(), 4, nullptr), 0u);
    CTqlSingletonProcessHeap heap(OLESTR("QlTestHeap-Fail"));
    EXPECT_EQ(heap.GetHeap(), nullptr);
    EXPECT_FALSE(heap.IsCreated());
    EXPECT_EQ(heap.Alloc(8), nullptr);
    EXPECT_EQ(heap.ReAlloc(nullptr, 8), nullptr);
    void* foreign = TqlAlloc(8);
    EXPECT_EQ(heap.ReAlloc(foreign, 16), nullptr);
    EXPECT_EQ(heap.Free(foreign), 6u);
    EXPECT_EQ(heap.Free(nullptr), 0u);
    EXPECT_EQ(TqlFree(foreign), 0u);
    EXPECT_TRUE(
        traces.Contains("CTqlSingletonProcessHeap::CTqlSingletonProcessHeap()- "
                        "CTqlSharedMemory::Create( shmem=" +
                        ToUtf8(shmem) + ", size=" + std::to_string(sizeof(HANDLE)) +
                        ", mutex=" + ToUtf8(mutex) + " ) failed with err=6 ("));
}

// Many threads at once: each with its own user of one named TLS (as separate
// modules would be) and the shared one, all allocating from the shared heap.
// Returns the number of failures seen.
int RunThreadsOnSharedState(LPCWSTR tlsName, int rounds) {
    constexpr int kThreads = 6;
    CTqlNamedTls shared(tlsName, 2, FALSE);
    std::vector<int> failures(kThreads, shared.IsInitialized() ? 0 : 1);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, tlsName, rounds, &shared, &failures] {
            int& failed = failures[t];
            CTqlNamedTls mine(tlsName, 2, FALSE);
            CTqlSingletonProcessHeap heap(OLESTR("TqlRT"));
            if (!mine.IsInitialized() || heap.GetHeap() != TqlRtHeap().GetHeap()) ++failed;
            std::vector<unsigned char*> blocks;
            for (int round = 0; round < rounds; ++round) {
                auto marker = reinterpret_cast<LPVOID>(
                    static_cast<std::uintptr_t>((t + 1) * 0x10000 + round));
                CTqlNamedTls& writer = round % 2 == 0 ? mine : shared;
                CTqlNamedTls& reader = round % 2 == 0 ? shared : mine;
                LPVOID seen = nullptr;
                if (!writer.SetValue(round % 2, marker, nullptr) ||
                    !reader.GetValue(round % 2, &seen) || seen != marker)
                    ++failed;

                std::size_t bytes = 1 + static_cast<std::size_t>((round * 37 + t * 11) % 700);
                auto* block = static_cast<unsigned char*>(TqlAlloc(bytes));
                if (block == nullptr || !Filled(block, bytes)) ++failed;
                if (block == nullptr) continue;
                std::memset(block, t + 1, bytes);
                auto* grown = static_cast<unsigned char*>(TqlReAlloc(block, bytes * 2));
                if (grown == nullptr || !Filled(grown, bytes, static_cast<unsigned char>(t + 1)) ||
                    !Filled(grown + bytes, bytes))
                    ++failed;
                blocks.push_back(grown != nullptr ? grown : block);
                if (blocks.size() > 16) {
                    // Freed through this thread's own user of the heap.
                    if (heap.Free(blocks.front()) != 0) ++failed;
                    blocks.erase(blocks.begin());
                }
            }
            for (unsigned char* block : blocks)
                if (TqlFree(block) != 0) ++failed;
        });
    }
    for (auto& thread : threads) thread.join();
    int total = 0;
    for (int failed : failures) total += failed;
    return total;
}

// Once quiet, and once with every trace of the shared state on (the tracer
// itself then uses a named TLS from every thread).
TEST(SharedStateConcurrency, ThreadsShareOneNamedTlsAndTheHeap) {
    EXPECT_EQ(RunThreadsOnSharedState(OLESTR("QlTestTls-Concurrent"), 400), 0);
    test::TraceRecorder traces;
    EXPECT_EQ(RunThreadsOnSharedState(OLESTR("QlTestTls-Traced"), 50), 0);
    EXPECT_TRUE(traces.Contains("CTqlNamedTls::GetValue()  end  : this="));
}

}  // namespace
}  // namespace ql::test
