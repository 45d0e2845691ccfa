// The pool on std::thread, mutexes and condition variables. The slot
// semaphores and the dispatch event become state under the pool's slot mutex;
// each thread's quit, work and acknowledge events become flags and counters
// under its own mutex.
//
// A thread cannot be killed safely here: killing would leave the locks it
// holds taken and its stack's objects undestroyed. A thread that ignores its
// quit event for the stop time-out is therefore abandoned instead: detached,
// counted in TqlAbandonedThreadCount, and left to free its own record when
// its work returns. Until then it touches nothing but that record, so the
// pool can be freed at once.
#include "support/sync/thread_pool.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "support/base/win32_errors.h"
#include "support/sync/shared_lock.h"
#include "support/sync/thread_pool_internal.h"
#include "support/trace/trace.h"

namespace ql {

using namespace pool_detail;

namespace {

std::atomic<LONG> g_abandonedThreads{0};

DWORD CurrentThreadId() { return static_cast<DWORD>(::syscall(SYS_gettid)); }

// Waits until ready() holds; false when the time-out passed first.
template <class Ready>
bool WaitFor(std::condition_variable& changed, std::unique_lock<std::mutex>& lock, DWORD timeoutMs,
             Ready ready) {
    if (timeoutMs == kTqlInfinite) {
        changed.wait(lock, ready);
        return true;
    }
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

struct PoolThread;

struct Pool {
    DWORD tag = kPoolTag;
    DWORD secondTag = kSecondTag;
    DWORD slots = 0;
    // One per slot, null while empty; changed only by whoever owns the slot.
    PoolThread** threads = nullptr;
    // The slot semaphores, 1 = idle; guarded by slotMutex.
    BYTE* idle = nullptr;
    DWORD stopTimeoutMs = 0;
    DWORD idleExpiryMs = 0;
    CTqlSharedLock lock;
    // The dispatch event: dispatches under way; guarded by slotMutex.
    LONG dispatching = 0;
    std::mutex slotMutex;
    std::condition_variable slotIdle;
    bool closed = false;  // guarded by lock
};

// A pool thread's events. Its address is the quit event its work receives.
struct ThreadSignals {
    std::mutex mutex;
    std::condition_variable changed;
    bool quit = false;
    bool running = false;  // the thread has started
    bool workPending = false;
    // Work items handed over and taken. A dispatcher waits until the thread
    // took its own item: a flag could be set twice (for a quick item and the
    // next one) before the first dispatcher saw it, leaving the second waiting
    // for ever.
    ULONGLONG handedOver = 0;
    ULONGLONG taken = 0;
    bool ended = false;
    // The closer gave up waiting: the thread now owns its record.
    bool abandoned = false;
};

struct PoolThread {
    DWORD tag = kPoolThreadTag;
    DWORD secondTag = kSecondTag;
    TqlThreadWorkFn work = nullptr;  // guarded by signals.mutex
    LPVOID argument = nullptr;       // guarded by signals.mutex
    ThreadSignals signals;
    std::thread thread;
    DWORD threadId = 0;  // set by the thread before it reports running
    Pool* pool = nullptr;
    DWORD slot = 0;
    DWORD stopTimeoutMs = 0;
    DWORD idleExpiryMs = 0;
    // Set by the thread, under the pool's slot mutex while its slot is idle,
    // once it has decided to end by expiry: the next dispatch replaces it.
    bool expiring = false;
};

// The pool whose thread the calling thread is, if any.
thread_local const Pool* t_ownPool = nullptr;

bool IsPoolThread(PoolThread* thread) { return HasTags(thread, kPoolThreadTag); }

void FreeAbandoned(PoolThread* thread) {
    DeleteRecord(thread);
    g_abandonedThreads.fetch_sub(1);
}

// The thread's last use of its record: an abandoned record is freed here,
// otherwise the closer learns that the thread ended.
void FinishThread(PoolThread* self, std::unique_lock<std::mutex>& lock) {
    if (self->signals.abandoned) {
        lock.unlock();
        FreeAbandoned(self);
        return;
    }
    self->signals.ended = true;
    self->signals.changed.notify_all();
    lock.unlock();
}

void PoolThreadProc(PoolThread* self) {
    t_ownPool = self->pool;
    ThreadSignals& signals = self->signals;
    std::unique_lock<std::mutex> lock(signals.mutex);
    self->threadId = CurrentThreadId();
    TqlTrace(kTqlRuntimeComponent, kTqlLevelError, OLESTR("Pool thread 0x%X created"),
             self->threadId);
    signals.running = true;
    signals.changed.notify_all();
    DWORD timeoutMs = kTqlInfinite;
    for (;;) {
        WaitFor(signals.changed, lock, timeoutMs,
                [&signals] { return signals.quit || signals.workPending; });
        if (signals.quit) {
            TqlTrace(kTqlRuntimeComponent, kTqlLevelError,
                     OLESTR("Pool thread 0x%X is signalled to quit"), self->threadId);
            TqlTrace(kTqlRuntimeComponent, kTqlLevelError, OLESTR("Pool thread 0x%X quits"),
                     self->threadId);
            FinishThread(self, lock);
            return;
        }
        if (signals.workPending) {
            signals.workPending = false;
            TqlThreadWorkFn work = self->work;
            LPVOID argument = self->argument;
            ++signals.taken;
            signals.changed.notify_all();
            lock.unlock();
            work(argument, &signals);
            std::this_thread::yield();
            lock.lock();
            if (signals.abandoned) {
                lock.unlock();
                FreeAbandoned(self);
                return;
            }
            // Not abandoned, and the closer needs this mutex to abandon: the
            // pool is alive.
            timeoutMs = self->idleExpiryMs;
            {
                std::lock_guard<std::mutex> slots(self->pool->slotMutex);
                self->pool->idle[self->slot] = 1;
            }
            self->pool->slotIdle.notify_all();
            continue;
        }
        bool dispatching = false;
        bool expire = false;
        {
            std::lock_guard<std::mutex> slots(self->pool->slotMutex);
            if (self->pool->dispatching > 0) {
                dispatching = true;
            } else if (self->pool->idle[self->slot] != 0) {
                // Nobody owns the slot, so nobody is about to hand work here.
                self->expiring = true;
                expire = true;
            }
        }
        if (dispatching) {
            TqlTrace(kTqlRuntimeComponent, kTqlLevelWarning,
                     OLESTR("Thread 0x%X will not be expired by timeout (%i ms)"), self->threadId,
                     timeoutMs);
            timeoutMs = std::max(self->idleExpiryMs, kMinExpiryWhileDispatchingMs);
        } else if (expire) {
            TqlTrace(kTqlRuntimeComponent, kTqlLevelWarning,
                     OLESTR("Thread 0x%X is expired by timeout (%i ms)"), self->threadId,
                     timeoutMs);
            FinishThread(self, lock);
            return;
        }
        // Otherwise a dispatcher owns the slot: its work is on the way.
    }
}

// 0 when the thread ended within timeoutMs, 1 otherwise.
DWORD WaitThreadRecord(PoolThread* thread, DWORD timeoutMs) {
    if (!IsPoolThread(thread)) return kTqlErrorInvalidHandle;
    ThreadSignals& signals = thread->signals;
    std::unique_lock<std::mutex> lock(signals.mutex);
    return WaitFor(signals.changed, lock, timeoutMs, [&signals] { return signals.ended; }) ? 0 : 1;
}

// Tells the thread to quit and waits up to the stop time-out; then frees the
// record, or abandons the thread to it. 6 when the record is not a pool thread.
DWORD CloseThreadRecord(PoolThread* thread) {
    if (!IsPoolThread(thread)) return kTqlErrorInvalidHandle;
    ThreadSignals& signals = thread->signals;
    std::unique_lock<std::mutex> lock(signals.mutex);
    if (!signals.ended) {
        signals.quit = true;
        signals.changed.notify_all();
        TqlTrace(kTqlRuntimeComponent, kTqlLevelWarning,
                 OLESTR("Thread Manager: Waiting for thread 0x%X to stop"), thread->threadId);
        if (!WaitFor(signals.changed, lock, thread->stopTimeoutMs,
                     [&signals] { return signals.ended; })) {
            TqlTrace(kTqlRuntimeComponent, kTqlLevelError,
                     OLESTR("Thread Manager: thread 0x%X hangs, kill it!"), thread->threadId);
            // Detached before the flag is visible: the thread may free the
            // record, std::thread included, as soon as it sees the flag.
            thread->thread.detach();
            signals.abandoned = true;
            g_abandonedThreads.fetch_add(1);
            return 0;
        }
    }
    lock.unlock();
    thread->thread.join();
    thread->tag = 0;
    DeleteRecord(thread);
    return 0;
}

// Starts the slot's thread and waits until it runs.
DWORD CreatePoolThread(Pool& pool, DWORD slot, PoolThread** created) {
    PoolThread* record = NewRecord<PoolThread>();
    if (record == nullptr) return kTqlErrorNotEnoughMemory;
    record->pool = &pool;
    record->slot = slot;
    record->stopTimeoutMs = pool.stopTimeoutMs;
    record->idleExpiryMs = pool.idleExpiryMs;
    try {
        record->thread = std::thread(PoolThreadProc, record);
    } catch (const std::bad_alloc&) {
        DeleteRecord(record);
        return kTqlErrorNotEnoughMemory;
    } catch (const std::system_error&) {
        DeleteRecord(record);
        return kTqlErrorServiceNoThread;
    }
    ThreadSignals& signals = record->signals;
    std::unique_lock<std::mutex> lock(signals.mutex);
    signals.changed.wait(lock, [&signals] { return signals.running; });
    *created = record;
    return 0;
}

void MakeIdle(Pool& pool, DWORD slot) {
    {
        std::lock_guard<std::mutex> slots(pool.slotMutex);
        pool.idle[slot] = 1;
    }
    pool.slotIdle.notify_all();
}

// Runs the work on a slot that the caller took; gives the slot back when the
// work cannot be handed over.
DWORD RunOnSlot(Pool& pool, DWORD slot, bool expiring, TqlThreadWorkFn work, LPVOID argument) {
    PoolThread*& thread = pool.threads[slot];
    if (thread != nullptr && (expiring || WaitThreadRecord(thread, 0) == 0)) {
        // An expiring thread has nothing left to do but end: no stop time-out.
        WaitThreadRecord(thread, kTqlInfinite);
        CloseThreadRecord(thread);
        thread = nullptr;
    }
    if (thread == nullptr) {
        if (DWORD created = CreatePoolThread(pool, slot, &thread)) {
            MakeIdle(pool, slot);
            return created;
        }
    }
    ThreadSignals& signals = thread->signals;
    std::unique_lock<std::mutex> lock(signals.mutex);
    thread->work = work;
    thread->argument = argument;
    signals.workPending = true;
    const ULONGLONG ticket = ++signals.handedOver;
    signals.changed.notify_all();
    signals.changed.wait(lock, [&signals, ticket] { return signals.taken >= ticket; });
    return 0;
}

bool FirstIdle(const Pool& pool, DWORD& slot) {
    for (DWORD index = 0; index < pool.slots; ++index) {
        if (pool.idle[index] != 0) {
            slot = index;
            return true;
        }
    }
    return false;
}

bool AllIdle(const Pool& pool) {
    return std::all_of(pool.idle, pool.idle + pool.slots, [](BYTE idle) { return idle != 0; });
}

// Frees a pool whose threads are closed. Copes with a partly built pool.
void DestroyPool(Pool* pool) {
    TqlFree(pool->threads);
    TqlFree(pool->idle);
    pool->tag = 0;
    DeleteRecord(pool);
}

using CPinnedPool = CPoolPin<Pool, DestroyPool>;

}  // namespace

DWORD TqlCreateThreadPool(HANDLE* pool, DWORD slots, DWORD idleExpiryMs, DWORD stopTimeoutMs) {
    if (DWORD invalid = CheckCreateArguments(pool, slots, idleExpiryMs)) return invalid;
    Pool* record = NewRecord<Pool>();
    if (record == nullptr) return kTqlErrorNotEnoughMemory;
    record->slots = slots;
    record->stopTimeoutMs = stopTimeoutMs;
    record->idleExpiryMs = idleExpiryMs;
    record->threads = NewArray<PoolThread*>(slots);
    record->idle = NewArray<BYTE>(slots);
    if (record->threads == nullptr || record->idle == nullptr || record->lock.CreateError() != 0) {
        DestroyPool(record);
        return kTqlErrorNotEnoughMemory;
    }
    std::fill(record->idle, record->idle + slots, BYTE{1});
    RegisterPool(record);
    *pool = record;
    return 0;
}

DWORD TqlRunInPool(HANDLE pool, TqlThreadWorkFn work, LPVOID argument, DWORD slotTimeoutMs,
                   DWORD reserved, DWORD /*unused*/) {
    if (DWORD invalid = CheckRunArguments(work, reserved)) return invalid;
    CPinnedPool pinned(pool);
    if (pinned.Get() == nullptr) return kTqlErrorInvalidHandle;
    Pool& record = *pinned.Get();
    CTqlSharedGuard shared(record.lock, kTqlInfinite);
    if (shared.Result() != 0) return shared.Result();
    if (record.closed) return kTqlErrorInvalidHandle;

    DWORD slot = 0;
    bool found = false;
    bool expiring = false;
    {
        std::unique_lock<std::mutex> slots(record.slotMutex);
        ++record.dispatching;
        found = WaitFor(record.slotIdle, slots, slotTimeoutMs,
                        [&record, &slot] { return FirstIdle(record, slot); });
        if (found) {
            record.idle[slot] = 0;
            PoolThread* thread = record.threads[slot];
            expiring = thread != nullptr && thread->expiring;
        }
    }
    DWORD result = found ? RunOnSlot(record, slot, expiring, work, argument) : kNoIdleSlot;
    std::lock_guard<std::mutex> slots(record.slotMutex);
    --record.dispatching;
    return result;
}

DWORD TqlWaitThreadPool(HANDLE pool, BOOL waitAll, DWORD timeoutMs) {
    CPinnedPool pinned(pool);
    if (pinned.Get() == nullptr) return kTqlErrorInvalidHandle;
    Pool& record = *pinned.Get();
    CTqlSharedGuard shared(record.lock, kTqlInfinite);
    if (shared.Result() != 0) return shared.Result();
    if (record.closed) return kTqlErrorInvalidHandle;
    std::unique_lock<std::mutex> slots(record.slotMutex);
    DWORD slot = 0;
    bool idle = WaitFor(record.slotIdle, slots, timeoutMs,
                        [&] { return waitAll ? AllIdle(record) : FirstIdle(record, slot); });
    return idle ? 0 : 1;
}

DWORD TqlCloseThread(HANDLE pool, BOOL /*postQuitMessage: no thread messages here*/) {
    CPinnedPool pinned(pool);
    if (pinned.Get() == nullptr) return kTqlErrorInvalidHandle;
    Pool& record = *pinned.Get();
    // A pool thread cannot wait for itself to stop.
    if (t_ownPool == &record) return kTqlErrorPossibleDeadlock;
    // Refuse new calls at once. The lock alone would not: a waiting writer
    // does not keep new readers out, so a stream of dispatches could keep the
    // close waiting.
    RetirePool(&record);
    CTqlExclusiveGuard exclusive(record.lock, kTqlInfinite);
    if (exclusive.Result() != 0 || record.closed) return kTqlErrorInvalidHandle;
    for (DWORD slot = 0; slot < record.slots; ++slot) {
        if (record.threads[slot] == nullptr) continue;
        CloseThreadRecord(record.threads[slot]);
        record.threads[slot] = nullptr;
    }
    record.closed = true;
    return 0;
}

bool TqlWaitForQuit(HANDLE quitEvent, DWORD timeoutMs) {
    if (quitEvent == nullptr) return false;
    auto* signals = static_cast<ThreadSignals*>(quitEvent);
    std::unique_lock<std::mutex> lock(signals->mutex);
    return WaitFor(signals->changed, lock, timeoutMs, [signals] { return signals->quit; });
}

LONG TqlAbandonedThreadCount() { return g_abandonedThreads.load(); }

}  // namespace ql
