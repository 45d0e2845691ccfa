// The shared state on Windows: real named kernel objects, and file mappings
// of open files.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <filesystem>
#include <string>

#include "support/base/wide_string.h"
#include "support/shared_state/named_heap.h"
#include "support/shared_state/named_tls.h"
#include "support/shared_state/shared_memory.h"
#include "temp_dir.h"

namespace ql {
namespace {

// Owns a file or kernel object handle.
class CHandle {
public:
    explicit CHandle(HANDLE handle) : m_h(handle) {}
    ~CHandle() {
        if (IsValid()) CloseHandle(m_h);
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    HANDLE Get() const { return m_h; }
    bool IsValid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

std::string Pattern(std::size_t bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

HANDLE OpenFile(const std::filesystem::path& path, DWORD access) {
    return CreateFileW(path.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(SharedMemoryWin, MapsAnOpenFileReadWrite) {
    test::TempDir dir;
    auto path = dir.Path() / "hundred.bin";
    test::WriteAll(path, Pattern(100));
    {
        CHandle file(OpenFile(path, GENERIC_READ | GENERIC_WRITE));
        ASSERT_TRUE(file.IsValid());
        CTqlSharedMemory memory;
        ASSERT_EQ(memory.Create(nullptr, 100, nullptr, nullptr, nullptr, FALSE, file.Get()), 0u);
        EXPECT_EQ(memory.GetSize(), 100u);
        ASSERT_NE(memory.GetData(), nullptr);
        EXPECT_EQ(std::memcmp(memory.GetData(), Pattern(100).data(), 100), 0);
        std::memcpy(memory.GetData(), "HEAD", 4);
        EXPECT_EQ(memory.Lock(0), 0u) << "an unnamed mutex guards it";
        EXPECT_EQ(memory.Unlock(), 0u);
    }
    EXPECT_EQ(test::ReadAll(path), "HEAD" + Pattern(100).substr(4));
}

TEST(SharedMemoryWin, FileMappingsFollowTheFilesAccessAndSize) {
    test::TempDir dir;
    auto path = dir.Path() / "small.bin";
    test::WriteAll(path, Pattern(10));
    {
        CHandle readOnly(OpenFile(path, GENERIC_READ));
        ASSERT_TRUE(readOnly.IsValid());
        CTqlSharedMemory writable;
        EXPECT_EQ(writable.Create(nullptr, 10, nullptr, nullptr, nullptr, FALSE, readOnly.Get()),
                  5u);
        EXPECT_FALSE(writable.IsCreated());
        CTqlSharedMemory reader;
        ASSERT_EQ(reader.Create(nullptr, 10, nullptr, nullptr, nullptr, TRUE, readOnly.Get()), 0u);
        EXPECT_EQ(std::memcmp(reader.GetData(), Pattern(10).data(), 10), 0);
        CTqlSharedMemory beyond;
        // Read-only, a mapping cannot reach past the end of the file.
        EXPECT_EQ(beyond.Create(nullptr, 20, nullptr, nullptr, nullptr, TRUE, readOnly.Get()), 8u);
    }
    {
        CHandle file(OpenFile(path, GENERIC_READ | GENERIC_WRITE));
        CTqlSharedMemory longer;
        ASSERT_EQ(longer.Create(nullptr, 30, nullptr, nullptr, nullptr, FALSE, file.Get()), 0u);
        EXPECT_EQ(static_cast<const char*>(longer.GetData())[29], 0);
    }
    EXPECT_EQ(test::ReadAll(path).size(), 30u);
}

TEST(SharedMemoryWin, NamedStateUsesNamedKernelObjects) {
    CTqlNamedTls tls(OLESTR("QlTestTls-Kernel"), 1, FALSE);
    ASSERT_TRUE(tls.IsInitialized());
    wchar_t hex[16];
    swprintf(hex, 16, L"%X", static_cast<unsigned>(GetCurrentProcessId()));
    std::wstring mutexName = L"TqlNamedTls_QlTestTls-Kernel_Mutex_ProcId_0x" + std::wstring(hex);
    std::wstring shmemName = L"TqlNamedTls_QlTestTls-Kernel_ShMem_ProcId_0x" + std::wstring(hex);
    CHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, mutexName.c_str()));
    EXPECT_TRUE(mutex.IsValid());
    CHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, shmemName.c_str()));
    EXPECT_TRUE(mapping.IsValid());

    CTqlSingletonProcessHeap heapUser(OLESTR("TqlRT"));
    std::wstring heapMutex = L"TqlNamedHeap_Mutex_TqlRT_ProcId_0x" + std::wstring(hex);
    std::wstring heapShmem = L"TqlNamedHeap_ShMem_TqlRT_ProcId_0x" + std::wstring(hex);
    CHandle heapMutexHandle(OpenMutexW(SYNCHRONIZE, FALSE, heapMutex.c_str()));
    EXPECT_TRUE(heapMutexHandle.IsValid());
    CHandle heapMapping(OpenFileMappingW(FILE_MAP_READ, FALSE, heapShmem.c_str()));
    EXPECT_TRUE(heapMapping.IsValid());
}

}  // namespace
}  // namespace ql
