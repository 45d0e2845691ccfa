// Record encodings that the generated round trips do not show: byte blocks
// whose length comes from the low 16 bits of their size, counts narrower
// than 32 bits, and lists cut short.
// The expected bytes are built here from the wire rules; writers run with
// threshold 0, so every tag shows.
#include <gtest/gtest.h>

#include <cstddef>
#include <utility>

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

// Writes value, expects the fields written into `expected` followed by the
// block `data` (none when empty), reads them back and writes again what was
// read: one block of exactly that length is allocated, or none.
template <class T>
void ExpectBlockRoundTrip(const T& value, Wire expected, const Bytes& data) {
    if (!data.empty()) expected.Block(data);
    const Bytes written = Encoded(value);
    EXPECT_EQ(test::ToHex(expected.bytes), test::ToHex(written));
    test::ReplyReader reader(test::Reply(0, written));
    auto read = test::Zeroed<T>();
    wire::Record<T>::Read(reader.in, read);
    EXPECT_TRUE(test::AtEnd(reader.in));
    EXPECT_EQ(data.empty() ? 0 : 1, reader.memMgr.allocations);
    EXPECT_EQ(data.size(), reader.memMgr.lastSize);
    EXPECT_EQ(test::ToHex(written), test::ToHex(Encoded(read)));
    wire::Record<T>::Release(read, &reader.memMgr);
}

TEST(RecordEncoding, ByteBlocksCarryTheirSizePlusFourBytes) {
    using SizeAndBlock = std::pair<ULONG, std::size_t>;  // bytes of the block on the wire
    // _datablockdescriptor: only the low 16 bits of its size count.
    for (auto [size, block] : {SizeAndBlock{0, 0}, {65536, 0}, {70000, 4468}}) {
        SCOPED_TRACE(size);
        Bytes data = test::Pattern(block, size);
        BYTE* pointer = block == 0 ? nullptr : data.data();
        const _datablockdescriptor d = {0x01020304, -2, 0x7FFFFFF1, size, 0x11223344, pointer};
        Wire expected(0);
        expected.Tag(130).ULong(0x01020304).Long(-2).Long(0x7FFFFFF1).ULong(size).Long(0x11223344);
        ExpectBlockRoundTrip(d, expected, data);
    }
    // _fingerprintblob: all 32 bits count.
    for (auto [size, block] : {SizeAndBlock{0, 0}, {65536, 65540}}) {
        SCOPED_TRACE(size);
        Bytes data = test::Pattern(block, size);
        BYTE* pointer = block == 0 ? nullptr : data.data();
        const _fingerprintblob f = {0x0102030405060708, 9,    0xF0F0F0F0, -10,
                                    0x0C0C0C0C,         size, pointer};
        Wire expected(0);
        expected.Tag(140).Int64(0x0102030405060708).Short(9).ULong(0xF0F0F0F0).Long(-10);
        expected.Long(0x0C0C0C0C).ULong(size);
        ExpectBlockRoundTrip(f, expected, data);
    }
}

// A meta-job specification up to its job array, every field zero or empty.
void MetaJobHead(Wire& w) {
    w.Tag(177).Enum(0).NullBstr().NullBstr().Guid(GUID{}).UChar(0).UChar(0);
    w.Time(SYSTEMTIME{}).Time(SYSTEMTIME{}).UChar(0).Long(0).Time(SYSTEMTIME{}).UChar(0);
    w.RawRecord(172, Bytes(6, 0)).Long(0).Long(0).NullBstr().UChar(0);
}

// An 8-bit job count refuses a capacity or length above 255 before
// allocating anything.
TEST(RecordEncoding, NarrowCountsRefuseWhatTheyCannotHold) {
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
    // A released head keeps nothing that points at freed memory.
    EXPECT_EQ(nullptr, V(head.nextHashMatch));
    EXPECT_EQ(3, reader.memMgr.allocations);  // two lists and the second node
    EXPECT_EQ(3, reader.memMgr.frees);
}

}  // namespace
}  // namespace ql
