#include "serialization/read_write_binary_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    const BYTE* first = stream.GetBuffer();
    // Filling the first unit exactly needs no second allocation.
    std::vector<char> fill(kUnit - 1, '\x02');
    ASSERT_EQ(stream.WriteStream(fill.data(), static_cast<int>(fill.size()), nullptr), S_OK);
    EXPECT_EQ(stream.GetCapacity(), 65536u);
    EXPECT_EQ(stream.GetBuffer(), first);
    ASSERT_EQ(stream.WriteStream("\x03", 1, nullptr), S_OK);
    EXPECT_EQ(stream.GetLength(), 65537u);
    EXPECT_EQ(stream.GetCapacity(), 131072u);
    const BYTE* data = stream.GetBuffer();
    EXPECT_EQ(data[0], 0x01);
    EXPECT_EQ(data[65535], 0x02);
    EXPECT_EQ(data[65536], 0x03);

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

TEST(ReadWriteBinaryStream, LargeBodiesStayIntactAcrossGrowth) {
    std::vector<char> source(1000003);
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>(i * 31 + 7);
    // Odd-sized chunks cross the unit boundaries at varying offsets; one
    // large write fills an empty stream at once.
    CReadWriteBinaryStream chunked, single;
    for (std::size_t offset = 0, chunk; offset < source.size(); offset += chunk) {
        chunk = std::min<std::size_t>(7919 + offset % 3, source.size() - offset);
        DWORD written = 0;
        ASSERT_EQ(chunked.WriteStream(source.data() + offset, static_cast<int>(chunk), &written),
                  S_OK);
        ASSERT_EQ(written, chunk);
    }
    ASSERT_EQ(single.WriteStream(source.data(), 300000, nullptr), S_OK);
    EXPECT_EQ(chunked.GetLength(), source.size());
    EXPECT_EQ(single.GetLength(), 300000u);
    for (CReadWriteBinaryStream* stream : {&chunked, &single}) {
        EXPECT_EQ(stream->GetCapacity() % kUnit, 0u);
        ASSERT_GE(stream->GetCapacity(), stream->GetLength());
        EXPECT_EQ(std::memcmp(stream->GetBuffer(), source.data(), stream->GetLength()), 0);
    }
}

TEST(ReadWriteBinaryStream, ReadsBackWhatWasWritten) {
    CReadWriteBinaryStream stream;
    // A count of -1 writes a narrow string without its terminator.
    DWORD written = 0;
    ASSERT_EQ(stream.WriteStream("01234", -1, &written), S_OK);
    EXPECT_EQ(written, 5u);
    ASSERT_EQ(stream.WriteStream("56789", 5, nullptr), S_OK);
    EXPECT_EQ(stream.FlushStream(), S_OK);
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

    // Appending after the end makes the new bytes readable.
    ASSERT_EQ(stream.WriteStream("xy", 2, nullptr), S_OK);
    ASSERT_EQ(stream.Read(buffer, 1, nullptr), S_OK);
    EXPECT_EQ(buffer[0], 'x');
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

    // The last release deletes a heap instance; LeakSanitizer reports the
    // object and its buffer if it does not.
    auto* heap = new CReadWriteBinaryStream();
    ASSERT_EQ(heap->WriteStream("abc", 3, nullptr), S_OK);
    EXPECT_EQ(heap->AddRef(), 2u);
    EXPECT_EQ(heap->Release(), 1u);
    EXPECT_EQ(heap->Release(), 0u);
}

}  // namespace
}  // namespace ql
