#include "serialization/read_write_binary_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "codec_test_util.h"
#include "support/base/hresults.h"

namespace ql {
namespace {

constexpr ULONG kUnit = CReadWriteBinaryStream::kGrowthUnit;

TEST(ReadWriteBinaryStream, CapacityGrowsInWholeUnitsUntilReset) {
    CReadWriteBinaryStream stream;
    // Empty and refused writes allocate nothing.
    DWORD written = 123;
    EXPECT_EQ(stream.WriteStream("abc", 0, &written), S_OK);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(stream.WriteStream(nullptr, 4, &written), hr::kInvalidArg);
    EXPECT_EQ(stream.GetBuffer(), nullptr);
    EXPECT_EQ(stream.GetCapacity(), 0u);

    ASSERT_EQ(stream.WriteStream("\x01", 1, &written), S_OK);
    EXPECT_EQ(written, 1u);
    EXPECT_EQ(stream.GetCapacity(), 65536u);
    // Filling the first unit exactly needs no second allocation.
    std::vector<char> fill(kUnit - 1, '\x02');
    ASSERT_EQ(stream.WriteStream(fill.data(), static_cast<int>(fill.size()), nullptr), S_OK);
    EXPECT_EQ(stream.GetCapacity(), 65536u);
    ASSERT_EQ(stream.WriteStream("\x03", 1, nullptr), S_OK);
    EXPECT_EQ(stream.GetLength(), 65537u);
    EXPECT_EQ(stream.GetCapacity(), 131072u);
    // One write several units long grows to the next whole unit at once.
    std::vector<char> large(3 * kUnit, '\x04');
    ASSERT_EQ(stream.WriteStream(large.data(), static_cast<int>(large.size()), nullptr), S_OK);
    EXPECT_EQ(stream.GetCapacity(), 5 * kUnit);
    const BYTE* data = stream.GetBuffer();
    EXPECT_EQ(data[0], 0x01);
    EXPECT_EQ(data[65535], 0x02);
    EXPECT_EQ(data[65536], 0x03);
    EXPECT_EQ(std::memcmp(data + 65537, large.data(), large.size()), 0);

    // Resetting frees the buffer and moves the read position back to the start.
    char buffer[4] = {};
    ASSERT_EQ(stream.Read(buffer, 2, nullptr), S_OK);
    stream.ResetBuffer();
    EXPECT_EQ(stream.GetBuffer(), nullptr);
    EXPECT_EQ(stream.GetLength() + stream.GetCapacity(), 0u);
    ASSERT_EQ(stream.WriteStream("xy", 2, nullptr), S_OK);
    ULONG read = 0;
    ASSERT_EQ(stream.Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(std::string(buffer, read), "xy");
}

TEST(ReadWriteBinaryStream, ReadsBackWhatWasWritten) {
    CReadWriteBinaryStream stream;
    // A count of -1 writes a narrow string without its terminator.
    DWORD written = 0;
    ASSERT_EQ(stream.WriteStream("01234", -1, &written), S_OK);
    EXPECT_EQ(written, 5u);
    ASSERT_EQ(stream.WriteStream("56789", 5, nullptr), S_OK);
    ULONG read = 99;
    EXPECT_EQ(stream.Read(nullptr, 4, &read), hr::kInvalidArg);
    char buffer[16] = {};
    ASSERT_EQ(stream.Read(buffer, 4, &read), S_OK);
    EXPECT_EQ(std::string(buffer, read), "0123");
    // A short read succeeds and reports only through the count.
    ASSERT_EQ(stream.Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(std::string(buffer, read), "456789");
    read = 99;
    EXPECT_EQ(stream.Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(stream.Read(buffer, sizeof buffer, nullptr), S_OK);
}

TEST(ReadWriteBinaryStream, InterfacesAndReferences) {
    CReadWriteBinaryStream stream;
    EXPECT_EQ(stream.QueryInterface(IID_IStream, nullptr), E_POINTER);
    for (const IID* iid : {&IID_IUnknown, &IID_IStream, &IID_ISequentialStream}) {
        void* answer = nullptr;
        ASSERT_EQ(stream.QueryInterface(*iid, &answer), S_OK);
        EXPECT_EQ(answer, static_cast<void*>(static_cast<IStream*>(&stream)));
        // The answer carries a reference of its own.
        EXPECT_EQ(stream.Release(), 1u);
    }
    void* answer = &stream;
    EXPECT_EQ(stream.QueryInterface(test::kTestGuid, &answer), E_NOINTERFACE);
    EXPECT_EQ(answer, nullptr);
}

}  // namespace
}  // namespace ql
