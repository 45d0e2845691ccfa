// Each check that a holder keeps someone out asks with a time-out of 0 from a
// thread that holds nothing: the answer follows from the lock's state alone,
// not from how fast the threads run.
#include "support/sync/shared_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/base/wide_string.h"

namespace ql {
namespace {

constexpr DWORD kTimeout = 1460;
constexpr DWORD kNotOwner = 288;
constexpr auto kPatience = std::chrono::seconds(120);

// Runs a call on a fresh thread and returns its result.
template <class Call>
DWORD OnOtherThread(Call call) {
    DWORD result = 0xFFFFFFFF;
    std::thread other([&] { result = call(); });
    other.join();
    return result;
}

// A thread that runs the steps it is given, one at a time, in order.
class Actor {
public:
    Actor() : m_thread([this] { Run(); }) {}
    ~Actor() {
        Do([this] {
            m_stop = true;
            return DWORD{0};
        });
        m_thread.join();
    }
    Actor(const Actor&) = delete;
    Actor& operator=(const Actor&) = delete;

    // Runs step on the actor's thread and waits for its result.
    template <class Step>
    DWORD Do(Step step) {
        Start(step);
        return Result();
    }
    // Hands step over without waiting.
    template <class Step>
    void Start(Step step) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_step = step;
        m_done = false;
        m_changed.notify_all();
    }
    DWORD Result() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, kPatience, [this] { return m_done; });
        return m_done ? m_result : 0xFFFFFFFF;
    }
    bool Done() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_done;
    }

private:
    void Run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            m_changed.wait(lock, [this] { return static_cast<bool>(m_step); });
            std::function<DWORD()> step = std::move(m_step);
            m_step = nullptr;
            lock.unlock();
            DWORD result = step();
            lock.lock();
            m_result = result;
            m_done = true;
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<DWORD()> m_step;
    DWORD m_result = 0;
    bool m_done = true;
    bool m_stop = false;
    std::thread m_thread;
};

TEST(SharedLock, TwoReadersHoldItAtOnceAndAWriterWaitsForBoth) {
    CTqlSharedLock lock;
    ASSERT_EQ(lock.CreateError(), 0u);
    Actor reader1, reader2, writer;
    ASSERT_EQ(reader1.Do([&] { return lock.AcquireShared(kTqlInfinite); }), 0u);
    // The second reader gets in at once although the first still holds it.
    ASSERT_EQ(reader2.Do([&] { return lock.AcquireShared(0); }), 0u);
    EXPECT_EQ(OnOtherThread([&] { return lock.AcquireExclusive(0); }), kTimeout);

    writer.Start([&] { return lock.AcquireExclusive(kTqlInfinite); });
    ASSERT_EQ(reader1.Do([&] { return lock.ReleaseShared(kTqlInfinite); }), 0u);
    EXPECT_FALSE(writer.Done()) << "the writer got in while a reader held the lock";
    EXPECT_EQ(OnOtherThread([&] { return lock.AcquireExclusive(0); }), kTimeout);
    ASSERT_EQ(reader2.Do([&] { return lock.ReleaseShared(kTqlInfinite); }), 0u);
    ASSERT_EQ(writer.Result(), 0u);

    // The writer keeps new readers and writers out until it releases.
    const DWORD owner = lock.ExclusiveOwner();
    EXPECT_NE(owner, 0u);
    EXPECT_EQ(writer.Do([&] { return lock.ExclusiveOwner(); }), owner);
    EXPECT_EQ(OnOtherThread([&] { return lock.AcquireShared(0); }), kTimeout);
    EXPECT_EQ(OnOtherThread([&] { return lock.AcquireExclusive(0); }), kTimeout);
    EXPECT_EQ(writer.Do([&] { return lock.ReleaseExclusive(); }), 0u);
    EXPECT_EQ(lock.ExclusiveOwner(), 0u);
    EXPECT_EQ(OnOtherThread([&] {
                  DWORD acquired = lock.AcquireShared(0);
                  return acquired == 0 ? lock.ReleaseShared(0) : acquired;
              }),
              0u);
}

TEST(SharedLock, TheWriterMayAcquireAgainAndMustReleaseAsOften) {
    CTqlSharedLock lock;
    ASSERT_EQ(lock.AcquireExclusive(0), 0u);
    ASSERT_EQ(lock.AcquireExclusive(0), 0u);
    ASSERT_EQ(lock.AcquireShared(0), 0u);  // the writer reads too
    ASSERT_EQ(lock.ReleaseShared(0), 0u);
    EXPECT_EQ(lock.ReleaseExclusive(), 0u);
    EXPECT_EQ(OnOtherThread([&] { return lock.AcquireShared(0); }), kTimeout);
    EXPECT_EQ(lock.ReleaseExclusive(), 0u);
    EXPECT_EQ(lock.ExclusiveOwner(), 0u);
    EXPECT_EQ(OnOtherThread([&] { return lock.AcquireExclusive(0); }), 0u);
}

TEST(SharedLock, UnbalancedReleasesFailWithoutWaiting) {
    CTqlSharedLock lock;
    EXPECT_EQ(lock.ReleaseShared(kTqlInfinite), kNotOwner);
    EXPECT_EQ(lock.ReleaseExclusive(), kNotOwner);
    ASSERT_EQ(lock.AcquireExclusive(0), 0u);
    EXPECT_EQ(OnOtherThread([&] { return lock.ReleaseExclusive(); }), kNotOwner);
    EXPECT_EQ(lock.ReleaseExclusive(), 0u);
    // A reader may count itself out from another thread.
    ASSERT_EQ(lock.AcquireShared(0), 0u);
    EXPECT_EQ(OnOtherThread([&] { return lock.ReleaseShared(0); }), 0u);
    EXPECT_EQ(lock.AcquireExclusive(0), 0u);
    EXPECT_EQ(lock.ReleaseExclusive(), 0u);
}

TEST(SharedLock, LocksOfOneNameAreOneLock) {
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    WString name = WidenAscii("QuillonTest_SharedLock_" + std::to_string(stamp));
    CTqlSharedLock first(name.c_str());
    CTqlSharedLock second(name.c_str());
    CTqlSharedLock other(WidenAscii("QuillonTest_OtherLock_" + std::to_string(stamp)).c_str());
    ASSERT_EQ(first.CreateError(), 0u);
    ASSERT_EQ(second.CreateError(), 0u);
    ASSERT_EQ(first.AcquireShared(0), 0u);
    EXPECT_EQ(OnOtherThread([&] { return second.AcquireExclusive(0); }), kTimeout);
    EXPECT_EQ(OnOtherThread([&] {
                  DWORD acquired = other.AcquireExclusive(0);
                  return acquired == 0 ? other.ReleaseExclusive() : acquired;
              }),
              0u);
    ASSERT_EQ(second.ReleaseShared(0), 0u);  // the reader counted in through first
    EXPECT_EQ(OnOtherThread([&] {
                  DWORD acquired = second.AcquireExclusive(0);
                  return acquired == 0 ? second.ReleaseExclusive() : acquired;
              }),
              0u);
}

TEST(SharedLock, GuardsReleaseWhatTheyAcquired) {
    CTqlSharedLock lock;
    {
        CTqlSharedGuard reading(lock, 0);
        ASSERT_EQ(reading.Result(), 0u);
        CTqlSharedGuard alsoReading(lock, 0);
        ASSERT_EQ(alsoReading.Result(), 0u);
        EXPECT_EQ(OnOtherThread([&] { return lock.AcquireExclusive(0); }), kTimeout);
    }
    {
        CTqlExclusiveGuard writing(lock, 0);
        ASSERT_EQ(writing.Result(), 0u);
        EXPECT_EQ(OnOtherThread([&] {
                      CTqlSharedGuard refused(lock, 0);
                      return refused.Result();
                  }),
                  kTimeout);
    }
    EXPECT_EQ(lock.ExclusiveOwner(), 0u);
    EXPECT_EQ(lock.ReleaseShared(0), kNotOwner);  // no reader left behind
}

// Under ThreadSanitizer this also checks that the lock orders the plain
// reads and writes it protects.
TEST(SharedLock, WritersExcludeEveryoneAndReadersExcludeWriters) {
    CTqlSharedLock lock;
    long long value = 0;         // plain: only the lock orders its accesses
    std::atomic<int> inside{0};  // writers count -1000, readers +1
    std::atomic<int> violations{0};
    constexpr int kRounds = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                if ((round + t) % 3 == 0) {
                    CTqlExclusiveGuard writing(lock, kTqlInfinite);
                    if (writing.Result() != 0 || inside.fetch_sub(1000) != 0) ++violations;
                    ++value;
                    inside.fetch_add(1000);
                } else {
                    CTqlSharedGuard reading(lock, kTqlInfinite);
                    if (reading.Result() != 0 || inside.fetch_add(1) < 0) ++violations;
                    volatile long long seen = value;
                    static_cast<void>(seen);
                    inside.fetch_sub(1);
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(violations.load(), 0);
    int writes = 0;
    for (int t = 0; t < 4; ++t)
        for (int round = 0; round < kRounds; ++round) writes += (round + t) % 3 == 0;
    EXPECT_EQ(value, writes);
}

}  // namespace
}  // namespace ql
