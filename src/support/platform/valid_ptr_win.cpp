#include "support/platform/valid_ptr.h"

#include <cstdint>

#include "support/trace/trace.h"

namespace ql {

bool TqlIsValidPtr(const void* pointer, SIZE_T size, DWORD protectionMask) {
    if (pointer == nullptr) return false;
    MEMORY_BASIC_INFORMATION info = {};
    if (VirtualQuery(pointer, &info, sizeof info) == 0) {
        TqlTrace(kTqlRuntimeComponent, kTqlLevelEntry,
                 L"%p: BAD PTR, VirtualQuery returned 0, possibly is a kernel-mode address",
                 pointer);
        return false;
    }
    if (info.State != MEM_COMMIT) {
        TqlTrace(kTqlRuntimeComponent, kTqlLevelEntry,
                 L"%p: BAD PTR, memInfo.State (%08lX) is not MEM_COMMIT", pointer, info.State);
        return false;
    }
    // A guard page faults on first touch, whatever else its protection says.
    if ((info.Protect & protectionMask) == 0 || (info.Protect & PAGE_GUARD) != 0) {
        TqlTrace(kTqlRuntimeComponent, kTqlLevelEntry,
                 L"%p: BAD PTR, memInfo.Protect (%08lX) does not match dwFlags", pointer,
                 info.Protect);
        return false;
    }
    if (info.RegionSize < size) {
        TqlTrace(kTqlRuntimeComponent, kTqlLevelEntry,
                 L"%p: BAD PTR, memInfo.RegionSize (%d) is less than cb", pointer,
                 static_cast<int>(info.RegionSize));
        return false;
    }
    auto start = reinterpret_cast<std::uintptr_t>(pointer);
    auto regionEnd = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
    if (start + size < start || start + size > regionEnd) {
        TqlTrace(kTqlRuntimeComponent, kTqlLevelEntry,
                 L"%p: BAD PTR, (pv + cb) exceeds (BaseAddress + RegionSize)", pointer);
        return false;
    }
    return true;
}

}  // namespace ql
