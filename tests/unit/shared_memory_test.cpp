// Shared memory on every platform: named blocks (one per process and name),
// their guard mutex, the failures Create reports, and mappings of open files.
#include "support/shared_state/shared_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <string>
#include <thread>

#include "on_other_thread.h"
#include "temp_dir.h"
#include "trace_recorder.h"

namespace ql {
namespace {

constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorAlreadyInitialized = 1247;
constexpr DWORD kErrorTimeout = 1460;

// Locks memory from another thread, which gives the lock back at once.
DWORD LockElsewhere(CTqlSharedMemory& memory, DWORD timeout) {
    return test::OnOtherThread([&] {
        DWORD result = memory.Lock(timeout);
        if (result == 0) memory.Unlock();
        return result;
    });
}

// A failed Create leaves neither a view nor a mutex behind.
void ExpectNothingOpen(CTqlSharedMemory& memory) {
    EXPECT_FALSE(memory.IsCreated());
    EXPECT_EQ(memory.GetData(), nullptr);
    EXPECT_EQ(memory.Lock(0), 0u) << "without a mutex locking succeeds at once";
    EXPECT_EQ(memory.Unlock(), 0u);
}

// Maps the first `size` bytes of an open file.
DWORD MapFile(CTqlSharedMemory& memory, DWORD size, HANDLE file, BOOL readOnly) {
    return memory.Create(nullptr, size, nullptr, nullptr, nullptr, readOnly, file);
}

TEST(SharedMemory, RefusesSizeZeroAndASecondCreate) {
    test::TraceRecorder traces;
    CTqlSharedMemory memory;
    EXPECT_EQ(memory.Create(OLESTR("QlTestShm-Twice"), 0, OLESTR("QlTestShm-Twice-M")),
              kErrorInvalidParameter);
    ExpectNothingOpen(memory);

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

TEST(SharedMemory, EqualNamesGiveOneBlockOfTheSizeItReallyHas) {
    const char initial[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    CTqlSharedMemory first;
    ASSERT_EQ(first.Create(OLESTR("QlTestShm-One"), 8, OLESTR("QlTestShm-One-M"), initial), 0u);
    EXPECT_EQ(std::memcmp(first.GetData(), initial, 8), 0);

    // The second user adopts the block: its initial data does not apply, and
    // it records whole pages of the 8-byte block, not the megabytes it asks for.
    const char zeros[8] = {};
    CTqlSharedMemory second;
    ASSERT_EQ(second.Create(OLESTR("QlTestShm-One"), 0x100000, OLESTR("QlTestShm-One-M"), zeros,
                            nullptr, FALSE, TqlPagingFile(), 1),
              0u);
    EXPECT_GE(second.GetSize(), 8u);
    EXPECT_LE(second.GetSize(), 0x10000u);
    EXPECT_EQ(second.GetSizeHigh(), 0u);
    EXPECT_EQ(std::memcmp(second.GetData(), initial, 8), 0);
    static_cast<char*>(second.GetData())[0] = 42;
    EXPECT_EQ(static_cast<const char*>(first.GetData())[0], 42);
    // A smaller request keeps its own size.
    CTqlSharedMemory smaller;
    ASSERT_EQ(smaller.Create(OLESTR("QlTestShm-One"), 4, nullptr), 0u);
    EXPECT_EQ(smaller.GetSize(), 4u);
    smaller.Close();

    // The block lives while anyone holds it; then the name is free again.
    first.Close();
    EXPECT_EQ(static_cast<const char*>(second.GetData())[0], 42);
    second.Close();
    CTqlSharedMemory fresh;
    ASSERT_EQ(fresh.Create(OLESTR("QlTestShm-One"), 8, nullptr), 0u);
    EXPECT_EQ(std::memcmp(fresh.GetData(), zeros, 8), 0);
}

// A name held by the other kind of object fails the step that wants it, and
// the error's text is the system's own.
TEST(SharedMemory, NameHeldByAnotherKindOfObjectFails) {
    const struct {
        LPCWSTR name;
        LPCWSTR mutex;
        const char* trace;
    } rows[] = {
        // The mutex takes the name first, so the mapping cannot have it.
        {OLESTR("QlTestShm-Clash"), OLESTR("QlTestShm-Clash"),
         "CTqlSharedMemory::Create()- _CreateFileMapping() failed, err=6 ("},
        // A mapping (made below) holds the mutex's name.
        {OLESTR("QlTestShm-Other2"), OLESTR("QlTestShm-Clash2"),
         "CTqlSharedMemory::Create()- _CreateMutex() failed, err=6 ("},
    };
    CTqlSharedMemory holder;
    ASSERT_EQ(holder.Create(OLESTR("QlTestShm-Clash2"), 8, nullptr), 0u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.trace);
        test::TraceRecorder traces;
        CTqlSharedMemory memory;
        EXPECT_EQ(memory.Create(row.name, 8, row.mutex), kErrorInvalidHandle);
        ExpectNothingOpen(memory);
        EXPECT_TRUE(traces.Contains(row.trace));
    }
}

// The guard mutex: recursive per thread, timed out elsewhere, held by a
// shield for its scope, freed when its holder ends or closes; Create itself
// gives up when it stays taken.
TEST(SharedMemory, LockIsRecursivePerThreadAndFreedWhenItsHolderGoes) {
    test::TraceRecorder traces;
    CTqlSharedMemory memory;
    ASSERT_EQ(memory.Create(OLESTR("QlTestShm-Lock"), 4, OLESTR("QlTestShm-Lock-M")), 0u);
    // Another block guarded by the same mutex.
    CTqlSharedMemory other;
    ASSERT_EQ(other.Create(OLESTR("QlTestShm-Lock2"), 4, OLESTR("QlTestShm-Lock-M")), 0u);

    EXPECT_EQ(memory.Lock(0), 0u);
    EXPECT_EQ(memory.Lock(0), 0u);
    EXPECT_EQ(memory.Unlock(), 0u);
    EXPECT_EQ(LockElsewhere(other, 50), kErrorTimeout) << "still held once";
    CTqlSharedMemory late;
    auto create = [&late](DWORD timeout) {
        return late.Create(OLESTR("QlTestShm-Late"), 4, OLESTR("QlTestShm-Lock-M"), nullptr,
                           nullptr, FALSE, TqlPagingFile(), 0, timeout);
    };
    EXPECT_EQ(test::OnOtherThread([&] { return create(30); }), kErrorTimeout);
    ExpectNothingOpen(late);
    EXPECT_TRUE(traces.Contains("CTqlSharedMemory::Create()- shield(this) failed, err=1460 ("));
    EXPECT_EQ(memory.Unlock(), 0u);
    EXPECT_NE(memory.Unlock(), 0u) << "not held any more";
    EXPECT_EQ(test::OnOtherThread([&] { return create(10000); }), 0u);
    {
        CTqlSharedMemory::CShield shield(memory);
        EXPECT_TRUE(shield.IsLocked());
        EXPECT_EQ(shield.GetResult(), 0u);
        // A shield that could not lock says so.
        EXPECT_EQ(test::OnOtherThread([&] {
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

    // A thread that ends holding the lock abandons it: the next user gets it.
    DWORD lockedByThread = 1;
    std::thread([&] { lockedByThread = memory.Lock(); }).join();
    ASSERT_EQ(lockedByThread, 0u);
    EXPECT_EQ(LockElsewhere(other, 5000), 0u) << "abandoned, not held for ever";
    // Close gives back the locks its object still holds, and allows a new Create.
    ASSERT_EQ(memory.Lock(), 0u);
    ASSERT_EQ(memory.Lock(), 0u);
    memory.Close();
    memory.Close();
    EXPECT_FALSE(memory.IsCreated());
    EXPECT_EQ(memory.GetSize(), 0u);
    EXPECT_EQ(LockElsewhere(other, 1000), 0u);
    EXPECT_EQ(memory.Create(OLESTR("QlTestShm-Lock"), 4, OLESTR("QlTestShm-Lock-M")), 0u);
}

std::string Letters(std::size_t bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

// A mapping of an open file writes through to it and follows the file's
// access and size: read-only it cannot write (5) nor reach past the end (8);
// read/write it extends the file. A handle of no open file is refused (6).
TEST(SharedMemory, FileMappingsFollowTheFilesAccessAndSize) {
    test::TempDir dir;
    auto path = dir.Path() / "file.bin";
    test::WriteAll(path, Letters(100));
    {
        test::OpenedFile file(path, true);
        ASSERT_NE(file.Handle(), nullptr);
        CTqlSharedMemory memory;
        ASSERT_EQ(MapFile(memory, 100, file.Handle(), FALSE), 0u);
        EXPECT_EQ(memory.GetSize(), 100u);
        EXPECT_EQ(std::memcmp(memory.GetData(), Letters(100).data(), 100), 0);
        std::memcpy(memory.GetData(), "HEAD", 4);
    }
    EXPECT_EQ(test::ReadAll(path), "HEAD" + Letters(100).substr(4));
    {
        test::OpenedFile readOnly(path, false);
        ASSERT_NE(readOnly.Handle(), nullptr);
        CTqlSharedMemory writable;
        EXPECT_EQ(MapFile(writable, 10, readOnly.Handle(), FALSE), 5u);
        ExpectNothingOpen(writable);
        CTqlSharedMemory beyond;
        EXPECT_EQ(MapFile(beyond, 200, readOnly.Handle(), TRUE), 8u);
        CTqlSharedMemory reader;
        ASSERT_EQ(MapFile(reader, 10, readOnly.Handle(), TRUE), 0u);
        EXPECT_EQ(std::memcmp(reader.GetData(), "HEADefghij", 10), 0);
    }
    {
        test::OpenedFile file(path, true);
        CTqlSharedMemory longer;
        ASSERT_EQ(MapFile(longer, 130, file.Handle(), FALSE), 0u);
        EXPECT_EQ(static_cast<const char*>(longer.GetData())[129], 0);
    }
    EXPECT_EQ(test::ReadAll(path).size(), 130u);
    CTqlSharedMemory closed;
    EXPECT_EQ(MapFile(closed, 10, TqlHandleFromDescriptor(12345), FALSE), kErrorInvalidHandle);
    ExpectNothingOpen(closed);
}

}  // namespace
}  // namespace ql
