// What the platform implementations of the thread pool share: record tags,
// error codes, argument checks, record allocation and the registry of live
// pools.
#pragma once

#include <new>
#include <utility>

#include "support/base/win32_errors.h"
#include "support/shared_state/process_heap.h"
#include "support/sync/thread_pool.h"

namespace ql::pool_detail {

// The first two words of every record; a handle must carry them.
inline constexpr DWORD kPoolTag = 0x0127BDF0;
inline constexpr DWORD kPoolThreadTag = 0x0127BDFF;
inline constexpr DWORD kSecondTag = 0xAB67D980;

// A dispatch that found no idle slot in time.
inline constexpr DWORD kNoIdleSlot = 1;
// The exit code of a thread that expired or was killed.
inline constexpr DWORD kExpiredExitCode = kTqlErrorTimeout;
// An idle thread that times out while a dispatch is under way waits again at
// least this long, so that the dispatch can still pick it.
inline constexpr DWORD kMinExpiryWhileDispatchingMs = 30000;

DWORD CheckCreateArguments(const HANDLE* pool, DWORD slots, DWORD idleExpiryMs);
DWORD CheckRunArguments(TqlThreadWorkFn work, DWORD reserved);

// True when record's first 8 bytes are readable and writable memory and carry
// firstTag and kSecondTag.
bool HasTags(const void* record, DWORD firstTag);

// Records live in the shared heap. NewRecord returns null when memory runs out.
template <class T>
T* NewRecord() {
    void* block = TqlAlloc(sizeof(T));
    return block == nullptr ? nullptr : new (block) T();
}

template <class T>
void DeleteRecord(T* record) {
    if (record == nullptr) return;
    record->~T();
    TqlFree(record);
}

// Arrays of trivial elements from the shared heap, zero-filled.
template <class T>
T* NewArray(DWORD count) {
    return static_cast<T*>(TqlAlloc(sizeof(T) * count));
}

// Live pools. A handle is usable only while registered, so a closed or forged
// handle is refused without being dereferenced. Users pin a pool for the
// length of a call; a pool is freed by whoever drops the last pin after it
// was retired (closed).
void RegisterPool(void* pool);
// Pins a registered, not retired pool whose tags are intact; false otherwise.
bool PinPool(void* pool);
// Retires a pool that the caller has pinned: no new pins are granted.
void RetirePool(void* pool);
// Drops a pin; true when the pool was retired and this was its last pin: the
// caller must then free it.
[[nodiscard]] bool UnpinPool(void* pool);

// A pin held for a scope. Destroy is called with the pool when the last pin
// of a retired pool goes.
template <class Pool, void (*Destroy)(Pool*)>
class CPoolPin {
public:
    explicit CPoolPin(HANDLE handle) noexcept
        : m_pool(PinPool(handle) ? static_cast<Pool*>(handle) : nullptr) {}
    ~CPoolPin() {
        if (m_pool != nullptr && UnpinPool(m_pool)) Destroy(m_pool);
    }
    CPoolPin(const CPoolPin&) = delete;
    CPoolPin& operator=(const CPoolPin&) = delete;
    Pool* Get() const noexcept { return m_pool; }

private:
    Pool* m_pool;
};

}  // namespace ql::pool_detail
