#include <atomic>
#include <mutex>
#include <unordered_map>

#include "support/base/win32_errors.h"
#include "support/platform/valid_ptr.h"
#include "support/sync/thread_pool_internal.h"

namespace ql::pool_detail {

namespace {

struct PoolEntry {
    LONG pins = 0;
    bool retired = false;
};

struct PoolRegistry {
    std::mutex mutex;
    std::unordered_map<void*, PoolEntry> pools;
};

// Never destroyed: pools may be used by threads that outlive static
// destruction.
PoolRegistry& Registry() {
    static PoolRegistry* registry = new PoolRegistry;
    return *registry;
}

}  // namespace

// The shortest idle expiry accepted; lowered only by tests.
std::atomic<DWORD> g_minIdleExpiryMs{kTqlPoolMinIdleExpiryMs};

DWORD CheckCreateArguments(const HANDLE* pool, DWORD slots, DWORD idleExpiryMs) {
    if (pool == nullptr || slots < 1 || slots > kTqlPoolMaxSlots ||
        idleExpiryMs < g_minIdleExpiryMs.load())
        return kTqlErrorInvalidParameter;
    return 0;
}

}  // namespace ql::pool_detail

namespace ql {

DWORD TqlSetMinIdleExpiryForTesting(DWORD minimumMs) {
    return pool_detail::g_minIdleExpiryMs.exchange(minimumMs);
}

}  // namespace ql

namespace ql::pool_detail {

DWORD CheckRunArguments(TqlThreadWorkFn work, DWORD reserved) {
    return work == nullptr || reserved != 0 ? kTqlErrorInvalidParameter : 0;
}

bool HasTags(const void* record, DWORD firstTag) {
    constexpr SIZE_T kTagBytes = 2 * sizeof(DWORD);
    if (!TqlIsValidPtr(record, kTagBytes, kTqlReadableProtections) ||
        !TqlIsValidPtr(record, kTagBytes, kTqlWritableProtections))
        return false;
    const auto* tags = static_cast<const DWORD*>(record);
    return tags[0] == firstTag && tags[1] == kSecondTag;
}

void RegisterPool(void* pool) {
    PoolRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.pools[pool] = PoolEntry{};
}

bool PinPool(void* pool) {
    if (pool == nullptr) return false;
    {
        PoolRegistry& registry = Registry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        auto found = registry.pools.find(pool);
        if (found == registry.pools.end() || found->second.retired) return false;
        ++found->second.pins;
    }
    // Pinned, hence live: its memory may be checked and its tags read.
    if (HasTags(pool, kPoolTag)) return true;
    // The pool's memory was overwritten: refuse it, and never free it.
    static_cast<void>(UnpinPool(pool));
    return false;
}

void RetirePool(void* pool) {
    PoolRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.pools.find(pool);
    if (found != registry.pools.end()) found->second.retired = true;
}

bool UnpinPool(void* pool) {
    PoolRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.pools.find(pool);
    if (found == registry.pools.end()) return false;
    PoolEntry& entry = found->second;
    if (--entry.pins > 0 || !entry.retired) return false;
    registry.pools.erase(found);
    return true;
}

}  // namespace ql::pool_detail
