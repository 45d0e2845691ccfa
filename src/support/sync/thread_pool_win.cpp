// The pool on Windows kernel objects: per slot a semaphore whose count 1 means
// "idle", per thread a quit, an acknowledge and a work event, and for the pool
// a manual-reset dispatch event that keeps idle threads from expiring while a
// dispatch may pick them.
#include "support/sync/thread_pool.h"

#include <algorithm>
#include <utility>

#include "support/base/unique_handle.h"
#include "support/base/win32_errors.h"
#include "support/platform/kernel_handle.h"
#include "support/platform/system_wrappers.h"
#include "support/sync/shared_lock.h"
#include "support/sync/thread_pool_internal.h"
#include "support/trace/trace.h"

namespace ql {

using namespace pool_detail;

namespace {

struct PoolThread;

struct Pool {
    DWORD tag = kPoolTag;
    DWORD secondTag = kSecondTag;
    DWORD slots = 0;
    PoolThread** threads = nullptr;    // one per slot, null while empty
    HANDLE* slotSemaphores = nullptr;  // one per slot, count 1 = idle
    DWORD stopTimeoutMs = 0;
    DWORD idleExpiryMs = 0;
    CTqlSharedLock lock;
    HANDLE dispatchEvent = nullptr;
    bool closed = false;  // guarded by lock
};

struct PoolThread {
    DWORD tag = kPoolThreadTag;
    DWORD secondTag = kSecondTag;
    TqlThreadWorkFn work = nullptr;
    LPVOID argument = nullptr;
    HANDLE quitEvent = nullptr;  // manual reset
    HANDLE ackEvent = nullptr;   // automatic reset; signalled once the thread runs
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE workEvent = nullptr;      // automatic reset
    HANDLE slotSemaphore = nullptr;  // the pool's
    DWORD stopTimeoutMs = 0;
    DWORD idleExpiryMs = 0;
    HANDLE dispatchEvent = nullptr;  // the pool's
    const Pool* owner = nullptr;
    // The dispatcher's own event, signalled when the thread takes its work.
    // One event per hand-over: with one shared automatic-reset event a thread
    // that finished the work quickly could take the next dispatcher's work
    // before the first dispatcher saw its acknowledgement, and the second
    // signal would be lost, leaving a dispatcher waiting for ever.
    HANDLE handoverAck = nullptr;
    // Set by the thread, while it holds its slot's count, once it has decided
    // to end by expiry: the next dispatch to the slot replaces it.
    LONG volatile expiring = 0;
};

// The pool whose thread the calling thread is, if any.
thread_local const Pool* t_ownPool = nullptr;

void CloseIfSet(HANDLE handle) {
    if (handle != nullptr) CloseHandle(handle);
}

DWORD WINAPI PoolThreadProc(LPVOID parameter) {
    auto* self = static_cast<PoolThread*>(parameter);
    t_ownPool = self->owner;
    TqlTrace(kTqlRuntimeComponent, kTqlLevelError, L"Pool thread 0x%X created", self->threadId);
    SetEvent(self->ackEvent);
    HANDLE events[2] = {self->quitEvent, self->workEvent};
    DWORD timeoutMs = INFINITE;
    for (;;) {
        DWORD waited = WaitForMultipleObjects(2, events, FALSE, timeoutMs);
        if (waited == WAIT_OBJECT_0) {
            TqlTrace(kTqlRuntimeComponent, kTqlLevelError, L"Pool thread 0x%X is signalled to quit",
                     self->threadId);
            TqlTrace(kTqlRuntimeComponent, kTqlLevelError, L"Pool thread 0x%X quits",
                     self->threadId);
            return 0;
        }
        if (waited == WAIT_OBJECT_0 + 1) {
            TqlThreadWorkFn work = self->work;
            LPVOID argument = self->argument;
            SetEvent(self->handoverAck);
            work(argument, self->quitEvent);
            timeoutMs = self->idleExpiryMs;
            SwitchToThread();
            ReleaseSemaphore(self->slotSemaphore, 1, nullptr);
            continue;
        }
        if (waited != WAIT_TIMEOUT) return GetLastError();
        if (WaitForSingleObject(self->dispatchEvent, 0) == WAIT_OBJECT_0) {
            TqlTrace(kTqlRuntimeComponent, kTqlLevelWarning,
                     L"Thread 0x%X will not be expired by timeout (%i ms)", self->threadId,
                     timeoutMs);
            timeoutMs = std::max(self->idleExpiryMs, kMinExpiryWhileDispatchingMs);
            continue;
        }
        // Expire only while owning the slot's count: a dispatcher that took
        // it first is about to hand this thread work.
        if (WaitForSingleObject(self->slotSemaphore, 0) != WAIT_OBJECT_0) continue;
        InterlockedExchange(&self->expiring, 1);
        TqlTrace(kTqlRuntimeComponent, kTqlLevelWarning,
                 L"Thread 0x%X is expired by timeout (%i ms)", self->threadId, timeoutMs);
        ReleaseSemaphore(self->slotSemaphore, 1, nullptr);
        return kExpiredExitCode;
    }
}

bool IsPoolThread(PoolThread* thread) { return HasTags(thread, kPoolThreadTag); }

// 0 when the thread ended within timeoutMs, 1 otherwise.
DWORD WaitThreadRecord(PoolThread* thread, DWORD timeoutMs) {
    if (!IsPoolThread(thread)) return kTqlErrorInvalidHandle;
    return WaitForSingleObject(thread->thread, timeoutMs) == WAIT_OBJECT_0 ? 0 : 1;
}

// Takes and dispatches every waiting message; a WM_QUIT meant for this
// thread's own message loop is put back once the wait is over.
void PumpMessages(bool& quitSeen, WPARAM& quitCode) {
    MSG message;
    while (_PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitSeen = true;
            quitCode = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        _DispatchMessage(&message);
    }
}

// Waits until the thread ends, pumping this thread's messages; kills it when
// the stop time-out passes first.
void StopThread(PoolThread* thread, bool postQuitMessage) {
    if (postQuitMessage && !_PostThreadMessage(thread->threadId, WM_QUIT, 0, 0)) {
        TqlTraceErrorMsg(kTqlRuntimeComponent,
                         L"TqlCloseThread()- _PostThreadMessage(WM_QUIT) failed, "
                         L"err=%1!d! (%1!Z!).",
                         GetLastError());
    }
    SetEvent(thread->quitEvent);
    TqlTrace(kTqlRuntimeComponent, kTqlLevelWarning,
             L"Thread Manager: Waiting for thread 0x%X to stop", thread->threadId);
    const ULONGLONG start = GetTickCount64();
    bool quitSeen = false;
    WPARAM quitCode = 0;
    for (;;) {
        DWORD remainingMs = INFINITE;
        if (thread->stopTimeoutMs != INFINITE) {
            ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= thread->stopTimeoutMs) {
                TqlTrace(kTqlRuntimeComponent, kTqlLevelError,
                         L"Thread Manager: thread 0x%X hangs, kill it!", thread->threadId);
                TerminateThread(thread->thread, kExpiredExitCode);
                // Termination completes asynchronously; the record must
                // outlive the thread.
                WaitForSingleObject(thread->thread, INFINITE);
                break;
            }
            remainingMs = static_cast<DWORD>(thread->stopTimeoutMs - elapsed);
        }
        DWORD waited =
            MsgWaitForMultipleObjects(1, &thread->thread, FALSE, remainingMs, QS_ALLINPUT);
        if (waited == WAIT_OBJECT_0) break;
        if (waited == WAIT_OBJECT_0 + 1) {
            PumpMessages(quitSeen, quitCode);
        } else if (waited == WAIT_FAILED) {
            // The handle cannot be waited for; the stop time-out still bounds
            // the loop.
            Sleep(10);
        }
    }
    if (quitSeen) PostQuitMessage(static_cast<int>(quitCode));
}

// Stops the thread when it still runs, then frees everything the record owns
// and the record itself. 6 when the record is not a pool thread.
DWORD CloseThreadRecord(PoolThread* thread, bool postQuitMessage) {
    if (!IsPoolThread(thread)) return kTqlErrorInvalidHandle;
    if (WaitThreadRecord(thread, 0) != 0) StopThread(thread, postQuitMessage);
    for (HANDLE handle : {thread->thread, thread->quitEvent, thread->ackEvent, thread->workEvent})
        CloseIfSet(handle);
    thread->tag = 0;
    DeleteRecord(thread);
    return 0;
}

// Starts the slot's thread and waits until it runs. Takes over workEvent.
DWORD CreatePoolThread(Pool& pool, DWORD slot, CTqlKernelHandle workEvent, PoolThread** created) {
    CTqlKernelHandle quitEvent(_CreateEvent(nullptr, TRUE, FALSE, nullptr));
    CTqlKernelHandle ackEvent(_CreateEvent(nullptr, FALSE, FALSE, nullptr));
    if (quitEvent.Get() == nullptr || ackEvent.Get() == nullptr) return kTqlErrorNotEnoughMemory;
    PoolThread* record = NewRecord<PoolThread>();
    if (record == nullptr) return kTqlErrorNotEnoughMemory;
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, PoolThreadProc, record, CREATE_SUSPENDED, &threadId);
    if (thread == nullptr) {
        DeleteRecord(record);
        return kTqlErrorServiceNoThread;
    }
    record->quitEvent = quitEvent.Release();
    record->ackEvent = ackEvent.Release();
    record->thread = thread;
    record->threadId = threadId;
    record->workEvent = workEvent.Release();
    record->slotSemaphore = pool.slotSemaphores[slot];
    record->stopTimeoutMs = pool.stopTimeoutMs;
    record->idleExpiryMs = pool.idleExpiryMs;
    record->dispatchEvent = pool.dispatchEvent;
    record->owner = &pool;
    ResumeThread(thread);
    HANDLE started[2] = {record->ackEvent, record->thread};
    if (WaitForMultipleObjects(2, started, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CloseThreadRecord(record, false);
        return kTqlErrorServiceNoThread;
    }
    *created = record;
    return 0;
}

// Runs the work on a slot whose count the caller took; gives the count back
// when the work cannot be handed over.
DWORD RunOnSlot(Pool& pool, DWORD slot, TqlThreadWorkFn work, LPVOID argument) {
    PoolThread*& thread = pool.threads[slot];
    if (thread != nullptr && (thread->expiring != 0 || WaitThreadRecord(thread, 0) == 0)) {
        // An expiring thread has nothing left to do but end: no stop time-out.
        WaitThreadRecord(thread, INFINITE);
        CloseThreadRecord(thread, false);
        thread = nullptr;
    }
    if (thread == nullptr) {
        CTqlKernelHandle workEvent(_CreateEvent(nullptr, FALSE, FALSE, nullptr));
        DWORD created = workEvent.Get() == nullptr
                            ? kTqlErrorNotEnoughMemory
                            : CreatePoolThread(pool, slot, std::move(workEvent), &thread);
        if (created != 0) {
            ReleaseSemaphore(pool.slotSemaphores[slot], 1, nullptr);
            return created;
        }
    }
    CTqlKernelHandle ack(_CreateEvent(nullptr, FALSE, FALSE, nullptr));
    if (!ack) {
        ReleaseSemaphore(pool.slotSemaphores[slot], 1, nullptr);
        return kTqlErrorNotEnoughMemory;
    }
    thread->work = work;
    thread->argument = argument;
    thread->handoverAck = ack.Get();
    SetEvent(thread->workEvent);
    HANDLE taken[2] = {ack.Get(), thread->thread};
    if (WaitForMultipleObjects(2, taken, FALSE, INFINITE) == WAIT_OBJECT_0) return 0;
    // The thread ended without taking the work (it was ended from outside).
    CloseThreadRecord(thread, false);
    thread = nullptr;
    ReleaseSemaphore(pool.slotSemaphores[slot], 1, nullptr);
    return kTqlErrorServiceNoThread;
}

// Frees what a pool owns besides its threads, and the pool. Copes with a
// pool that was only partly built.
void DestroyPool(Pool* pool) {
    if (pool->slotSemaphores != nullptr) {
        for (DWORD slot = 0; slot < pool->slots; ++slot) CloseIfSet(pool->slotSemaphores[slot]);
        TqlFree(pool->slotSemaphores);
    }
    TqlFree(pool->threads);
    CloseIfSet(pool->dispatchEvent);
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
    record->slotSemaphores = NewArray<HANDLE>(slots);
    bool complete = record->threads != nullptr && record->slotSemaphores != nullptr &&
                    record->lock.CreateError() == 0;
    for (DWORD slot = 0; complete && slot < slots; ++slot) {
        record->slotSemaphores[slot] = _CreateSemaphore(nullptr, 1, 1, nullptr);
        complete = record->slotSemaphores[slot] != nullptr;
    }
    if (complete) {
        record->dispatchEvent = _CreateEvent(nullptr, TRUE, FALSE, nullptr);
        complete = record->dispatchEvent != nullptr;
    }
    if (!complete) {
        DestroyPool(record);
        return kTqlErrorNotEnoughMemory;
    }
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
    CTqlSharedGuard shared(record.lock, INFINITE);
    if (shared.Result() != 0) return shared.Result();
    if (record.closed) return kTqlErrorInvalidHandle;

    SetEvent(record.dispatchEvent);
    DWORD waited =
        WaitForMultipleObjects(record.slots, record.slotSemaphores, FALSE, slotTimeoutMs);
    DWORD result;
    if (waited < WAIT_OBJECT_0 + record.slots)
        result = RunOnSlot(record, waited - WAIT_OBJECT_0, work, argument);
    else if (waited == WAIT_TIMEOUT)
        result = kNoIdleSlot;
    else
        result = GetLastError();
    ResetEvent(record.dispatchEvent);
    return result;
}

DWORD TqlWaitThreadPool(HANDLE pool, BOOL waitAll, DWORD timeoutMs) {
    CPinnedPool pinned(pool);
    if (pinned.Get() == nullptr) return kTqlErrorInvalidHandle;
    Pool& record = *pinned.Get();
    CTqlSharedGuard shared(record.lock, INFINITE);
    if (shared.Result() != 0) return shared.Result();
    if (record.closed) return kTqlErrorInvalidHandle;
    DWORD waited = WaitForMultipleObjects(record.slots, record.slotSemaphores, waitAll, timeoutMs);
    if (waited == WAIT_TIMEOUT) return 1;
    if (waited >= WAIT_OBJECT_0 + record.slots) return GetLastError();
    // Only looking: give back what the wait took.
    if (waitAll) {
        for (DWORD slot = 0; slot < record.slots; ++slot)
            ReleaseSemaphore(record.slotSemaphores[slot], 1, nullptr);
    } else {
        ReleaseSemaphore(record.slotSemaphores[waited - WAIT_OBJECT_0], 1, nullptr);
    }
    return 0;
}

DWORD TqlCloseThread(HANDLE pool, BOOL postQuitMessage) {
    CPinnedPool pinned(pool);
    if (pinned.Get() == nullptr) return kTqlErrorInvalidHandle;
    Pool& record = *pinned.Get();
    // A pool thread cannot wait for itself to stop.
    if (t_ownPool == &record) return kTqlErrorPossibleDeadlock;
    // Refuse new calls at once. The lock alone would not: a waiting writer
    // does not keep new readers out, so a stream of dispatches could keep the
    // close waiting.
    RetirePool(&record);
    CTqlExclusiveGuard exclusive(record.lock, INFINITE);
    if (exclusive.Result() != 0 || record.closed) return kTqlErrorInvalidHandle;
    for (DWORD slot = 0; slot < record.slots; ++slot) {
        if (record.threads[slot] == nullptr) continue;
        CloseThreadRecord(record.threads[slot], postQuitMessage != FALSE);
        record.threads[slot] = nullptr;
    }
    record.closed = true;
    return 0;
}

bool TqlWaitForQuit(HANDLE quitEvent, DWORD timeoutMs) {
    return WaitForSingleObject(quitEvent, timeoutMs) == WAIT_OBJECT_0;
}

LONG TqlAbandonedThreadCount() { return 0; }

}  // namespace ql
