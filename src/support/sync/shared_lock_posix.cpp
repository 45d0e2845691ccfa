// The lock's state (the writer's mutex with its owner and recursion, and the
// reader count) sits under one std::mutex; waiters sleep on one condition
// variable. Named locks are shared within the process through a registry of
// names; there is no machine-wide namespace here.
#include "support/sync/shared_lock.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

#include "support/base/win32_errors.h"
#include "support/platform/named_object_registry.h"

namespace ql {

namespace {

DWORD CurrentThreadId() { return static_cast<DWORD>(::syscall(SYS_gettid)); }

struct LockState {
    std::mutex mutex;
    std::condition_variable changed;
    DWORD owner = 0;  // thread holding the writer's mutex, 0 when free
    LONG recursion = 0;
    LONG readers = 0;

    bool MutexFreeFor(DWORD thread) const { return owner == 0 || owner == thread; }
};

// Never destroyed: static objects may still open or close locks while the
// process ends.
CTqlNamedObjectRegistry<LockState>& Names() {
    static auto* registry = new CTqlNamedObjectRegistry<LockState>;
    return *registry;
}

std::shared_ptr<LockState> OpenOrCreate(LPCWSTR name) {
    std::shared_ptr<LockState> state;
    Names().OpenOrMake(
        name,
        [](std::shared_ptr<LockState>& made) {
            made = std::make_shared<LockState>();
            return DWORD{0};
        },
        state);
    return state;
}

// Waits until ready() holds; false when the time-out passed first.
template <class Ready>
bool WaitUntilReady(LockState& state, std::unique_lock<std::mutex>& lock, DWORD timeoutMs,
                    Ready ready) {
    if (timeoutMs == kTqlInfinite) {
        state.changed.wait(lock, ready);
        return true;
    }
    return state.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

}  // namespace

struct CTqlSharedLock::State {
    std::shared_ptr<LockState> shared;
};

CTqlSharedLock::CTqlSharedLock(LPCWSTR name,
                               TqlSecurityAttributes* /*securityAttributes*/) noexcept {
    try {
        m_state = std::make_unique<State>(State{OpenOrCreate(name)});
    } catch (const std::bad_alloc&) {
        m_dwCreateError = kTqlErrorNotEnoughMemory;
    }
}

CTqlSharedLock::~CTqlSharedLock() = default;

DWORD CTqlSharedLock::AcquireShared(DWORD timeoutMs) noexcept {
    if (m_state == nullptr) return m_dwCreateError;
    LockState& state = *m_state->shared;
    DWORD self = CurrentThreadId();
    std::unique_lock<std::mutex> lock(state.mutex);
    if (!WaitUntilReady(state, lock, timeoutMs, [&] { return state.MutexFreeFor(self); }))
        return kTqlErrorTimeout;
    ++state.readers;
    return 0;
}

DWORD CTqlSharedLock::ReleaseShared(DWORD timeoutMs) noexcept {
    if (m_state == nullptr) return m_dwCreateError;
    LockState& state = *m_state->shared;
    DWORD self = CurrentThreadId();
    std::unique_lock<std::mutex> lock(state.mutex);
    if (!WaitUntilReady(state, lock, timeoutMs, [&] { return state.MutexFreeFor(self); }))
        return kTqlErrorTimeout;
    if (state.readers == 0) return kTqlErrorNotOwner;
    if (--state.readers == 0) state.changed.notify_all();
    return 0;
}

DWORD CTqlSharedLock::AcquireExclusive(DWORD timeoutMs) noexcept {
    if (m_state == nullptr) return m_dwCreateError;
    LockState& state = *m_state->shared;
    DWORD self = CurrentThreadId();
    std::unique_lock<std::mutex> lock(state.mutex);
    if (!WaitUntilReady(state, lock, timeoutMs,
                        [&] { return state.MutexFreeFor(self) && state.readers == 0; }))
        return kTqlErrorTimeout;
    state.owner = self;
    ++state.recursion;
    return 0;
}

DWORD CTqlSharedLock::ReleaseExclusive() noexcept {
    if (m_state == nullptr) return m_dwCreateError;
    LockState& state = *m_state->shared;
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.owner != CurrentThreadId()) return kTqlErrorNotOwner;
    if (--state.recursion == 0) {
        state.owner = 0;
        state.changed.notify_all();
    }
    return 0;
}

DWORD CTqlSharedLock::ExclusiveOwner() const noexcept {
    if (m_state == nullptr) return 0;
    LockState& state = *m_state->shared;
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.owner;
}

}  // namespace ql
