// Mapping an open file by its descriptor, and the process id in the names.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/base/wide_string.h"
#include "support/shared_state/shared_memory.h"
#include "temp_dir.h"

namespace ql {
namespace {

// Owns an open descriptor.
class CDescriptor {
public:
    explicit CDescriptor(int descriptor) : m_fd(descriptor) {}
    ~CDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

std::string Pattern(std::size_t bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

TEST(SharedMemoryPosix, MapsAnOpenFileReadWrite) {
    test::TempDir dir;
    auto path = dir.Path() / "hundred.bin";
    test::WriteAll(path, Pattern(100));
    CDescriptor file(::open(path.c_str(), O_RDWR));
    ASSERT_GE(file.Get(), 0);
    {
        CTqlSharedMemory memory;
        ASSERT_EQ(memory.Create(nullptr, 100, nullptr, nullptr, nullptr, FALSE,
                                TqlHandleFromDescriptor(file.Get())),
                  0u);
        EXPECT_EQ(memory.GetSize(), 100u);
        ASSERT_NE(memory.GetData(), nullptr);
        EXPECT_EQ(std::memcmp(memory.GetData(), Pattern(100).data(), 100), 0);
        std::memcpy(memory.GetData(), "HEAD", 4);
        EXPECT_EQ(memory.Lock(0), 0u) << "an unnamed mutex guards it";
        EXPECT_EQ(memory.Unlock(), 0u);
    }
    std::string content = test::ReadAll(path);
    EXPECT_EQ(content.size(), 100u);
    EXPECT_EQ(content, "HEAD" + Pattern(100).substr(4));
}

TEST(SharedMemoryPosix, FileMappingsFollowTheFilesAccessAndSize) {
    test::TempDir dir;
    auto path = dir.Path() / "small.bin";
    test::WriteAll(path, Pattern(10));
    {
        CDescriptor readOnly(::open(path.c_str(), O_RDONLY));
        ASSERT_GE(readOnly.Get(), 0);
        CTqlSharedMemory writable;
        EXPECT_EQ(writable.Create(nullptr, 10, nullptr, nullptr, nullptr, FALSE,
                                  TqlHandleFromDescriptor(readOnly.Get())),
                  5u);
        EXPECT_FALSE(writable.IsCreated());
        CTqlSharedMemory reader;
        ASSERT_EQ(reader.Create(nullptr, 10, nullptr, nullptr, nullptr, TRUE,
                                TqlHandleFromDescriptor(readOnly.Get())),
                  0u);
        EXPECT_EQ(std::memcmp(reader.GetData(), Pattern(10).data(), 10), 0);
        // Read-only, a mapping cannot reach past the end of the file.
        CTqlSharedMemory beyond;
        EXPECT_EQ(beyond.Create(nullptr, 20, nullptr, nullptr, nullptr, TRUE,
                                TqlHandleFromDescriptor(readOnly.Get())),
                  8u);
    }
    {
        // Read/write, it extends the file.
        CDescriptor file(::open(path.c_str(), O_RDWR));
        CTqlSharedMemory longer;
        ASSERT_EQ(longer.Create(nullptr, 30, nullptr, nullptr, nullptr, FALSE,
                                TqlHandleFromDescriptor(file.Get())),
                  0u);
        EXPECT_EQ(static_cast<const char*>(longer.GetData())[29], 0);
    }
    EXPECT_EQ(test::ReadAll(path).size(), 30u);

    CTqlSharedMemory closed;
    EXPECT_EQ(closed.Create(nullptr, 10, nullptr, nullptr, nullptr, FALSE,
                            TqlHandleFromDescriptor(12345)),
              6u);
    EXPECT_FALSE(closed.IsCreated());
}

}  // namespace
}  // namespace ql
