#include <gtest/gtest.h>

#include <cstdint>

#include "support/platform/valid_ptr.h"
#include "trace_recorder.h"

namespace ql {
namespace {

SIZE_T PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

// Three pages reserved, the first two committed; released at the end.
struct Pages {
    SIZE_T size = PageSize();
    char* base = static_cast<char*>(VirtualAlloc(nullptr, 3 * size, MEM_RESERVE, PAGE_NOACCESS));
    Pages() {
        if (base != nullptr) VirtualAlloc(base, 2 * size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~Pages() {
        if (base != nullptr) VirtualFree(base, 0, MEM_RELEASE);
    }
    char* Page(int index) const { return base + index * size; }
};

TEST(ValidPtrWin, ReadsStateProtectionAndExtentOfTheRegion) {
    test::TraceRecorder traces;
    Pages pages;
    ASSERT_NE(pages.Page(0), nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages.Page(1), pages.size, PAGE_READONLY, &old));

    EXPECT_TRUE(TqlIsValidPtr(pages.Page(0), pages.size, kTqlWritableProtections));
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(0) + 8, pages.size, kTqlReadableProtections));
    EXPECT_TRUE(traces.Contains("BAD PTR, (pv + cb) exceeds (BaseAddress + RegionSize)"));
    EXPECT_TRUE(TqlIsValidPtr(pages.Page(1), 16, kTqlReadableProtections));
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(1), 16, kTqlWritableProtections));
    EXPECT_TRUE(traces.Contains("memInfo.Protect (00000002) does not match dwFlags"));
    // Reserved, not committed.
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(2), 1, kTqlReadableProtections));
    EXPECT_TRUE(traces.Contains("memInfo.State (00002000) is not MEM_COMMIT"));
    // No answer at all for a kernel address.
    const void* kernel = reinterpret_cast<const void*>(~std::uintptr_t{0} - 0xFFFF);
    EXPECT_FALSE(TqlIsValidPtr(kernel, 1, kTqlReadableProtections));
    EXPECT_TRUE(
        traces.Contains("BAD PTR, VirtualQuery returned 0, possibly is a kernel-mode address"));
    // A guard page is not valid, and checking it leaves the guard armed.
    ASSERT_TRUE(VirtualProtect(pages.Page(0), pages.size, PAGE_READWRITE | PAGE_GUARD, &old));
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(0), 8, kTqlReadableProtections));
    MEMORY_BASIC_INFORMATION info = {};
    ASSERT_NE(VirtualQuery(pages.Page(0), &info, sizeof info), 0u);
    EXPECT_NE(info.Protect & PAGE_GUARD, 0u);
}

}  // namespace
}  // namespace ql
