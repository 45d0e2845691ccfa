#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include "support/platform/valid_ptr.h"
#include "trace_recorder.h"

namespace ql {
namespace {

// Three pages of this process's own mapping, released at the end.
struct Pages {
    std::size_t size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* base =
        ::mmap(nullptr, 3 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ~Pages() {
        if (base != MAP_FAILED) ::munmap(base, 3 * size);
    }
    char* Page(int index) const { return static_cast<char*>(base) + index * size; }
};

TEST(ValidPtrPosix, ReadsProtectionsAndExtentsFromTheMemoryMap) {
    test::TraceRecorder traces;
    Pages pages;
    ASSERT_NE(pages.base, MAP_FAILED);
    ASSERT_EQ(::mprotect(pages.Page(1), pages.size, PROT_READ), 0);
    ASSERT_EQ(::munmap(pages.Page(2), pages.size), 0);

    // Page 0 alone: read/write.
    EXPECT_TRUE(TqlIsValidPtr(pages.Page(0), pages.size, kTqlWritableProtections));
    // A range that runs from page 0 into the read-only page 1.
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(0) + 8, pages.size, kTqlReadableProtections));
    EXPECT_TRUE(traces.Contains("BAD PTR, (pv + cb) exceeds (BaseAddress + RegionSize)"));
    // Page 1: readable only.
    EXPECT_TRUE(TqlIsValidPtr(pages.Page(1), 16, kTqlReadableProtections));
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(1), 16, kTqlWritableProtections));
    EXPECT_TRUE(traces.Contains("memInfo.Protect (00000002) does not match dwFlags"));
    // Page 2: no longer mapped.
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(2), 1, kTqlReadableProtections));
    EXPECT_TRUE(traces.Contains("memInfo.State (00010000) is not MEM_COMMIT"));
    // No access at all.
    ASSERT_EQ(::mprotect(pages.Page(1), pages.size, PROT_NONE), 0);
    EXPECT_FALSE(TqlIsValidPtr(pages.Page(1), 1, kTqlReadableProtections));
    EXPECT_TRUE(traces.Contains("memInfo.Protect (00000001) does not match dwFlags"));
}

}  // namespace
}  // namespace ql
