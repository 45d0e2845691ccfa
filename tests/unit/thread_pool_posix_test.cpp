// POSIX cannot kill a thread safely: a pool thread that ignores its quit
// event is abandoned when its pool closes, and frees its own record later.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "eventually.h"
#include "support/sync/thread_pool.h"
#include "trace_recorder.h"

namespace ql {
namespace {

constexpr DWORD kInvalidHandle = 6;
using test::Eventually;

struct Stubborn {
    std::atomic<bool> started{false};
    std::atomic<bool> release{false};
    std::atomic<bool> sawQuit{false};
};

// Ignores the quit event until the test releases it.
DWORD IgnoreQuit(LPVOID argument, HANDLE quitEvent) {
    auto* stubborn = static_cast<Stubborn*>(argument);
    stubborn->started = true;
    while (!stubborn->release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stubborn->sawQuit = TqlWaitForQuit(quitEvent, 0);
    return 0;
}

TEST(ThreadPoolPosix, HungWorkIsAbandonedAndFreesItsRecordWhenItReturns) {
    test::TraceRecorder traces;
    const LONG before = TqlAbandonedThreadCount();
    HANDLE pool = nullptr;
    ASSERT_EQ(TqlCreateThreadPool(&pool, 2, kTqlPoolNoIdleExpiry, 200), 0u);
    Stubborn stubborn;
    ASSERT_EQ(TqlRunInPool(pool, IgnoreQuit, &stubborn, kTqlInfinite, 0, 0), 0u);
    ASSERT_TRUE(Eventually([&] { return stubborn.started.load(); }));

    // The stop time-out passes; the pool is freed anyway.
    EXPECT_EQ(TqlCloseThread(pool, TRUE), 0u);
    EXPECT_TRUE(traces.Contains("hangs, kill it!"));
    EXPECT_EQ(TqlAbandonedThreadCount(), before + 1);
    EXPECT_EQ(TqlRunInPool(pool, IgnoreQuit, &stubborn, 0, 0, 0), kInvalidHandle);

    // Once its work returns the thread frees its record (LeakSanitizer checks
    // that nothing stays behind) and is no longer counted.
    stubborn.release = true;
    ASSERT_TRUE(Eventually([&] { return TqlAbandonedThreadCount() == before; }));
    EXPECT_TRUE(stubborn.sawQuit.load());
}

}  // namespace
}  // namespace ql
