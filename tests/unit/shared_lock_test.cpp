// Each check that a holder keeps someone out asks with a time-out of 0 from a
// thread that holds nothing: the answer follows from the lock's state alone,
// not from how fast the threads run.
#include "support/sync/shared_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "eventually.h"
#include "on_other_thread.h"
#include "support/base/wide_string.h"

namespace ql {
namespace {

constexpr DWORD kTimeout = 1460;
constexpr DWORD kNotOwner = 288;

// Whether another thread can take the lock at once; it gives it back at once.
DWORD ExclusiveElsewhere(CTqlSharedLock& lock) {
    return test::OnOtherThread([&] {
        DWORD acquired = lock.AcquireExclusive(0);
        return acquired == 0 ? lock.ReleaseExclusive() : acquired;
    });
}

DWORD SharedElsewhere(CTqlSharedLock& lock) {
    return test::OnOtherThread([&] {
        DWORD acquired = lock.AcquireShared(0);
        return acquired == 0 ? lock.ReleaseShared(0) : acquired;
    });
}

TEST(SharedLock, TwoReadersHoldItAtOnceAndAWriterWaitsForBoth) {
    CTqlSharedLock lock;
    ASSERT_EQ(lock.CreateError(), 0u);
    // Two readers on threads of their own, which end holding it.
    ASSERT_EQ(test::OnOtherThread([&] { return lock.AcquireShared(kTqlInfinite); }), 0u);
    // The second reader gets in at once although the first still holds it.
    ASSERT_EQ(test::OnOtherThread([&] { return lock.AcquireShared(0); }), 0u);
    EXPECT_EQ(ExclusiveElsewhere(lock), kTimeout);

    std::promise<DWORD> entered;
    std::future<DWORD> writerIn = entered.get_future();
    std::promise<void> leave;
    DWORD ownerSeenByWriter = 0;
    DWORD released = 0xFFFFFFFF;
    std::thread writer([&] {
        entered.set_value(lock.AcquireExclusive(kTqlInfinite));
        leave.get_future().wait();
        ownerSeenByWriter = lock.ExclusiveOwner();
        released = lock.ReleaseExclusive();
    });
    // The writer has time to block (or to get in wrongly) before a reader
    // leaves, and again after.
    EXPECT_EQ(writerIn.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout)
        << "the writer got in while two readers held the lock";
    EXPECT_EQ(lock.ReleaseShared(kTqlInfinite), 0u);
    EXPECT_EQ(writerIn.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout)
        << "the writer got in while a reader held the lock";
    EXPECT_EQ(ExclusiveElsewhere(lock), kTimeout);
    EXPECT_EQ(lock.ReleaseShared(kTqlInfinite), 0u);
    const bool writerEntered = writerIn.wait_for(test::kPatience) == std::future_status::ready;
    if (!writerEntered) {
        ADD_FAILURE() << "the writer never got in once both readers left";
        writer.detach();  // blocked in the lock; the process ends with the test run
        return;
    }
    EXPECT_EQ(writerIn.get(), 0u);

    // The writer keeps new readers and writers out until it releases.
    const DWORD owner = lock.ExclusiveOwner();
    EXPECT_NE(owner, 0u);
    EXPECT_EQ(SharedElsewhere(lock), kTimeout);
    EXPECT_EQ(ExclusiveElsewhere(lock), kTimeout);
    leave.set_value();
    writer.join();
    EXPECT_EQ(ownerSeenByWriter, owner);
    EXPECT_EQ(released, 0u);
    EXPECT_EQ(lock.ExclusiveOwner(), 0u);
    EXPECT_EQ(SharedElsewhere(lock), 0u);
}

// Releases that do not match an acquisition fail without waiting.
TEST(SharedLock, TheWriterMayAcquireAgainAndOnlyItReleasesAsOften) {
    CTqlSharedLock lock;
    EXPECT_EQ(lock.ReleaseShared(kTqlInfinite), kNotOwner);
    EXPECT_EQ(lock.ReleaseExclusive(), kNotOwner);
    ASSERT_EQ(lock.AcquireExclusive(0), 0u);
    ASSERT_EQ(lock.AcquireExclusive(0), 0u);
    ASSERT_EQ(lock.AcquireShared(0), 0u);  // the writer reads too
    ASSERT_EQ(lock.ReleaseShared(0), 0u);
    EXPECT_EQ(test::OnOtherThread([&] { return lock.ReleaseExclusive(); }), kNotOwner);
    EXPECT_EQ(lock.ReleaseExclusive(), 0u);
    EXPECT_EQ(SharedElsewhere(lock), kTimeout);
    EXPECT_EQ(lock.ReleaseExclusive(), 0u);
    // A reader may count itself out from another thread.
    ASSERT_EQ(lock.AcquireShared(0), 0u);
    EXPECT_EQ(test::OnOtherThread([&] { return lock.ReleaseShared(0); }), 0u);
    EXPECT_EQ(ExclusiveElsewhere(lock), 0u);
}

TEST(SharedLock, LocksOfOneNameAreOneLock) {
    std::string stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    WString name = WidenAscii("QuillonTest_SharedLock_" + stamp);
    CTqlSharedLock first(name.c_str());
    CTqlSharedLock second(name.c_str());
    CTqlSharedLock other(WidenAscii("QuillonTest_OtherLock_" + stamp).c_str());
    ASSERT_EQ(first.CreateError(), 0u);
    ASSERT_EQ(second.CreateError(), 0u);
    ASSERT_EQ(first.AcquireShared(0), 0u);
    EXPECT_EQ(ExclusiveElsewhere(second), kTimeout);
    EXPECT_EQ(ExclusiveElsewhere(other), 0u);
    ASSERT_EQ(second.ReleaseShared(0), 0u);  // the reader counted in through first
    EXPECT_EQ(ExclusiveElsewhere(second), 0u);
}

TEST(SharedLock, GuardsReleaseWhatTheyAcquired) {
    CTqlSharedLock lock;
    {
        CTqlSharedGuard reading(lock, 0);
        ASSERT_EQ(reading.Result(), 0u);
        EXPECT_EQ(ExclusiveElsewhere(lock), kTimeout);
    }
    {
        CTqlExclusiveGuard writing(lock, 0);
        ASSERT_EQ(writing.Result(), 0u);
        EXPECT_EQ(test::OnOtherThread([&] { return CTqlSharedGuard(lock, 0).Result(); }), kTimeout);
    }
    EXPECT_EQ(ExclusiveElsewhere(lock), 0u);  // no holder left behind
}

// Under ThreadSanitizer this also checks that the lock orders the plain
// reads and writes it protects.
TEST(SharedLock, WritersExcludeEveryoneAndReadersExcludeWriters) {
    CTqlSharedLock lock;
    long long value = 0;         // plain: only the lock orders its accesses
    std::atomic<int> inside{0};  // writers count -1000, readers +1
    std::atomic<int> violations{0};
    std::atomic<int> writes{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 300; ++round) {
                if ((round + t) % 3 == 0) {
                    CTqlExclusiveGuard writing(lock, kTqlInfinite);
                    if (writing.Result() != 0 || inside.fetch_sub(1000) != 0) ++violations;
                    ++value;
                    ++writes;
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
    EXPECT_EQ(value, writes.load());
}

}  // namespace
}  // namespace ql
