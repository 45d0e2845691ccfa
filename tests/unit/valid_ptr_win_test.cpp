#include <gtest/gtest.h>

#include <cstdint>

#include "support/platform/valid_ptr.h"
#include "trace_recorder.h"

namespace ql {
namespace {

// Three pages reserved, the first two committed; released at the end.
class Pages {
public:
    Pages() {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        m_size = info.dwPageSize;
        m_base = static_cast<char*>(VirtualAlloc(nullptr, 3 * m_size, MEM_RESERVE, PAGE_NOACCESS));
        if (m_base != nullptr) VirtualAlloc(m_base, 2 * m_size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~Pages() {
        if (m_base != nullptr) VirtualFree(m_base, 0, MEM_RELEASE);
    }
    Pages(const Pages&) = delete;
    Pages& operator=(const Pages&) = delete;
    char* Page(int index) const { return m_base + index * m_size; }
    SIZE_T Size() const { return m_size; }

private:
    char* m_base = nullptr;
    SIZE_T m_size = 0;
};

TEST(ValidPtrWin, ReadsStateProtectionAndExtentOfTheRegion) {
    test::TraceRecorder traces;
    Pages pages;
    ASSERT_NE(pages.Page(0), nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages.Page(1), pages.Size(), PAGE_READONLY, &old));

    EXPECT_TRUE(TqlIsValidPtr(pages.Page(0), pages.Size(), kTqlWritableProtections));
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(0) + 8, pages.Size(), kTqlReadableProtections));
    EXPECT_TRUE(traces.Contains("BAD PTR, (pv + cb) exceeds (BaseAddress + RegionSize)"));
    EXPECT_TRUE(TqlIsValidPtr(pages.Page(1), 16, kTqlReadableProtections));
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(1), 16, kTqlWritableProtections));
    EXPECT_TRUE(traces.Contains("memInfo.Protect (00000002) does not match dwFlags"));
    // Reserved, not committed.
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(2), 1, kTqlReadableProtections));
    EXPECT_TRUE(traces.Contains("memInfo.State (00002000) is not MEM_COMMIT"));
}

TEST(ValidPtrWin, AGuardPageIsNotValid) {
    Pages pages;
    ASSERT_NE(pages.Page(0), nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages.Page(0), pages.Size(), PAGE_READWRITE | PAGE_GUARD, &old));
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(0), 8, kTqlReadableProtections));
    // Checking did not touch it: the guard is still armed.
    MEMORY_BASIC_INFORMATION info = {};
    ASSERT_NE(VirtualQuery(pages.Page(0), &info, sizeof info), 0u);
    EXPECT_NE(info.Protect & PAGE_GUARD, 0u);
}

TEST(ValidPtrWin, AKernelAddressIsNotValid) {
    test::TraceRecorder traces;
    const void* kernel = reinterpret_cast<const void*>(~std::uintptr_t{0} - 0xFFFF);
    EXPECT_FALSE(TqlIsValidPtr(kernel, 1, kTqlReadableProtections));
    EXPECT_TRUE(
        traces.Contains("BAD PTR, VirtualQuery returned 0, possibly is a kernel-mode address"));
}

}  // namespace
}  // namespace ql
