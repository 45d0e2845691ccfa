// Windows kills a pool thread that ignores its quit event, posts WM_QUIT when
// asked, and pumps the closing thread's messages while it waits.
#include <gtest/gtest.h>

#include <atomic>

#include "eventually.h"
#include "support/sync/thread_pool.h"
#include "trace_recorder.h"

namespace ql {
namespace {

constexpr DWORD kExitCodeOfKilledThread = 1460;
using test::Eventually;

struct Worker {
    std::atomic<bool> started{false};
    std::atomic<bool> sawQuit{false};
    HANDLE thread = nullptr;  // a duplicate the test closes
    HWND window = nullptr;    // of the closing thread
};

// Runs work on a fresh pool slot and waits until it started.
void Start(HANDLE pool, TqlThreadWorkFn work, Worker& worker) {
    ASSERT_EQ(TqlRunInPool(pool, work, &worker, INFINITE, 0, 0), 0u);
    ASSERT_TRUE(Eventually([&] { return worker.started.load(); }));
}

DWORD IgnoreQuit(LPVOID argument, HANDLE /*quitEvent*/) {
    auto* worker = static_cast<Worker*>(argument);
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &worker->thread,
                    0, FALSE, DUPLICATE_SAME_ACCESS);
    worker->started = true;
    for (;;) Sleep(20);
}

TEST(ThreadPoolWin, HungWorkIsTerminatedWithExitCode1460) {
    test::TraceRecorder traces;
    HANDLE pool = nullptr;
    ASSERT_EQ(TqlCreateThreadPool(&pool, 1, kTqlPoolNoIdleExpiry, 200), 0u);
    Worker worker;
    ASSERT_NO_FATAL_FAILURE(Start(pool, IgnoreQuit, worker));

    EXPECT_EQ(TqlCloseThread(pool, FALSE), 0u);
    EXPECT_TRUE(traces.Contains("hangs, kill it!"));
    ASSERT_NE(worker.thread, nullptr);
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeThread(worker.thread, &exitCode));
    EXPECT_EQ(exitCode, kExitCodeOfKilledThread);
    CloseHandle(worker.thread);
}

// Ends only on WM_QUIT.
DWORD RunMessageLoop(LPVOID argument, HANDLE /*quitEvent*/) {
    auto* worker = static_cast<Worker*>(argument);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    worker->started = true;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    worker->sawQuit = true;
    return 0;
}

constexpr UINT kPing = WM_APP + 1;
std::atomic<int> g_pings{0};

LRESULT CALLBACK CountPings(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kPing) return DefWindowProcW(window, message, wParam, lParam);
    ++g_pings;
    return 0;
}

// Has no message queue, so WM_QUIT cannot be posted to it; on quit, needs the
// closing thread to take a sent message before it can end.
DWORD PingCloserOnQuit(LPVOID argument, HANDLE quitEvent) {
    auto* worker = static_cast<Worker*>(argument);
    worker->started = true;
    worker->sawQuit = TqlWaitForQuit(quitEvent, INFINITE);
    SendMessageW(worker->window, kPing, 0, 0);
    return 0;
}

TEST(ThreadPoolWin, ClosingPostsQuitPumpsMessagesAndKeepsItsOwnQuitMessage) {
    test::TraceRecorder traces;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = CountPings;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuillonThreadPoolTestWindow";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    Worker looping;
    Worker pinging;
    pinging.window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                     nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(pinging.window, nullptr);

    HANDLE pool = nullptr;
    ASSERT_EQ(TqlCreateThreadPool(&pool, 2, kTqlPoolNoIdleExpiry, 120000), 0u);
    g_pings = 0;
    ASSERT_NO_FATAL_FAILURE(Start(pool, RunMessageLoop, looping));
    ASSERT_NO_FATAL_FAILURE(Start(pool, PingCloserOnQuit, pinging));

    // A quit message meant for this thread's own loop survives the pumping.
    PostQuitMessage(7);
    EXPECT_EQ(TqlCloseThread(pool, TRUE), 0u);
    EXPECT_TRUE(looping.sawQuit.load());
    EXPECT_TRUE(pinging.sawQuit.load());
    EXPECT_EQ(g_pings.load(), 1);
    EXPECT_TRUE(traces.Contains("TqlCloseThread()- _PostThreadMessage(WM_QUIT) failed, err="));
    EXPECT_FALSE(traces.Contains("hangs, kill it!"));
    MSG message = {};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);

    DestroyWindow(pinging.window);
    UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
}

}  // namespace
}  // namespace ql
