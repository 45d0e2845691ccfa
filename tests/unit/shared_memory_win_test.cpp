// The shared state on Windows is made of real named kernel objects, named
// after the process.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "support/platform/kernel_handle.h"
#include "support/shared_state/named_heap.h"
#include "support/shared_state/named_tls.h"

namespace ql {
namespace {

TEST(SharedMemoryWin, NamedStateUsesNamedKernelObjects) {
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
}  // namespace ql
