// The thread pool's contract, the same on every platform. No assertion
// depends on how fast anything runs: waits are for events, bounded only by a
// generous patience that a working pool never comes near.
#include "support/sync/thread_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "eventually.h"
#include "trace_recorder.h"

namespace ql {
namespace {

constexpr DWORD kNoIdleSlot = 1;
constexpr DWORD kInvalidHandle = 6;
constexpr DWORD kInvalidParameter = 87;
constexpr DWORD kPossibleDeadlock = 1131;
using test::Eventually;
using test::kPatience;

// Work items wait here until the test opens the gate; the test can wait until
// a number of them arrived.
class Gate {
public:
    void Arrive() {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_arrived;
        m_changed.notify_all();
    }
    void WaitUntilOpen() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_open; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    bool WaitForArrivals(int count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, [&] { return m_arrived >= count; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_arrived = 0;
    bool m_open = false;
};

DWORD WaitAtGate(LPVOID argument, HANDLE /*quitEvent*/) {
    auto* gate = static_cast<Gate*>(argument);
    gate->Arrive();
    gate->WaitUntilOpen();
    return 0;
}

// Closes the pool at the end of the test, whatever it asserted.
class PoolOwner {
public:
    PoolOwner(DWORD slots, DWORD idleExpiryMs, DWORD stopTimeoutMs) {
        m_result = TqlCreateThreadPool(&m_pool, slots, idleExpiryMs, stopTimeoutMs);
    }
    ~PoolOwner() {
        if (m_pool != nullptr) TqlCloseThread(m_pool, FALSE);
    }
    PoolOwner(const PoolOwner&) = delete;
    PoolOwner& operator=(const PoolOwner&) = delete;
    DWORD Result() const { return m_result; }
    HANDLE Get() const { return m_pool; }
    DWORD Close() { return TqlCloseThread(std::exchange(m_pool, nullptr), FALSE); }

private:
    HANDLE m_pool = nullptr;
    DWORD m_result;
};

TEST(ThreadPool, CreationRejectsArgumentsOutOfRange) {
    HANDLE pool = nullptr;
    EXPECT_EQ(TqlCreateThreadPool(nullptr, 1, kTqlPoolNoIdleExpiry, 1000), kInvalidParameter);
    EXPECT_EQ(TqlCreateThreadPool(&pool, 0, kTqlPoolNoIdleExpiry, 1000), kInvalidParameter);
    EXPECT_EQ(TqlCreateThreadPool(&pool, 65, kTqlPoolNoIdleExpiry, 1000), kInvalidParameter);
    EXPECT_EQ(TqlCreateThreadPool(&pool, 4, 9999, 1000), kInvalidParameter);
    EXPECT_EQ(TqlCreateThreadPool(&pool, 4, 0, 1000), kInvalidParameter);
    EXPECT_EQ(pool, nullptr);

    for (DWORD slots : {1u, 64u}) {
        for (DWORD expiry : {kTqlPoolMinIdleExpiryMs, kTqlPoolNoIdleExpiry}) {
            ASSERT_EQ(TqlCreateThreadPool(&pool, slots, expiry, 0), 0u);
            ASSERT_NE(pool, nullptr);
            // A fresh pool has every slot idle.
            EXPECT_EQ(TqlWaitThreadPool(pool, TRUE, 0), 0u);
            EXPECT_EQ(TqlCloseThread(pool, FALSE), 0u);
        }
    }
}

TEST(ThreadPool, DispatchRejectsBadArguments) {
    PoolOwner pool(1, kTqlPoolNoIdleExpiry, 1000);
    ASSERT_EQ(pool.Result(), 0u);
    Gate gate;
    EXPECT_EQ(TqlRunInPool(pool.Get(), nullptr, &gate, 0, 0, 0), kInvalidParameter);
    EXPECT_EQ(TqlRunInPool(pool.Get(), WaitAtGate, &gate, 0, 1, 0), kInvalidParameter);
    EXPECT_EQ(TqlRunInPool(nullptr, WaitAtGate, &gate, 0, 0, 0), kInvalidHandle);
    // The unused last argument is accepted whatever it is.
    gate.Open();
    EXPECT_EQ(TqlRunInPool(pool.Get(), WaitAtGate, &gate, kTqlInfinite, 0, 10000), 0u);
    EXPECT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, kTqlInfinite), 0u);
}

TEST(ThreadPool, InvalidHandlesGive6) {
    Gate gate;
    gate.Open();
    // A forged record carrying a pool's tags is still not a pool.
    alignas(8) DWORD forged[16] = {0x0127BDF0, 0xAB67D980, 1};
    std::vector<HANDLE> invalid = {nullptr, reinterpret_cast<HANDLE>(std::uintptr_t{0x10}), forged,
                                   &gate};

    HANDLE closed = nullptr;
    ASSERT_EQ(TqlCreateThreadPool(&closed, 2, kTqlPoolNoIdleExpiry, 1000), 0u);
    ASSERT_EQ(TqlRunInPool(closed, WaitAtGate, &gate, kTqlInfinite, 0, 0), 0u);
    ASSERT_EQ(TqlCloseThread(closed, FALSE), 0u);
    invalid.push_back(closed);

    for (HANDLE handle : invalid) {
        SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(handle));
        EXPECT_EQ(TqlRunInPool(handle, WaitAtGate, &gate, 0, 0, 0), kInvalidHandle);
        EXPECT_EQ(TqlWaitThreadPool(handle, TRUE, 0), kInvalidHandle);
        EXPECT_EQ(TqlCloseThread(handle, FALSE), kInvalidHandle);
    }
}

struct RunLog {
    std::atomic<int> runs{0};
    std::atomic<int> withQuitEvent{0};
};

DWORD CountRun(LPVOID argument, HANDLE quitEvent) {
    auto* log = static_cast<RunLog*>(argument);
    if (quitEvent != nullptr && !TqlWaitForQuit(quitEvent, 0)) ++log->withQuitEvent;
    ++log->runs;
    return 0;
}

TEST(ThreadPool, RunsEveryItemAndWaitsUntilEverySlotIsIdle) {
    PoolOwner pool(4, kTqlPoolNoIdleExpiry, 1000);
    ASSERT_EQ(pool.Result(), 0u);
    RunLog log;
    for (int item = 0; item < 16; ++item)
        ASSERT_EQ(TqlRunInPool(pool.Get(), CountRun, &log, kTqlInfinite, 0, 0), 0u);
    ASSERT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, kTqlInfinite), 0u);
    EXPECT_EQ(log.runs.load(), 16);
    // Every item saw its thread's quit event, not yet signalled.
    EXPECT_EQ(log.withQuitEvent.load(), 16);
    EXPECT_EQ(pool.Close(), 0u);
}

TEST(ThreadPool, BusySingleSlotRefusesADispatchWithoutTimeOut) {
    PoolOwner pool(1, kTqlPoolNoIdleExpiry, 30000);
    ASSERT_EQ(pool.Result(), 0u);
    Gate gate;
    ASSERT_EQ(TqlRunInPool(pool.Get(), WaitAtGate, &gate, kTqlInfinite, 0, 0), 0u);
    ASSERT_TRUE(gate.WaitForArrivals(1));

    RunLog log;
    EXPECT_EQ(TqlRunInPool(pool.Get(), CountRun, &log, 0, 0, 0), kNoIdleSlot);
    EXPECT_EQ(TqlWaitThreadPool(pool.Get(), FALSE, 0), 1u);
    EXPECT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, 0), 1u);

    gate.Open();
    ASSERT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, kTqlInfinite), 0u);
    // The refused item never ran; once idle the slot takes work at once.
    EXPECT_EQ(log.runs.load(), 0);
    EXPECT_EQ(TqlRunInPool(pool.Get(), CountRun, &log, 0, 0, 0), 0u);
    ASSERT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, kTqlInfinite), 0u);
    EXPECT_EQ(log.runs.load(), 1);
}

TEST(ThreadPool, WaitsForOneOrForEveryIdleSlot) {
    PoolOwner pool(2, kTqlPoolNoIdleExpiry, 30000);
    ASSERT_EQ(pool.Result(), 0u);
    Gate first;
    Gate second;
    ASSERT_EQ(TqlRunInPool(pool.Get(), WaitAtGate, &first, kTqlInfinite, 0, 0), 0u);
    ASSERT_TRUE(first.WaitForArrivals(1));
    EXPECT_EQ(TqlWaitThreadPool(pool.Get(), FALSE, 0), 0u);
    EXPECT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, 0), 1u);

    ASSERT_EQ(TqlRunInPool(pool.Get(), WaitAtGate, &second, kTqlInfinite, 0, 0), 0u);
    ASSERT_TRUE(second.WaitForArrivals(1));
    EXPECT_EQ(TqlWaitThreadPool(pool.Get(), FALSE, 0), 1u);

    second.Open();
    EXPECT_EQ(TqlWaitThreadPool(pool.Get(), FALSE, kTqlInfinite), 0u);
    EXPECT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, 0), 1u);
    first.Open();
    EXPECT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, kTqlInfinite), 0u);
}

struct QuitWatcher {
    Gate started;
    std::atomic<bool> sawQuit{false};
};

DWORD WaitForQuit(LPVOID argument, HANDLE quitEvent) {
    auto* watcher = static_cast<QuitWatcher*>(argument);
    watcher->started.Arrive();
    watcher->sawQuit = TqlWaitForQuit(quitEvent, kTqlInfinite);
    return 0;
}

TEST(ThreadPool, ClosingSignalsTheQuitEventAndWaitsForTheWork) {
    test::TraceRecorder traces;
    // A stop time-out that only a broken quit event could reach.
    PoolOwner pool(2, kTqlPoolNoIdleExpiry, 120000);
    ASSERT_EQ(pool.Result(), 0u);
    QuitWatcher watchers[2];
    for (QuitWatcher& watcher : watchers) {
        ASSERT_EQ(TqlRunInPool(pool.Get(), WaitForQuit, &watcher, kTqlInfinite, 0, 0), 0u);
        ASSERT_TRUE(watcher.started.WaitForArrivals(1));
    }
    EXPECT_EQ(pool.Close(), 0u);
    for (QuitWatcher& watcher : watchers) EXPECT_TRUE(watcher.sawQuit.load());
    EXPECT_TRUE(traces.Contains("Thread Manager: Waiting for thread 0x"));
    EXPECT_TRUE(traces.Contains("is signalled to quit"));
    EXPECT_FALSE(traces.Contains("hangs, kill it!"));
}

struct SelfClose {
    HANDLE pool = nullptr;
    std::atomic<DWORD> result{0};
};

DWORD CloseOwnPool(LPVOID argument, HANDLE /*quitEvent*/) {
    auto* self = static_cast<SelfClose*>(argument);
    self->result = TqlCloseThread(self->pool, FALSE);
    return 0;
}

TEST(ThreadPool, AWorkItemCannotCloseItsOwnPool) {
    PoolOwner pool(1, kTqlPoolNoIdleExpiry, 30000);
    ASSERT_EQ(pool.Result(), 0u);
    SelfClose self;
    self.pool = pool.Get();
    ASSERT_EQ(TqlRunInPool(pool.Get(), CloseOwnPool, &self, kTqlInfinite, 0, 0), 0u);
    ASSERT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, kTqlInfinite), 0u);
    EXPECT_EQ(self.result.load(), kPossibleDeadlock);
    // The pool is untouched and still closes normally.
    EXPECT_EQ(pool.Close(), 0u);
}

int CountContaining(const test::TraceRecorder& traces, const std::string& a, const std::string& b) {
    int count = 0;
    for (const std::string& text : traces.Texts())
        if (text.find(a) != std::string::npos && text.find(b) != std::string::npos) ++count;
    return count;
}

TEST(ThreadPool, IdleThreadExpiresAndTheNextDispatchRefillsItsSlot) {
    constexpr DWORD kExpiryMs = 50;
    struct ShortExpiry {
        ShortExpiry() : previous(TqlSetMinIdleExpiryForTesting(kExpiryMs)) {}
        ~ShortExpiry() { TqlSetMinIdleExpiryForTesting(previous); }
        DWORD previous;
    } shortExpiry;
    test::TraceRecorder traces;
    PoolOwner pool(1, kExpiryMs, 30000);
    ASSERT_EQ(pool.Result(), 0u);
    RunLog log;
    ASSERT_EQ(TqlRunInPool(pool.Get(), CountRun, &log, kTqlInfinite, 0, 0), 0u);
    ASSERT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, kTqlInfinite), 0u);
    EXPECT_EQ(CountContaining(traces, "Pool thread 0x", " created"), 1);

    const std::string expired = "is expired by timeout (" + std::to_string(kExpiryMs) + " ms)";
    ASSERT_TRUE(Eventually([&] { return traces.Contains(expired); }));

    ASSERT_EQ(TqlRunInPool(pool.Get(), CountRun, &log, kTqlInfinite, 0, 0), 0u);
    ASSERT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, kTqlInfinite), 0u);
    EXPECT_EQ(log.runs.load(), 2);
    EXPECT_EQ(CountContaining(traces, "Pool thread 0x", " created"), 2);
    EXPECT_EQ(pool.Close(), 0u);
}

struct Item {
    int* slot;
    int value;
};

DWORD StoreValue(LPVOID argument, HANDLE /*quitEvent*/) {
    auto* item = static_cast<Item*>(argument);
    *item->slot = item->value;  // plain write: the pool's waits must order it
    return 0;
}

TEST(ThreadPool, ParallelDispatchersShareTheSlots) {
    PoolOwner pool(3, kTqlPoolNoIdleExpiry, 30000);
    ASSERT_EQ(pool.Result(), 0u);
    constexpr int kDispatchers = 4;
    constexpr int kItemsEach = 25;
    std::vector<int> results(kDispatchers * kItemsEach, 0);
    std::vector<Item> items(results.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i] = Item{&results[i], static_cast<int>(i) + 1};
    std::atomic<int> failures{0};
    std::vector<std::thread> dispatchers;
    for (int d = 0; d < kDispatchers; ++d) {
        dispatchers.emplace_back([&, d] {
            for (int i = 0; i < kItemsEach; ++i)
                if (TqlRunInPool(pool.Get(), StoreValue, &items[d * kItemsEach + i], kTqlInfinite,
                                 0, 0) != 0)
                    ++failures;
        });
    }
    for (std::thread& dispatcher : dispatchers) dispatcher.join();
    ASSERT_EQ(TqlWaitThreadPool(pool.Get(), TRUE, kTqlInfinite), 0u);
    EXPECT_EQ(failures.load(), 0);
    for (std::size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ(results[i], static_cast<int>(i) + 1) << i;
}

DWORD Nothing(LPVOID /*argument*/, HANDLE /*quitEvent*/) { return 0; }

TEST(ThreadPool, ClosingWhileOthersDispatchEndsTheirCallsWith6) {
    HANDLE pool = nullptr;
    ASSERT_EQ(TqlCreateThreadPool(&pool, 2, kTqlPoolNoIdleExpiry, 30000), 0u);
    constexpr int kDispatchers = 3;
    std::atomic<int> started{0};
    std::vector<DWORD> lastResults(kDispatchers, 0);
    std::vector<std::thread> dispatchers;
    for (int d = 0; d < kDispatchers; ++d) {
        dispatchers.emplace_back([&, d] {
            ++started;
            DWORD result = 0;
            while (result == 0) {
                result = TqlRunInPool(pool, Nothing, nullptr, kTqlInfinite, 0, 0);
                if (result == 0) result = TqlWaitThreadPool(pool, FALSE, kTqlInfinite);
            }
            lastResults[d] = result;
        });
    }
    ASSERT_TRUE(Eventually([&] { return started.load() == kDispatchers; }));
    EXPECT_EQ(TqlCloseThread(pool, FALSE), 0u);
    for (std::thread& dispatcher : dispatchers) dispatcher.join();
    for (DWORD result : lastResults) EXPECT_EQ(result, kInvalidHandle);
    EXPECT_EQ(TqlCloseThread(pool, FALSE), kInvalidHandle);
}

}  // namespace
}  // namespace ql
