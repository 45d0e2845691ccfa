// Blocks carry their heap here, so a block given to the wrong heap is
// refused rather than corrupting either; and there is no low-fragmentation
// mode to ask for.
#include <gtest/gtest.h>

#include <cstring>

#include "support/shared_state/named_heap.h"
#include "trace_recorder.h"

namespace ql::test {

namespace {

TEST(NamedHeapPosix, BlockOfAnotherHeapIsRefused) {
    CTqlSingletonProcessHeap owner(OLESTR("QlTestHeap-Owner"));
    CTqlSingletonProcessHeap stranger(OLESTR("QlTestHeap-Stranger"));
    ASSERT_NE(owner.GetHeap(), stranger.GetHeap());
    auto* block = static_cast<char*>(owner.Alloc(8));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "mine", 5);
    EXPECT_EQ(stranger.Free(block), 87u);
    EXPECT_EQ(stranger.ReAlloc(block, 64), nullptr);
    EXPECT_STREQ(block, "mine");
    EXPECT_EQ(owner.Free(block), 0u);
}

TEST(NamedHeapPosix, LowFragmentationModeIsReportedUnsupported) {
    test::TraceRecorder traces;
    CTqlSingletonProcessHeap heap(OLESTR("QlTestHeap-Lfh"));
    ASSERT_NE(heap.GetHeap(), nullptr);
    EXPECT_TRUE(
        traces.Contains("CTqlSingletonProcessHeap::CTqlSingletonProcessHeap()- Try "
                        "enabling LFH for heap 'QlTestHeap-Lfh', result 0, last error 50"));
}

}  // namespace
}  // namespace ql::test
