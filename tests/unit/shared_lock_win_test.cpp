#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "support/sync/shared_lock.h"

namespace ql {
namespace {

TEST(SharedLockWin, AWriterThatEndedWithoutReleasingLeavesItAcquirable) {
    CTqlSharedLock lock;
    DWORD acquired = 0xFFFFFFFF;
    std::thread writer([&] { acquired = lock.AcquireExclusive(0); });
    writer.join();
    ASSERT_EQ(acquired, 0u);
    // The mutex is abandoned now, which counts as acquired.
    EXPECT_EQ(lock.AcquireExclusive(0), 0u);
    EXPECT_EQ(lock.ReleaseExclusive(), 0u);
    EXPECT_EQ(lock.AcquireShared(0), 0u);
    EXPECT_EQ(lock.ReleaseShared(0), 0u);
}

bool Exists(const std::wstring& name) {
    for (const std::wstring& prefix : {std::wstring(L"Global\\"), std::wstring()}) {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, (prefix + name + L"_Mutex").c_str());
        HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, (prefix + name + L"_Event").c_str());
        HANDLE semaphore = OpenSemaphoreW(SYNCHRONIZE, FALSE, (prefix + name + L"_Sema").c_str());
        bool all = mutex != nullptr && event != nullptr && semaphore != nullptr;
        for (HANDLE handle : {mutex, event, semaphore})
            if (handle != nullptr) CloseHandle(handle);
        if (all) return true;
    }
    return false;
}

TEST(SharedLockWin, ANamedLockIsMadeOfThreeNamedObjects) {
    std::wstring name = L"QuillonTest_NamedLock_" + std::to_wstring(GetCurrentProcessId());
    {
        CTqlSharedLock lock(name.c_str());
        ASSERT_EQ(lock.CreateError(), 0u);
        EXPECT_TRUE(Exists(name));
    }
    EXPECT_FALSE(Exists(name));  // gone with the last handle
}

}  // namespace
}  // namespace ql
