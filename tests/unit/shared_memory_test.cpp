// Shared memory on every platform: named blocks (one per process and name),
// their guard mutex, the failures Create reports, and mappings of open files.
#include "support/shared_state/shared_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <regex>
#include <string>
#include <thread>

#include "support/base/wide_string.h"
#include "temp_dir.h"
#include "trace_recorder.h"

namespace ql {
namespace {

constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorAlreadyInitialized = 1247;
constexpr DWORD kErrorTimeout = 1460;

// Runs call on another thread and returns its result.
template <class Call>
DWORD Elsewhere(Call call) {
    return std::async(std::launch::async, call).get();
}

// Locks memory from another thread, which gives the lock back at once.
DWORD LockElsewhere(CTqlSharedMemory& memory, DWORD timeout) {
    return Elsewhere([&] {
        DWORD result = memory.Lock(timeout);
        if (result == 0) memory.Unlock();
        return result;
    });
}

TEST(SharedMemory, RefusesSizeZeroAndASecondCreate) {
    test::TraceRecorder traces;
    CTqlSharedMemory memory;
    EXPECT_EQ(memory.Create(OLESTR("QlTestShm-Twice"), 0, OLESTR("QlTestShm-Twice-M")),
              kErrorInvalidParameter);
    EXPECT_FALSE(memory.IsCreated());
    EXPECT_EQ(memory.GetData(), nullptr);

    ASSERT_EQ(memory.Create(OLESTR("QlTestShm-Twice"), 16, OLESTR("QlTestShm-Twice-M")), 0u);
    ASSERT_NE(memory.GetData(), nullptr);
    std::memcpy(memory.GetData(), "0123456789abcdef", 16);
    void* view = memory.GetData();

    // The second Create changes nothing, whatever it asks for.
    const char other[32] = "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz";
    EXPECT_EQ(memory.Create(OLESTR("QlTestShm-Other"), 32, nullptr, other),
              kErrorAlreadyInitialized);
    EXPECT_EQ(memory.GetData(), view);
    EXPECT_EQ(memory.GetSize(), 16u);
    EXPECT_EQ(std::memcmp(memory.GetData(), "0123456789abcdef", 16), 0);
    CTqlSharedMemory other32;
    ASSERT_EQ(other32.Create(OLESTR("QlTestShm-Other"), 32, nullptr), 0u);
    EXPECT_EQ(static_cast<const char*>(other32.GetData())[0], 0) << "no block was made";

    // Every Create traces its result at level 3 on the runtime component.
    const auto messages = traces.Messages();
    for (const char* text :
         {"CTqlSharedMemory::Create(QlTestShm-Twice, 0, QlTestShm-Twice-M) result - 87",
          "CTqlSharedMemory::Create(QlTestShm-Other, 32, <null>) result - 0"}) {
        auto found = std::find_if(messages.begin(), messages.end(),
                                  [text](const auto& message) { return message.text == text; });
        ASSERT_NE(found, messages.end()) << text;
        EXPECT_EQ(found->component + std::to_string(found->level), "RT3");
    }
}

TEST(SharedMemory, EqualNamesGiveOneBlock) {
    const char initial[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    CTqlSharedMemory first;
    ASSERT_EQ(first.Create(OLESTR("QlTestShm-One"), 8, OLESTR("QlTestShm-One-M"), initial), 0u);
    EXPECT_EQ(std::memcmp(first.GetData(), initial, 8), 0);

    // The second user adopts the block: its initial data does not apply.
    const char zeros[8] = {};
    CTqlSharedMemory second;
    ASSERT_EQ(second.Create(OLESTR("QlTestShm-One"), 8, OLESTR("QlTestShm-One-M"), zeros), 0u);
    EXPECT_EQ(std::memcmp(second.GetData(), initial, 8), 0);
    static_cast<char*>(second.GetData())[0] = 42;
    EXPECT_EQ(static_cast<const char*>(first.GetData())[0], 42);

    CTqlSharedMemory unrelated;
    ASSERT_EQ(unrelated.Create(OLESTR("QlTestShm-Two"), 8, OLESTR("QlTestShm-One-M")), 0u);
    EXPECT_EQ(std::memcmp(unrelated.GetData(), zeros, 8), 0);

    // The block lives while anyone holds it; then the name is free again.
    first.Close();
    EXPECT_EQ(static_cast<const char*>(second.GetData())[0], 42);
    second.Close();
    CTqlSharedMemory fresh;
    ASSERT_EQ(fresh.Create(OLESTR("QlTestShm-One"), 8, nullptr), 0u);
    EXPECT_EQ(std::memcmp(fresh.GetData(), zeros, 8), 0);
}

TEST(SharedMemory, AdoptedBlockRecordsWhatItReallyHolds) {
    CTqlSharedMemory small;
    ASSERT_EQ(small.Create(OLESTR("QlTestShm-Small"), 8, nullptr), 0u);
    CTqlSharedMemory large;
    ASSERT_EQ(large.Create(OLESTR("QlTestShm-Small"), 0x100000, nullptr, nullptr, nullptr, FALSE,
                           TqlPagingFile(), 1),
              0u);
    // Whole pages of the 8-byte block, not the megabytes asked for.
    EXPECT_GE(large.GetSize(), 8u);
    EXPECT_LE(large.GetSize(), 0x10000u);
    EXPECT_EQ(large.GetSizeHigh(), 0u);
    // A smaller request keeps its own size.
    CTqlSharedMemory smaller;
    ASSERT_EQ(smaller.Create(OLESTR("QlTestShm-Small"), 4, nullptr), 0u);
    EXPECT_EQ(smaller.GetSize(), 4u);
}

TEST(SharedMemory, NameHeldByAnotherKindOfObjectFails) {
    test::TraceRecorder traces;  // the error's text is the system's own
    // The mutex takes the name first, so the mapping cannot have it.
    CTqlSharedMemory memory;
    EXPECT_EQ(memory.Create(OLESTR("QlTestShm-Clash"), 8, OLESTR("QlTestShm-Clash")),
              kErrorInvalidHandle);
    EXPECT_FALSE(memory.IsCreated());
    EXPECT_EQ(memory.GetData(), nullptr);
    EXPECT_EQ(memory.Lock(), 0u) << "no mutex is left open";
    EXPECT_TRUE(
        traces.Contains("CTqlSharedMemory::Create()- _CreateFileMapping() failed, err=6 ("));
    EXPECT_TRUE(traces.Contains(
        "CTqlSharedMemory::Create(QlTestShm-Clash, 8, QlTestShm-Clash) result - 6"));

    // And the other way round: a mapping holds the mutex's name.
    CTqlSharedMemory holder;
    ASSERT_EQ(holder.Create(OLESTR("QlTestShm-Clash2"), 8, nullptr), 0u);
    CTqlSharedMemory blocked;
    EXPECT_EQ(blocked.Create(OLESTR("QlTestShm-Other2"), 8, OLESTR("QlTestShm-Clash2")),
              kErrorInvalidHandle);
    EXPECT_TRUE(traces.Contains("CTqlSharedMemory::Create()- _CreateMutex() failed, err=6 ("));
}

TEST(SharedMemory, LockIsRecursivePerThreadAndTimesOut) {
    CTqlSharedMemory memory;
    EXPECT_EQ(memory.Lock(0), 0u) << "without a mutex locking succeeds at once";
    EXPECT_EQ(memory.Unlock(), 0u);
    ASSERT_EQ(memory.Create(OLESTR("QlTestShm-Lock"), 4, OLESTR("QlTestShm-Lock-M")), 0u);
    // Another block guarded by the same mutex.
    CTqlSharedMemory other;
    ASSERT_EQ(other.Create(OLESTR("QlTestShm-Lock2"), 4, OLESTR("QlTestShm-Lock-M")), 0u);

    EXPECT_EQ(memory.Lock(0), 0u);
    EXPECT_EQ(memory.Lock(0), 0u);
    EXPECT_EQ(memory.Unlock(), 0u);
    EXPECT_EQ(LockElsewhere(other, 50), kErrorTimeout) << "still held once";
    EXPECT_EQ(memory.Unlock(), 0u);
    EXPECT_NE(memory.Unlock(), 0u) << "not held any more";
    EXPECT_EQ(LockElsewhere(other, 10000), 0u);
}

TEST(SharedMemory, ShieldHoldsTheLockForItsScope) {
    CTqlSharedMemory memory;
    ASSERT_EQ(memory.Create(OLESTR("QlTestShm-Shield"), 4, OLESTR("QlTestShm-Shield-M")), 0u);
    CTqlSharedMemory other;
    ASSERT_EQ(other.Create(OLESTR("QlTestShm-Shield"), 4, OLESTR("QlTestShm-Shield-M")), 0u);
    {
        CTqlSharedMemory::CShield shield(memory);
        EXPECT_TRUE(shield.IsLocked());
        EXPECT_EQ(shield.GetResult(), 0u);
        EXPECT_EQ(LockElsewhere(other, 20), kErrorTimeout);
        // A shield that could not lock says so.
        EXPECT_EQ(Elsewhere([&] {
                      CTqlSharedMemory::CShield refused(other, true, 20);
                      return refused.IsLocked() ? 0u : refused.GetResult();
                  }),
                  kErrorTimeout);
    }
    EXPECT_EQ(LockElsewhere(other, 10000), 0u);
    {
        CTqlSharedMemory::CShield unlocked(memory, false);
        EXPECT_FALSE(unlocked.IsLocked());
        EXPECT_EQ(unlocked.GetResult(), 0u);
        EXPECT_EQ(LockElsewhere(other, 10000), 0u);
    }
}

TEST(SharedMemory, CreateGivesUpWhenTheMutexStaysTaken) {
    test::TraceRecorder traces;
    CTqlSharedMemory holder;
    ASSERT_EQ(holder.Create(OLESTR("QlTestShm-Holder"), 4, OLESTR("QlTestShm-Busy-M")), 0u);
    ASSERT_EQ(holder.Lock(), 0u);
    CTqlSharedMemory memory;
    auto create = [&memory](DWORD timeout) {
        return memory.Create(OLESTR("QlTestShm-Busy"), 4, OLESTR("QlTestShm-Busy-M"), nullptr,
                             nullptr, FALSE, TqlPagingFile(), 0, timeout);
    };
    EXPECT_EQ(Elsewhere([&] { return create(30); }), kErrorTimeout);
    EXPECT_FALSE(memory.IsCreated());
    EXPECT_EQ(memory.Lock(0), 0u) << "no mutex is left open";
    EXPECT_TRUE(traces.Contains("CTqlSharedMemory::Create()- shield(this) failed, err=1460 ("));
    ASSERT_EQ(holder.Unlock(), 0u);
    EXPECT_EQ(create(10000), 0u);
}

TEST(SharedMemory, LockOfAThreadThatEndedIsTakenOver) {
    CTqlSharedMemory memory;
    ASSERT_EQ(memory.Create(OLESTR("QlTestShm-Abandon"), 4, OLESTR("QlTestShm-Abandon-M")), 0u);
    DWORD lockedByThread = 1;
    // The thread ends holding the lock: it is abandoned, not held for ever.
    std::thread([&] { lockedByThread = memory.Lock(); }).join();
    ASSERT_EQ(lockedByThread, 0u);
    CTqlSharedMemory other;
    ASSERT_EQ(other.Create(OLESTR("QlTestShm-Abandon"), 4, OLESTR("QlTestShm-Abandon-M"), nullptr,
                           nullptr, FALSE, TqlPagingFile(), 0, 5000),
              0u);
    EXPECT_EQ(other.Lock(5000), 0u);
    EXPECT_EQ(other.Unlock(), 0u);
}

TEST(SharedMemory, CloseGivesBackItsLocksAndAllowsANewCreate) {
    CTqlSharedMemory memory;
    ASSERT_EQ(memory.Create(OLESTR("QlTestShm-Close"), 4, OLESTR("QlTestShm-Close-M")), 0u);
    ASSERT_EQ(memory.Lock(), 0u);
    ASSERT_EQ(memory.Lock(), 0u);
    CTqlSharedMemory other;
    ASSERT_EQ(other.Create(OLESTR("QlTestShm-Close"), 4, OLESTR("QlTestShm-Close-M")), 0u);
    memory.Close();
    memory.Close();
    EXPECT_FALSE(memory.IsCreated());
    EXPECT_EQ(memory.GetSize(), 0u);
    EXPECT_EQ(LockElsewhere(other, 1000), 0u);
    EXPECT_EQ(memory.Create(OLESTR("QlTestShm-Close"), 4, OLESTR("QlTestShm-Close-M")), 0u);
}

TEST(SharedMemory, ProcessObjectNamesCarryTheProcessId) {
    WString name = CTqlSharedMemory::ProcessObjectName(OLESTR("TqlNamedTls_%s_ShMem_ProcId_0x%X"),
                                                       OLESTR("Abc"));
    EXPECT_TRUE(std::regex_match(ToUtf8(name),
                                 std::regex("TqlNamedTls_Abc_ShMem_ProcId_0x[1-9A-F][0-9A-F]*")))
        << ToUtf8(name);
    WString heap =
        CTqlSharedMemory::ProcessObjectName(OLESTR("TqlNamedHeap_Mutex_%s_ProcId_0x%X"), nullptr);
    std::string pid = ToUtf8(name.substr(name.rfind('x') + 1));
    EXPECT_EQ(ToUtf8(heap), "TqlNamedHeap_Mutex__ProcId_0x" + pid);
}

std::string Letters(std::size_t bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

// A mapping of an open file writes through to it, is guarded by an unnamed
// mutex, and follows the file's access and size: read-only it cannot write
// (5) nor reach past the end (8); read/write it extends the file.
TEST(SharedMemory, FileMappingsFollowTheFilesAccessAndSize) {
    test::TempDir dir;
    auto path = dir.Path() / "file.bin";
    test::WriteAll(path, Letters(100));
    {
        test::OpenedFile file(path, true);
        ASSERT_NE(file.Handle(), nullptr);
        CTqlSharedMemory memory;
        ASSERT_EQ(memory.Create(nullptr, 100, nullptr, nullptr, nullptr, FALSE, file.Handle()), 0u);
        EXPECT_EQ(memory.GetSize(), 100u);
        EXPECT_EQ(std::memcmp(memory.GetData(), Letters(100).data(), 100), 0);
        std::memcpy(memory.GetData(), "HEAD", 4);
        EXPECT_EQ(memory.Lock(0), 0u);
        EXPECT_EQ(memory.Unlock(), 0u);
    }
    EXPECT_EQ(test::ReadAll(path), "HEAD" + Letters(100).substr(4));
    {
        test::OpenedFile readOnly(path, false);
        ASSERT_NE(readOnly.Handle(), nullptr);
        CTqlSharedMemory writable;
        EXPECT_EQ(writable.Create(nullptr, 10, nullptr, nullptr, nullptr, FALSE, readOnly.Handle()),
                  5u);
        EXPECT_FALSE(writable.IsCreated());
        CTqlSharedMemory beyond;
        EXPECT_EQ(beyond.Create(nullptr, 200, nullptr, nullptr, nullptr, TRUE, readOnly.Handle()),
                  8u);
        CTqlSharedMemory reader;
        ASSERT_EQ(reader.Create(nullptr, 10, nullptr, nullptr, nullptr, TRUE, readOnly.Handle()),
                  0u);
        EXPECT_EQ(std::memcmp(reader.GetData(), "HEADefghij", 10), 0);
    }
    {
        test::OpenedFile file(path, true);
        CTqlSharedMemory longer;
        ASSERT_EQ(longer.Create(nullptr, 130, nullptr, nullptr, nullptr, FALSE, file.Handle()), 0u);
        EXPECT_EQ(static_cast<const char*>(longer.GetData())[129], 0);
    }
    EXPECT_EQ(test::ReadAll(path).size(), 130u);
}

}  // namespace
}  // namespace ql
