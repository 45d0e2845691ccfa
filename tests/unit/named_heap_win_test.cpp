// Named heaps on Windows are private heaps of the system, which accepts the
// request for the low-fragmentation mode; the shared state behind them and
// behind named TLS is made of real named kernel objects, named after the
// process.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "support/platform/kernel_handle.h"
#include "support/shared_state/named_heap.h"
#include "support/shared_state/named_tls.h"
#include "support/shared_state/process_heap.h"
#include "trace_recorder.h"

namespace ql::test {

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
    // Wine accepts the request too, though it does not report the mode back
    // through HeapQueryInformation.
    EXPECT_TRUE(
        traces.Contains("CTqlSingletonProcessHeap::CTqlSingletonProcessHeap()- Try "
                        "enabling LFH for heap 'QlTestHeap-Lfh', result 1, last error "));
}

TEST(NamedHeapWin, NamedStateUsesNamedKernelObjects) {
    CTqlNamedTls tls(OLESTR("QlTestTls-Kernel"), 1, FALSE);
    ASSERT_TRUE(tls.IsInitialized());
    CTqlSingletonProcessHeap heapUser(OLESTR("TqlRT"));
    wchar_t pid[16];
    swprintf(pid, 16, L"%X", static_cast<unsigned>(GetCurrentProcessId()));
    const struct {
        const wchar_t* name;
        bool mutex;
    } rows[] = {{L"TqlNamedTls_QlTestTls-Kernel_Mutex_ProcId_0x", true},
                {L"TqlNamedTls_QlTestTls-Kernel_ShMem_ProcId_0x", false},
                {L"TqlNamedHeap_Mutex_TqlRT_ProcId_0x", true},
                {L"TqlNamedHeap_ShMem_TqlRT_ProcId_0x", false}};
    for (const auto& row : rows) {
        std::wstring name = row.name + std::wstring(pid);
        CTqlKernelHandle opened(row.mutex ? OpenMutexW(SYNCHRONIZE, FALSE, name.c_str())
                                          : OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
        EXPECT_TRUE(opened) << name.c_str();
    }
}

}  // namespace
}  // namespace ql::test
