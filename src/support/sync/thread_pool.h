// A small pool of worker threads: each slot runs one work item at a time on
// its own thread, which is created on first use, expires after an idle
// period, and is stopped (and, when it does not stop in time, killed) when
// the pool is closed.
//
// Every function returns a system error code: 0 on success, 6 for a handle
// that is not a live pool.
#pragma once

#include "support/base/com_types.h"
#include "support/sync/semaphore.h"

namespace ql {

// Runs on a pool thread. quitEvent is signalled when the pool wants the
// thread to end; a long-running work item should watch it (TqlWaitForQuit).
// The result is not used. Must not throw.
using TqlThreadWorkFn = DWORD (*)(LPVOID argument, HANDLE quitEvent);

inline constexpr DWORD kTqlPoolMaxSlots = 64;
// The shortest idle expiry a pool accepts.
inline constexpr DWORD kTqlPoolMinIdleExpiryMs = 10000;
// Idle threads never expire.
inline constexpr DWORD kTqlPoolNoIdleExpiry = kTqlInfinite;

// Creates a pool of slots (1 to 64) whose idle threads end after
// idleExpiryMs (at least 10000, or kTqlPoolNoIdleExpiry) and which gives a
// thread stopTimeoutMs (kTqlInfinite: no limit) to stop when it is closed.
// 87 for a null pool or an argument out of range, 8 when memory runs out.
DWORD TqlCreateThreadPool(HANDLE* pool, DWORD slots, DWORD idleExpiryMs, DWORD stopTimeoutMs);

// For tests only: the shortest idle expiry TqlCreateThreadPool accepts from
// now on, so that an expiry can be seen in milliseconds rather than 10 s.
// Returns the previous minimum; production never calls it.
DWORD TqlSetMinIdleExpiryForTesting(DWORD minimumMs);

// Runs work(argument, quitEvent) on the first slot that is idle within
// slotTimeoutMs, starting the slot's thread when it has none; returns once the
// thread has taken the work. 87 for a null work function or a reserved value
// other than 0, 1 when no slot became idle in time, 1054 when no thread could
// be started, 8 when memory runs out. unused is accepted and ignored.
DWORD TqlRunInPool(HANDLE pool, TqlThreadWorkFn work, LPVOID argument, DWORD slotTimeoutMs,
                   DWORD reserved, DWORD unused);

// Waits up to timeoutMs until one slot (waitAll: every slot) is idle: 0 when
// that happened, 1 when the time-out passed first.
DWORD TqlWaitThreadPool(HANDLE pool, BOOL waitAll, DWORD timeoutMs);

// Closes a pool: waits for running dispatches, tells every thread to quit
// (postQuitMessage: also posts WM_QUIT to it, on Windows), gives each the
// pool's stop time-out, then kills it (Windows, exit code 1460) or abandons
// it (POSIX, see TqlAbandonedThreadCount), and frees the pool. 1131 when
// called from one of the pool's own threads.
DWORD TqlCloseThread(HANDLE pool, BOOL postQuitMessage);

// For a work function: waits up to timeoutMs for its quit event; true when
// the pool asked the thread to end.
bool TqlWaitForQuit(HANDLE quitEvent, DWORD timeoutMs);

// Pool threads that ignored their quit event for the stop time-out and still
// run their work. POSIX cannot kill a thread safely, so such a thread is left
// running, detached, and frees its own record when its work returns; on
// Windows it is terminated instead and this is always 0.
LONG TqlAbandonedThreadCount();

}  // namespace ql
