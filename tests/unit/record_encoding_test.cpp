// Record encodings that the generated round trips do not show: byte blocks
// whose length comes from the low 16 bits of their size, counts narrower
// than 32 bits, and lists cut short.
// The expected bytes are built here from the wire rules; writers run with
// threshold 0, so every tag shows.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/record_codecs.h"
#include "codec_test_util.h"
#include "support/base/hresults.h"

namespace ql {
namespace {

using test::Bytes;
using test::V;
using test::Wire;

template <class T>
Bytes Encoded(const T& value) {
    test::Writer w(0);
    wire::Record<T>::Write(w.out, value);
    return w.Payload();
}

TEST(RecordEncoding, ByteBlocksCarryTheirSizePlusFourBytes) {
    struct Row {
        bool dataBlock;     // _datablockdescriptor (size mod 65536) or _fingerprintblob
        ULONG size;         // the size field
        std::size_t block;  // bytes of the block on the wire, 0: none
    } const rows[] = {
        {true, 0, 0},  {true, 65536, 0},      {true, 70000, 4468},  // only the low 16 bits count
        {false, 0, 0}, {false, 65536, 65540},                       // all 32 bits count
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.dataBlock << " " << row.size);
        Bytes data = test::Pattern(row.block, row.size);
        BYTE* pointer = row.block == 0 ? nullptr : data.data();
        Wire expected(0);
        Bytes written;
        if (row.dataBlock) {
            _datablockdescriptor d = {0x01020304, -2, 0x7FFFFFF1, row.size, 0x11223344, pointer};
            expected.Tag(130).ULong(0x01020304).Long(-2).Long(0x7FFFFFF1).ULong(row.size);
            expected.Long(0x11223344);
            written = Encoded(d);
        } else {
            _fingerprintblob f = {0x0102030405060708, 9,        0xF0F0F0F0, -10,
                                  0x0C0C0C0C,         row.size, pointer};
            expected.Tag(140).Int64(0x0102030405060708).Short(9).ULong(0xF0F0F0F0).Long(-10);
            expected.Long(0x0C0C0C0C).ULong(row.size);
            written = Encoded(f);
        }
        if (row.block != 0) expected.Block(data);
        EXPECT_EQ(test::ToHex(expected.bytes), test::ToHex(written));

        // Read back: one block of exactly that length, or none.
        test::ReplyReader reader(test::Reply(0, expected.bytes));
        BYTE* read = nullptr;
        ULONG size = 0;
        if (row.dataBlock) {
            auto d = test::Zeroed<_datablockdescriptor>();
            wire::Record<_datablockdescriptor>::Read(reader.in, d);
            read = d.pBlockData;
            size = d.dataSize;
        } else {
            auto f = test::Zeroed<_fingerprintblob>();
            wire::Record<_fingerprintblob>::Read(reader.in, f);
            read = f.pFpData;
            size = f.fingerprintSize;
        }
        EXPECT_TRUE(test::AtEnd(reader.in));
        EXPECT_EQ(row.size, size);
        EXPECT_EQ(row.block == 0 ? 0 : 1, reader.memMgr.allocations);
        if (row.block != 0) {
            ASSERT_NE(nullptr, read);
            EXPECT_EQ(row.block, reader.memMgr.lastSize);
            EXPECT_EQ(0, std::memcmp(data.data(), read, row.block));
        }
        reader.memMgr.Free(read);
    }
}

// A meta-job specification up to its job array, every field zero or empty.
void MetaJobHead(Wire& w) {
    w.Tag(177).Enum(0).NullBstr().NullBstr().Guid(GUID{}).UChar(0).UChar(0);
    w.Time(SYSTEMTIME{}).Time(SYSTEMTIME{}).UChar(0).Long(0).Time(SYSTEMTIME{}).UChar(0);
    w.RawRecord(172, Bytes(6, 0)).Long(0).Long(0).NullBstr().UChar(0);
}

TEST(RecordEncoding, NarrowCountsTravelAsSizedArraysAndRefuseWhatTheyCannotHold) {
    // Written: a 16-bit count of 300 fingerprints of 12 bytes each.
    std::vector<FPrint> prints(300);
    for (std::size_t i = 0; i < prints.size(); ++i)
        test::FillPattern(prints[i].fp, 12, static_cast<unsigned>(i));
    DeltaFP delta = {0x5A, 0x1234, 300, prints.data()};
    Wire expected(0);
    expected.Tag(147).UChar(0x5A).UShort(0x1234).ArrayHead(300, 300);
    for (const FPrint& p : prints) expected.RawRecord(146, Bytes(p.fp, p.fp + 12));
    EXPECT_EQ(test::ToHex(expected.bytes), test::ToHex(Encoded(delta)));

    // Read: an 8-bit job count refuses a capacity or length above 255
    // before allocating anything.
    struct Row {
        ULONG capacity, length;
        bool refused;
    } const rows[] = {{0, 0, false}, {256, 256, true}, {256, 1, true}, {1, 300, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.capacity << "/" << row.length);
        Wire reply(0);
        MetaJobHead(reply);
        reply.ArrayHead(row.capacity, row.length);
        test::ReplyReader reader(test::Reply(0, reply.bytes));
        auto meta = test::Zeroed<_metajobspec>();
        HRESULT hr = test::ThrownBy([&] { wire::Record<_metajobspec>::Read(reader.in, meta); });
        EXPECT_EQ(row.refused, FAILED(hr));
        EXPECT_EQ(0, reader.memMgr.allocations);
        EXPECT_EQ(nullptr, V(meta.Jobs));
        EXPECT_EQ(0, V(meta.NumberOfJobs));
        wire::Record<_metajobspec>::Release(meta, &reader.memMgr);
    }
}

// The reader links the next node before reading it: a list cut inside a
// node keeps it linked, and releasing the list frees it with what it holds.
TEST(RecordEncoding, ListCutShortStaysReleasable) {
    Wire reply(0);
    reply.Tag(137).Long(1).ArrayHead(1, 1).RawRecord(136, Bytes(18, 7)).Present(true);
    reply.Tag(137).Long(2).ArrayHead(1, 1).Tag(136);
    test::ReplyReader reader(test::Reply(0, reply.bytes));
    auto head = test::Zeroed<_hashmatch>();
    EXPECT_EQ(hr::kReadFault,
              test::ThrownBy([&] { wire::Record<_hashmatch>::Read(reader.in, head); }));
    ASSERT_NE(nullptr, V(head.nextHashMatch));
    EXPECT_EQ(2, V(head.nextHashMatch->hashValue));
    wire::Record<_hashmatch>::Release(head, &reader.memMgr);
    EXPECT_EQ(nullptr, V(head.nextHashMatch));
    EXPECT_EQ(3, reader.memMgr.allocations);  // two lists and the second node
    EXPECT_EQ(3, reader.memMgr.frees);
}

}  // namespace
}  // namespace ql
