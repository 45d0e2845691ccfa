// Named heaps on Windows are private heaps of the system, in the
// low-fragmentation mode.
#include <gtest/gtest.h>

#include "support/shared_state/named_heap.h"
#include "support/shared_state/process_heap.h"
#include "trace_recorder.h"

namespace ql {
namespace {

TEST(NamedHeapWin, SharedHeapIsAPrivateHeapOfItsOwn) {
    HANDLE heap = TqlRtHeap().GetHeap();
    ASSERT_NE(heap, nullptr);
    EXPECT_NE(heap, GetProcessHeap());
    void* block = TqlAlloc(100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(HeapSize(heap, 0, block), 100u);
    EXPECT_TRUE(HeapValidate(heap, 0, block));
    EXPECT_EQ(TqlFree(block), 0u);
}

TEST(NamedHeapWin, NewHeapAsksForTheLowFragmentationMode) {
    test::TraceRecorder traces;
    CTqlSingletonProcessHeap heap(OLESTR("QlTestHeap-Lfh"));
    ASSERT_NE(heap.GetHeap(), nullptr);
    // The system accepts the request (Wine too, though it does not report
    // the mode back through HeapQueryInformation).
    EXPECT_TRUE(
        traces.Contains("CTqlSingletonProcessHeap::CTqlSingletonProcessHeap()- Try "
                        "enabling LFH for heap 'QlTestHeap-Lfh', result 1, last error "));
}

}  // namespace
}  // namespace ql
