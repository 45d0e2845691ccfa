#include "support/sync/semaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "support/base/wide_string.h"
#include "trace_recorder.h"

namespace ql {
namespace {

// A name no other test or process uses. Appended piece by piece: g++ 12
// misreads a chain of operator+ on temporaries as an overflow.
WString UniqueName() {
    static std::atomic<int> counter{0};
    std::string name = "QuillonTest_Semaphore_";
    name.append(std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    return WidenAscii(name.append("_").append(std::to_string(++counter)));
}

TEST(Semaphore, TakesAndGivesBackCountsUpToItsMaximum) {
    test::TraceRecorder traces;
    CTqlSemaphore semaphore(2, 3);
    ASSERT_EQ(semaphore.CreateError(), 0u);
    EXPECT_TRUE(semaphore.WaitFor(0));
    EXPECT_TRUE(semaphore.WaitFor(0));
    EXPECT_FALSE(semaphore.WaitFor(0));  // a time-out is not a failure
    EXPECT_FALSE(traces.Contains("WAIT_FAILED"));

    EXPECT_TRUE(semaphore.Release(3));
    EXPECT_FALSE(semaphore.Release(1));
    EXPECT_TRUE(
        traces.Contains("CTqlSemaphore::Release(1) : _ReleaseSemaphore() WAIT_FAILED, err=298 ("));
    EXPECT_FALSE(semaphore.Release(0));
    EXPECT_TRUE(
        traces.Contains("CTqlSemaphore::Release(0) : _ReleaseSemaphore() WAIT_FAILED, err=87 ("));
    // The failed releases changed nothing: exactly three counts are there.
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(semaphore.WaitFor(0));
    EXPECT_FALSE(semaphore.WaitFor(0));

    // A waiter is woken by a release from another thread.
    std::atomic<bool> taken{false};
    std::thread waiter([&] { taken = semaphore.WaitFor(kTqlInfinite); });
    EXPECT_TRUE(semaphore.Release(1));
    waiter.join();
    EXPECT_TRUE(taken.load());
}

TEST(Semaphore, InvalidCountsFailCreationAndEveryCall) {
    test::TraceRecorder traces;
    CTqlSemaphore semaphore(2, 1);
    EXPECT_EQ(semaphore.CreateError(), 87u);
    EXPECT_TRUE(
        traces.Contains("CTqlSemaphore::CTqlSemaphore() : _CreateSemaphore() failed, err=87 ("));
    EXPECT_FALSE(semaphore.WaitFor(0));
    EXPECT_TRUE(
        traces.Contains("CTqlSemaphore::WaitFor() : _WaitForSingleObject() WAIT_FAILED, err=6 ("));
    EXPECT_FALSE(semaphore.Release(1));
    EXPECT_TRUE(
        traces.Contains("CTqlSemaphore::Release(1) : _ReleaseSemaphore() WAIT_FAILED, err=6 ("));

    EXPECT_EQ(CTqlSemaphore(-1, 1).CreateError(), 87u);
    EXPECT_EQ(CTqlSemaphore(0, 0).CreateError(), 87u);
}

TEST(Semaphore, SemaphoresOfOneNameShareTheirCount) {
    WString name = UniqueName();
    CTqlSemaphore first(1, 1, name.c_str());
    // Opening it again ignores the counts given.
    CTqlSemaphore second(0, 5, name.c_str());
    ASSERT_EQ(first.CreateError(), 0u);
    ASSERT_EQ(second.CreateError(), 0u);
    EXPECT_TRUE(second.WaitFor(0));
    EXPECT_FALSE(first.WaitFor(0));
    EXPECT_TRUE(first.Release(1));
    EXPECT_FALSE(second.Release(1));  // the maximum is still 1
    EXPECT_TRUE(second.WaitFor(0));

    CTqlSemaphore other(1, 1, UniqueName().c_str());
    EXPECT_TRUE(other.WaitFor(0));
}

TEST(Semaphore, TheSendSemaphoreAdmitsOneHolderAtATime) {
    CTqlSemaphore& send = TqlSendSemaphore();
    EXPECT_EQ(&send, &TqlSendSemaphore());
    ASSERT_TRUE(send.WaitFor(0));
    EXPECT_FALSE(send.WaitFor(0));
    ASSERT_TRUE(send.Release(1));
    // The maximum is 1, so the count is back as it was found.
    EXPECT_FALSE(send.Release(1));
}

}  // namespace
}  // namespace ql
