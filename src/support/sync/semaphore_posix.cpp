// A semaphore made of a mutex and a condition variable. Named semaphores are
// shared within the process through a registry of names; there is no
// machine-wide namespace here.
#include "support/sync/semaphore.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>

#include "support/base/win32_errors.h"
#include "support/platform/named_object_registry.h"
#include "support/trace/trace.h"

namespace ql {

namespace {

struct SemaphoreState {
    SemaphoreState(LONG initial, LONG maximum) : count(initial), maximum(maximum) {}
    std::mutex mutex;
    std::condition_variable released;
    LONG count;
    const LONG maximum;
};

// What the handle points to: one reference to a (possibly shared) state.
struct SemaphoreHandle {
    std::shared_ptr<SemaphoreState> state;
};

// Never destroyed: static objects may still open or close semaphores while
// the process ends.
CTqlNamedObjectRegistry<SemaphoreState>& Names() {
    static auto* registry = new CTqlNamedObjectRegistry<SemaphoreState>;
    return *registry;
}

std::shared_ptr<SemaphoreState> OpenOrCreate(LONG initial, LONG maximum, LPCWSTR name) {
    std::shared_ptr<SemaphoreState> state;
    Names().OpenOrMake(
        name,
        [&](std::shared_ptr<SemaphoreState>& made) {
            made = std::make_shared<SemaphoreState>(initial, maximum);
            return DWORD{0};
        },
        state);
    return state;
}

SemaphoreState* StateOf(HANDLE handle) {
    return handle == nullptr ? nullptr : static_cast<SemaphoreHandle*>(handle)->state.get();
}

}  // namespace

CTqlSemaphore::CTqlSemaphore(LONG initial, LONG maximum, LPCWSTR name,
                             TqlSecurityAttributes* /*securityAttributes*/) noexcept {
    if (maximum <= 0 || initial < 0 || initial > maximum) {
        m_dwCreateError = kTqlErrorInvalidParameter;
    } else {
        try {
            m_hSemaphore = new SemaphoreHandle{OpenOrCreate(initial, maximum, name)};
        } catch (const std::bad_alloc&) {
            m_dwCreateError = kTqlErrorNotEnoughMemory;
        }
    }
    if (m_dwCreateError != 0) {
        TqlTraceErrorMsg(kTqlRuntimeComponent,
                         OLESTR("CTqlSemaphore::CTqlSemaphore() : _CreateSemaphore() failed, ")
                             OLESTR("err=%1!d! (%1!Z!)"),
                         m_dwCreateError);
    }
}

CTqlSemaphore::~CTqlSemaphore() { delete static_cast<SemaphoreHandle*>(m_hSemaphore); }

bool CTqlSemaphore::WaitFor(DWORD timeoutMs) noexcept {
    SemaphoreState* state = StateOf(m_hSemaphore);
    if (state == nullptr) {
        TqlTraceErrorMsg(kTqlRuntimeComponent,
                         OLESTR("CTqlSemaphore::WaitFor() : _WaitForSingleObject() WAIT_FAILED, ")
                             OLESTR("err=%1!d! (%1!Z!)"),
                         kTqlErrorInvalidHandle);
        return false;
    }
    std::unique_lock<std::mutex> lock(state->mutex);
    auto available = [state] { return state->count > 0; };
    if (timeoutMs == kTqlInfinite)
        state->released.wait(lock, available);
    else if (!state->released.wait_for(lock, std::chrono::milliseconds(timeoutMs), available))
        return false;
    --state->count;
    return true;
}

bool CTqlSemaphore::Release(LONG count) noexcept {
    DWORD error = 0;
    if (SemaphoreState* state = StateOf(m_hSemaphore); state == nullptr) {
        error = kTqlErrorInvalidHandle;
    } else if (count <= 0) {
        error = kTqlErrorInvalidParameter;
    } else {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (count > state->maximum - state->count) {
            error = kTqlErrorTooManyPosts;
        } else {
            state->count += count;
            state->released.notify_all();
        }
    }
    if (error == 0) return true;
    TqlTraceErrorMsg(kTqlRuntimeComponent,
                     OLESTR("CTqlSemaphore::Release(%1!d!) : _ReleaseSemaphore() WAIT_FAILED, ")
                         OLESTR("err=%2!d! (%2!Z!)"),
                     count, error);
    return false;
}

}  // namespace ql
