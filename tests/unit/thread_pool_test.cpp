// The thread pool's contract, the same on every platform. No assertion
// depends on how fast anything runs: waits are for events, bounded only by a
// generous patience that a working pool never comes near.
#include "support/sync/thread_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <future>
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

// A work item that waits until the test opens its gate; the test can wait
// until it arrived. Each gate serves one work item.
struct Gate {
    std::promise<void> arrival;
    std::promise<void> opener;
    std::shared_future<void> open = opener.get_future().share();
    bool Arrived() { return arrival.get_future().wait_for(kPatience) == std::future_status::ready; }
    void Open() { opener.set_value(); }
};

DWORD WaitAtGate(LPVOID argument, HANDLE /*quitEvent*/) {
    auto* gate = static_cast<Gate*>(argument);
    gate->arrival.set_value();
    gate->open.wait();
    return 0;
}

DWORD CountRun(LPVOID argument, HANDLE /*quitEvent*/) {
    ++*static_cast<std::atomic<int>*>(argument);
    return 0;
}

// Creates a pool and closes it at the end of the test, whatever it asserted.
class PoolOwner {
public:
    explicit PoolOwner(DWORD slots, DWORD stopTimeoutMs = 30000,
                       DWORD idleExpiryMs = kTqlPoolNoIdleExpiry) {
        EXPECT_EQ(TqlCreateThreadPool(&m_pool, slots, idleExpiryMs, stopTimeoutMs), 0u);
    }
    ~PoolOwner() {
        if (m_pool != nullptr) TqlCloseThread(m_pool, FALSE);
    }
    PoolOwner(const PoolOwner&) = delete;
    PoolOwner& operator=(const PoolOwner&) = delete;
    HANDLE Get() const { return m_pool; }
    DWORD Run(TqlThreadWorkFn work, LPVOID argument, DWORD slotTimeoutMs = kTqlInfinite) {
        return TqlRunInPool(m_pool, work, argument, slotTimeoutMs, 0, 0);
    }
    DWORD Wait(BOOL waitAll, DWORD timeoutMs = kTqlInfinite) {
        return TqlWaitThreadPool(m_pool, waitAll, timeoutMs);
    }
    DWORD Close() { return TqlCloseThread(std::exchange(m_pool, nullptr), FALSE); }

private:
    HANDLE m_pool = nullptr;
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
            // A fresh pool has every slot idle.
            EXPECT_EQ(TqlWaitThreadPool(pool, TRUE, 0), 0u);
            EXPECT_EQ(TqlCloseThread(pool, FALSE), 0u);
        }
    }
}

struct SelfClose {
    HANDLE pool;
    DWORD result;  // the pool's wait orders the access
};

DWORD CloseOwnPool(LPVOID argument, HANDLE /*quitEvent*/) {
    auto* self = static_cast<SelfClose*>(argument);
    self->result = TqlCloseThread(self->pool, FALSE);
    return 0;
}

TEST(ThreadPool, BadDispatchesAndClosingFromAWorkItemAreRefused) {
    PoolOwner pool(1);
    SelfClose self{pool.Get(), 0};
    EXPECT_EQ(TqlRunInPool(pool.Get(), nullptr, &self, 0, 0, 0), kInvalidParameter);
    EXPECT_EQ(TqlRunInPool(pool.Get(), CloseOwnPool, &self, 0, 1, 0), kInvalidParameter);
    // The unused last argument is accepted whatever it is.
    EXPECT_EQ(TqlRunInPool(pool.Get(), CloseOwnPool, &self, kTqlInfinite, 0, 10000), 0u);
    ASSERT_EQ(pool.Wait(TRUE), 0u);
    // A work item cannot close its own pool, which still closes normally.
    EXPECT_EQ(self.result, kPossibleDeadlock);
    EXPECT_EQ(pool.Close(), 0u);
}

TEST(ThreadPool, InvalidHandlesGive6) {
    std::atomic<int> runs{0};
    // A forged record carrying a pool's tags is still not a pool.
    alignas(8) DWORD forged[16] = {0x0127BDF0, 0xAB67D980, 1};
    alignas(8) DWORD other[16] = {};
    HANDLE closed = nullptr;
    ASSERT_EQ(TqlCreateThreadPool(&closed, 2, kTqlPoolNoIdleExpiry, 1000), 0u);
    ASSERT_EQ(TqlRunInPool(closed, CountRun, &runs, kTqlInfinite, 0, 0), 0u);
    ASSERT_EQ(TqlCloseThread(closed, FALSE), 0u);

    for (HANDLE handle : {HANDLE{}, reinterpret_cast<HANDLE>(std::uintptr_t{0x10}), HANDLE{forged},
                          HANDLE{other}, closed}) {
        SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(handle));
        EXPECT_EQ(TqlRunInPool(handle, CountRun, &runs, 0, 0, 0), kInvalidHandle);
        EXPECT_EQ(TqlWaitThreadPool(handle, TRUE, 0), kInvalidHandle);
        EXPECT_EQ(TqlCloseThread(handle, FALSE), kInvalidHandle);
    }
}

TEST(ThreadPool, BusySlotsRefuseADispatchAndWaitsSeeOneOrEveryIdleSlot) {
    PoolOwner pool(2);
    Gate first;
    Gate second;
    ASSERT_EQ(pool.Run(WaitAtGate, &first), 0u);
    ASSERT_TRUE(first.Arrived());
    EXPECT_EQ(pool.Wait(FALSE, 0), 0u);
    EXPECT_EQ(pool.Wait(TRUE, 0), 1u);

    ASSERT_EQ(pool.Run(WaitAtGate, &second), 0u);
    ASSERT_TRUE(second.Arrived());
    std::atomic<int> runs{0};
    EXPECT_EQ(pool.Run(CountRun, &runs, 0), kNoIdleSlot);
    EXPECT_EQ(pool.Wait(FALSE, 0), 1u);

    second.Open();
    EXPECT_EQ(pool.Wait(FALSE), 0u);
    first.Open();
    EXPECT_EQ(pool.Wait(TRUE), 0u);
    // The refused item never ran; once idle a slot takes work at once.
    EXPECT_EQ(runs.load(), 0);
    EXPECT_EQ(pool.Run(CountRun, &runs, 0), 0u);
    ASSERT_EQ(pool.Wait(TRUE), 0u);
    EXPECT_EQ(runs.load(), 1);
}

struct QuitWatcher {
    Gate started;
    std::atomic<bool> sawQuit{false};
};

DWORD WaitForQuit(LPVOID argument, HANDLE quitEvent) {
    auto* watcher = static_cast<QuitWatcher*>(argument);
    watcher->started.arrival.set_value();
    watcher->sawQuit = TqlWaitForQuit(quitEvent, kTqlInfinite);
    return 0;
}

TEST(ThreadPool, ClosingSignalsTheQuitEventAndWaitsForTheWork) {
    test::TraceRecorder traces;
    // A stop time-out that only a broken quit event could reach.
    PoolOwner pool(2, 120000);
    QuitWatcher watchers[2];
    for (QuitWatcher& watcher : watchers) {
        ASSERT_EQ(pool.Run(WaitForQuit, &watcher), 0u);
        ASSERT_TRUE(watcher.started.Arrived());
    }
    EXPECT_EQ(pool.Close(), 0u);
    for (QuitWatcher& watcher : watchers) EXPECT_TRUE(watcher.sawQuit.load());
    EXPECT_TRUE(traces.Contains("Thread Manager: Waiting for thread 0x"));
    EXPECT_TRUE(traces.Contains("is signalled to quit"));
    EXPECT_FALSE(traces.Contains("hangs, kill it!"));
}

TEST(ThreadPool, IdleThreadExpiresAndTheNextDispatchRefillsItsSlot) {
    constexpr DWORD kExpiryMs = 50;
    struct ShortExpiry {
        ShortExpiry() : previous(TqlSetMinIdleExpiryForTesting(kExpiryMs)) {}
        ~ShortExpiry() { TqlSetMinIdleExpiryForTesting(previous); }
        DWORD previous;
    } shortExpiry;
    test::TraceRecorder traces;
    auto created = [&traces] {
        int count = 0;
        for (const std::string& text : traces.Texts())
            count += text.find("Pool thread 0x") != std::string::npos &&
                     text.find(" created") != std::string::npos;
        return count;
    };
    PoolOwner pool(1, 30000, kExpiryMs);
    std::atomic<int> runs{0};
    ASSERT_EQ(pool.Run(CountRun, &runs), 0u);
    ASSERT_EQ(pool.Wait(TRUE), 0u);
    EXPECT_EQ(created(), 1);

    const std::string expired = "is expired by timeout (" + std::to_string(kExpiryMs) + " ms)";
    ASSERT_TRUE(Eventually([&] { return traces.Contains(expired); }));

    ASSERT_EQ(pool.Run(CountRun, &runs), 0u);
    ASSERT_EQ(pool.Wait(TRUE), 0u);
    EXPECT_EQ(runs.load(), 2);
    EXPECT_EQ(created(), 2);
    EXPECT_EQ(pool.Close(), 0u);
}

// Turns its slot's value positive when it was given its thread's quit event,
// not yet signalled. A plain read and write: the pool's waits must order them.
DWORD FlipSign(LPVOID argument, HANDLE quitEvent) {
    auto* slot = static_cast<int*>(argument);
    if (quitEvent != nullptr && !TqlWaitForQuit(quitEvent, 0)) *slot = -*slot;
    return 0;
}

TEST(ThreadPool, ParallelDispatchersShareTheSlots) {
    PoolOwner pool(3);
    constexpr int kDispatchers = 4;
    constexpr int kItemsEach = 25;
    std::vector<int> slots(kDispatchers * kItemsEach);
    for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = -static_cast<int>(i) - 1;
    std::atomic<int> failures{0};
    std::vector<std::thread> dispatchers;
    for (int d = 0; d < kDispatchers; ++d) {
        dispatchers.emplace_back([&, d] {
            for (int i = 0; i < kItemsEach; ++i)
                if (pool.Run(FlipSign, &slots[d * kItemsEach + i]) != 0) ++failures;
        });
    }
    for (std::thread& dispatcher : dispatchers) dispatcher.join();
    ASSERT_EQ(pool.Wait(TRUE), 0u);
    EXPECT_EQ(failures.load(), 0);
    // Each item ran exactly once.
    for (std::size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(slots[i], static_cast<int>(i) + 1);
    EXPECT_EQ(pool.Close(), 0u);
}

DWORD Nothing(LPVOID /*argument*/, HANDLE /*quitEvent*/) { return 0; }

TEST(ThreadPool, ClosingWhileOthersDispatchEndsTheirCallsWith6) {
    PoolOwner owner(2);
    const HANDLE pool = owner.Get();
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
    EXPECT_EQ(owner.Close(), 0u);
    for (std::thread& dispatcher : dispatchers) dispatcher.join();
    for (DWORD result : lastResults) EXPECT_EQ(result, kInvalidHandle);
    EXPECT_EQ(TqlCloseThread(pool, FALSE), kInvalidHandle);
}

}  // namespace
}  // namespace ql
