// The wire form of the records, field by field and byte for byte. The
// expected bytes are built here from the encoding rules (tag numbers, field
// order, wire types, raw-block offsets), independently of the record
// codecs, and compared with what the codecs write; received records are
// read back from hand-built replies. Writers run with threshold 0, so every
// tag shows and a field sent with the wrong wire type is caught even where
// the widths agree.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/record_codecs.h"
#include "codec_test_util.h"
#include "support/base/unique_bstr.h"

namespace ql {
namespace {

using test::Bytes;
using test::ThrownBy;
using test::ToHex;

// ---------------------------------------------------------------------------
// Expected bytes
// ---------------------------------------------------------------------------

Bytes Le(std::uint64_t value, std::size_t size) {
    Bytes out;
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}
Bytes L8(std::uint64_t v) { return Le(v, 1); }
Bytes L16(std::uint64_t v) { return Le(v, 2); }
Bytes L32(std::uint64_t v) { return Le(v, 4); }
Bytes L64(std::uint64_t v) { return Le(v, 8); }

// A packed image from its fields in offset order, checked against its size.
Bytes Image(std::initializer_list<Bytes> fields, std::size_t size) {
    Bytes out;
    for (const Bytes& f : fields) out.insert(out.end(), f.begin(), f.end());
    EXPECT_EQ(size, out.size()) << "image built with the wrong size";
    return out;
}

Bytes TimeBytes(const SYSTEMTIME& t) {
    return Image({L16(t.wYear), L16(t.wMonth), L16(t.wDayOfWeek), L16(t.wDay), L16(t.wHour),
                  L16(t.wMinute), L16(t.wSecond), L16(t.wMilliseconds)},
                 16);
}

Bytes GuidBytes(const GUID& g) {
    Bytes out = Image({L32(g.Data1), L16(g.Data2), L16(g.Data3)}, 8);
    out.insert(out.end(), g.Data4, g.Data4 + 8);
    return out;
}

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return out;
}

// A message body after its header: each value preceded by its tag when the
// tag number reaches the threshold.
class Wire {
public:
    explicit Wire(LONG threshold = 0) : m_threshold(threshold) {}

    Wire& Tag(ULONG tag) {
        if (static_cast<LONG>(tag) >= m_threshold) Put(L32(tag));
        return *this;
    }
    Wire& Put(const Bytes& raw) {
        bytes.insert(bytes.end(), raw.begin(), raw.end());
        return *this;
    }
    Wire& ULong(std::uint32_t v) { return Tag(17).Put(L32(v)); }
    Wire& UShort(std::uint16_t v) { return Tag(18).Put(L16(v)); }
    Wire& Long(std::int32_t v) { return Tag(19).Put(L32(static_cast<std::uint32_t>(v))); }
    Wire& Short(std::int16_t v) { return Tag(20).Put(L16(static_cast<std::uint16_t>(v))); }
    Wire& Int64(std::int64_t v) { return Tag(21).Put(L64(static_cast<std::uint64_t>(v))); }
    Wire& UChar(std::uint8_t v) { return Tag(22).Put(L8(v)); }
    Wire& Int(std::int32_t v) { return Tag(23).Put(L32(static_cast<std::uint32_t>(v))); }
    Wire& Bstr(std::u16string_view text) {
        Tag(64).ULong(static_cast<std::uint32_t>(text.size() * 2 + 2)).Tag(16);
        for (char16_t c : text) Put(L16(c));
        return Put(L16(0));
    }
    Wire& NullBstr() { return Tag(64).ULong(0); }
    Wire& BstrOf(BSTR text) {
        if (text == nullptr) return NullBstr();
        return Bstr(
            std::u16string_view(reinterpret_cast<const char16_t*>(text), SysStringLen(text)));
    }
    Wire& Guid(const GUID& g) { return Tag(96).Put(GuidBytes(g)); }
    Wire& Time(const SYSTEMTIME& t) { return Tag(97).Put(TimeBytes(t)); }
    Wire& Present(bool present) { return Tag(0).ULong(present ? 1 : 0); }
    Wire& ArrayHead(std::uint32_t capacity, std::uint32_t length) {
        return Tag(1).ULong(capacity).ULong(length);
    }
    Wire& Block(const Bytes& run) { return Tag(16).Put(run); }
    // A record carried as a raw block: its tag, then its packed image.
    Wire& RawRecord(ULONG tag, const Bytes& image) { return Tag(tag).Put(image); }

    Bytes bytes;

private:
    LONG m_threshold;
};

// A copy of a value. Fields of the byte-packed records reach the checks
// through it, so that no reference is ever bound to a misaligned field.
template <class T>
T V(T value) {
    return value;
}

// ---------------------------------------------------------------------------
// Running the codecs
// ---------------------------------------------------------------------------

template <class T>
Bytes Encoded(const T& value, LONG threshold = 0) {
    test::Writer w(threshold);
    wire::Record<T>::Write(w.out, value);
    return w.Payload();
}

#define EXPECT_BYTES(expected, actual) EXPECT_EQ(ToHex(expected), ToHex(actual))

// Reads one record from a reply holding exactly `payload` (threshold 0) and
// releases it at the end, checking that every block the reader allocated
// went back to the memory manager.
template <class T>
class Decoder {
public:
    explicit Decoder(const Bytes& payload, LONG threshold = 0)
        : m_reader(test::Reply(threshold, payload)), m_value(test::Zeroed<T>()) {}
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() {
        wire::Record<T>::Release(m_value, &m_reader.memMgr);
        EXPECT_EQ(V(m_reader.memMgr.allocations), V(m_reader.memMgr.frees))
            << "release left blocks of the reader behind";
    }

    // Reads the record and checks that it took the whole payload.
    T& Read() {
        wire::Record<T>::Read(m_reader.in, m_value);
        EXPECT_TRUE(AtEnd()) << "bytes left after the record";
        return m_value;
    }
    HRESULT ReadFails() {
        return ThrownBy([&] { wire::Record<T>::Read(m_reader.in, m_value); });
    }
    bool AtEnd() {
        BYTE extra = 0;
        return ThrownBy([&] { m_reader.in.ReadRaw(&extra, 1); }) ==
               static_cast<HRESULT>(0x8007001Eu);
    }
    test::CountingMemMgr& MemMgr() { return m_reader.memMgr; }
    T& Value() { return m_value; }

private:
    test::ReplyReader m_reader;
    T m_value;
};

std::string Text(BSTR value) { return value == nullptr ? "<null>" : test::Text(value); }

CUniqueBstr Str(std::u16string_view text) {
    return CUniqueBstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                         static_cast<UINT>(text.size())));
}

const SYSTEMTIME kTime1 = {2024, 5, 3, 17, 13, 45, 30, 999};
const SYSTEMTIME kTime2 = {2001, 12, 6, 31, 23, 59, 58, 1};
const SYSTEMTIME kTime3 = {1999, 1, 0, 2, 4, 6, 8, 10};
const GUID kGuidA = {0x01234567, 0x89AB, 0xCDEF, {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE}};
const GUID kGuidB = {0xA1B2C3D4, 0xE5F6, 0x0718, {0x29, 0x3A, 0x4B, 0x5C, 0x6D, 0x7E, 0x8F, 0x90}};

void ExpectSameTime(SYSTEMTIME expected, SYSTEMTIME actual) {
    EXPECT_EQ(ToHex(TimeBytes(expected)), ToHex(TimeBytes(actual)));
}
void ExpectSameGuid(GUID expected, GUID actual) {
    EXPECT_EQ(ToHex(GuidBytes(expected)), ToHex(GuidBytes(actual)));
}

// ---------------------------------------------------------------------------
// Block records
// ---------------------------------------------------------------------------

_datablockdescriptor DataBlock(ULONG dataSize, BYTE* data) {
    auto d = test::Zeroed<_datablockdescriptor>();
    d.Flags = 0x01020304;
    d.lowBlockHash = -2;
    d.highBlockHash = 0x7FFFFFF1;
    d.dataSize = dataSize;
    d.Crc = 0x11223344;
    d.pBlockData = data;
    return d;
}

// The data block descriptor up to its block, tag included.
Wire DataBlockHead(ULONG dataSize) {
    Wire w;
    w.Tag(130).ULong(0x01020304).Long(-2).Long(0x7FFFFFF1).ULong(dataSize).Long(0x11223344);
    return w;
}

TEST(RecordEncoding, DataBlockDescriptorWithoutDataCarriesNoBlock) {
    EXPECT_BYTES(DataBlockHead(0).bytes, Encoded(DataBlock(0, nullptr)));
    // Only the low 16 bits of the size count: 65536 carries no block either.
    EXPECT_BYTES(DataBlockHead(65536).bytes, Encoded(DataBlock(65536, nullptr)));

    for (ULONG size : {0u, 65536u}) {
        Decoder<_datablockdescriptor> reply(DataBlockHead(size).bytes);
        const auto& d = reply.Read();
        EXPECT_EQ(size, V(d.dataSize));
        EXPECT_EQ(nullptr, V(d.pBlockData));
        EXPECT_EQ(0x01020304u, V(d.Flags));
        EXPECT_EQ(-2, V(d.lowBlockHash));
        EXPECT_EQ(0x7FFFFFF1, V(d.highBlockHash));
        EXPECT_EQ(0x11223344, V(d.Crc));
        EXPECT_EQ(0, reply.MemMgr().allocations);
    }
}

TEST(RecordEncoding, DataBlockDescriptorBlockLengthComesFromTheLowSixteenBits) {
    // 70000 = 65536 + 4464: a block of 4464 + 4 bytes.
    Bytes data = Pattern(4468, 3);
    Wire expected = DataBlockHead(70000);
    expected.Block(data);
    EXPECT_BYTES(expected.bytes, Encoded(DataBlock(70000, data.data())));

    Decoder<_datablockdescriptor> reply(expected.bytes);
    const auto& d = reply.Read();
    EXPECT_EQ(70000u, V(d.dataSize));
    ASSERT_NE(nullptr, V(d.pBlockData));
    EXPECT_EQ(1, reply.MemMgr().allocations);
    EXPECT_EQ(4468u, reply.MemMgr().lastSize);
    EXPECT_EQ(0, std::memcmp(data.data(), d.pBlockData, data.size()));

    // A small block: size + 4 bytes.
    Bytes small = Pattern(9, 1);
    Wire five = DataBlockHead(5);
    five.Block(small);
    EXPECT_BYTES(five.bytes, Encoded(DataBlock(5, small.data())));
}

_extblockdescriptor ExtBlock() {
    auto e = test::Zeroed<_extblockdescriptor>();
    e.Flags = 0xA0A1A2A3;
    e.parentPhysicalID = 0x0102030405060708;
    e.parentRev = 0x11;
    e.lowOffsetInParent = 0x22;
    e.highOffsetInParent = 0x33;
    e.lowSizeOfBlock = 0x44;
    e.highSizeOfBlock = -1;
    return e;
}

Bytes ExtBlockImage() {
    return Image({L32(0xA0A1A2A3), L64(0x0102030405060708), L32(0x11), L32(0x22), L32(0x33),
                  L32(0x44), L32(0xFFFFFFFF)},
                 32);
}

TEST(RecordEncoding, BlockDescriptorCarriesBothPointersAsUniquePointers) {
    _extblockdescriptor ext = ExtBlock();
    auto b = test::Zeroed<_blockdescriptor>();
    b.physicalFileID = -3;
    b.fileRev = 0x1234;
    b.volumeID = 0x0BADF00D;
    b.blockNumber = 77;
    b.pDataBlock = nullptr;
    b.pExtBlock = &ext;

    Wire expected;
    expected.Tag(132).Int64(-3).Short(0x1234).Long(0x0BADF00D).Long(77);
    expected.Present(false).Present(true).RawRecord(131, ExtBlockImage());
    EXPECT_BYTES(expected.bytes, Encoded(b));

    // Without tags: flag 0, flag 1, then the 32 raw bytes.
    Wire plain(255);
    plain.Int64(-3)
        .Short(0x1234)
        .Long(0x0BADF00D)
        .Long(77)
        .Present(false)
        .Present(true)
        .Put(ExtBlockImage());
    EXPECT_BYTES(plain.bytes, Encoded(b, 255));

    Decoder<_blockdescriptor> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(-3, V(r.physicalFileID));
    EXPECT_EQ(0x1234, V(r.fileRev));
    EXPECT_EQ(0x0BADF00D, V(r.volumeID));
    EXPECT_EQ(77, V(r.blockNumber));
    EXPECT_EQ(nullptr, V(r.pDataBlock));
    ASSERT_NE(nullptr, V(r.pExtBlock));
    EXPECT_EQ(0, std::memcmp(&ext, r.pExtBlock, sizeof ext));
}

TEST(RecordEncoding, BlockDescriptorWithADataBlockNestsItsRecord) {
    Bytes data = Pattern(6, 9);
    _datablockdescriptor block = DataBlock(2, data.data());
    auto b = test::Zeroed<_blockdescriptor>();
    b.physicalFileID = 0x7000000000000001;
    b.fileRev = -1;
    b.volumeID = 5;
    b.blockNumber = 6;
    b.pDataBlock = &block;

    Wire expected;
    expected.Tag(132).Int64(0x7000000000000001).Short(-1).Long(5).Long(6).Present(true);
    expected.Put(DataBlockHead(2).bytes).Block(data).Present(false);
    EXPECT_BYTES(expected.bytes, Encoded(b));

    Decoder<_blockdescriptor> reply(expected.bytes);
    const auto& r = reply.Read();
    ASSERT_NE(nullptr, V(r.pDataBlock));
    EXPECT_EQ(nullptr, V(r.pExtBlock));
    EXPECT_EQ(2u, V(r.pDataBlock->dataSize));
    EXPECT_EQ(0x11223344, V(r.pDataBlock->Crc));
    ASSERT_NE(nullptr, V(r.pDataBlock->pBlockData));
    EXPECT_EQ(0, std::memcmp(data.data(), r.pDataBlock->pBlockData, data.size()));
}

_physicalfilehash FileHash(LONGLONG id) {
    auto h = test::Zeroed<_physicalfilehash>();
    h.physicalFileID = id;
    h.buildTechnique = 0x0203;
    h.fileHashHigh = 0x04050607;
    h.fileHashLow = -8;
    return h;
}

Bytes FileHashImage(std::uint64_t id) {
    return Image({L64(id), L16(0x0203), L32(0x04050607), L32(0xFFFFFFF8)}, 18);
}

TEST(RecordEncoding, HashMatchListOfOneNodeEndsWithFlagZero) {
    _physicalfilehash hash = FileHash(0x1111);
    auto node = test::Zeroed<_hashmatch>();
    node.hashValue = 0x0ABCDEF0;
    node.numMatches = 1;
    node.pPhysicalFileList = &hash;

    Wire expected;
    expected.Tag(137).Long(0x0ABCDEF0).ArrayHead(1, 1).RawRecord(136, FileHashImage(0x1111));
    expected.Present(false);
    EXPECT_BYTES(expected.bytes, Encoded(node));

    Decoder<_hashmatch> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(0x0ABCDEF0, V(r.hashValue));
    ASSERT_EQ(1u, V(r.numMatches));
    ASSERT_NE(nullptr, V(r.pPhysicalFileList));
    EXPECT_EQ(0, std::memcmp(&hash, r.pPhysicalFileList, sizeof hash));
    EXPECT_EQ(nullptr, V(r.nextHashMatch));
}

TEST(RecordEncoding, HashMatchListOfThreeNodesIsOneContiguousValue) {
    _physicalfilehash hashes[2] = {FileHash(0x21), FileHash(0x22)};
    auto third = test::Zeroed<_hashmatch>();
    third.hashValue = 3;
    auto second = test::Zeroed<_hashmatch>();
    second.hashValue = 2;
    second.numMatches = 2;
    second.pPhysicalFileList = hashes;
    second.nextHashMatch = &third;
    auto first = test::Zeroed<_hashmatch>();
    first.hashValue = 1;
    first.nextHashMatch = &second;

    Wire expected;
    expected.Tag(137).Long(1).ArrayHead(0, 0).Present(true);
    expected.Tag(137).Long(2).ArrayHead(2, 2);
    expected.RawRecord(136, FileHashImage(0x21)).RawRecord(136, FileHashImage(0x22));
    expected.Present(true);
    expected.Tag(137).Long(3).ArrayHead(0, 0).Present(false);
    EXPECT_BYTES(expected.bytes, Encoded(first));

    Decoder<_hashmatch> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(1, V(r.hashValue));
    // An empty match array reads back as null and 0.
    EXPECT_EQ(0u, V(r.numMatches));
    EXPECT_EQ(nullptr, V(r.pPhysicalFileList));
    ASSERT_NE(nullptr, V(r.nextHashMatch));
    const _hashmatch& r2 = *r.nextHashMatch;
    EXPECT_EQ(2, V(r2.hashValue));
    ASSERT_EQ(2u, V(r2.numMatches));
    ASSERT_NE(nullptr, V(r2.pPhysicalFileList));
    EXPECT_EQ(0x22, V(r2.pPhysicalFileList[1].physicalFileID));
    EXPECT_EQ(-8, V(r2.pPhysicalFileList[1].fileHashLow));
    ASSERT_NE(nullptr, V(r2.nextHashMatch));
    EXPECT_EQ(3, V(r2.nextHashMatch->hashValue));
    EXPECT_EQ(0u, V(r2.nextHashMatch->numMatches));
    EXPECT_EQ(nullptr, V(r2.nextHashMatch->pPhysicalFileList));
    EXPECT_EQ(nullptr, V(r2.nextHashMatch->nextHashMatch));
}

TEST(RecordEncoding, FingerprintBlobCarriesSizePlusFourBytes) {
    Bytes data = Pattern(7, 5);
    auto f = test::Zeroed<_fingerprintblob>();
    f.physicalFileID = 0x0102030405060708;
    f.fileRev = 9;
    f.Flags = 0xF0F0F0F0;
    f.blobNumber = -10;
    f.fingerCrc = 0x0C0C0C0C;
    f.fingerprintSize = 3;
    f.pFpData = data.data();

    Wire expected;
    expected.Tag(140).Int64(0x0102030405060708).Short(9).ULong(0xF0F0F0F0).Long(-10);
    expected.Long(0x0C0C0C0C).ULong(3).Block(data);
    EXPECT_BYTES(expected.bytes, Encoded(f));

    Decoder<_fingerprintblob> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(0x0102030405060708, V(r.physicalFileID));
    EXPECT_EQ(9, V(r.fileRev));
    EXPECT_EQ(0xF0F0F0F0u, V(r.Flags));
    EXPECT_EQ(-10, V(r.blobNumber));
    EXPECT_EQ(0x0C0C0C0C, V(r.fingerCrc));
    EXPECT_EQ(3u, V(r.fingerprintSize));
    ASSERT_NE(nullptr, V(r.pFpData));
    EXPECT_EQ(7u, reply.MemMgr().lastSize);
    EXPECT_EQ(0, std::memcmp(data.data(), r.pFpData, data.size()));

    // No data: no block.
    f.fingerprintSize = 0;
    f.pFpData = nullptr;
    Wire empty;
    empty.Tag(140).Int64(0x0102030405060708).Short(9).ULong(0xF0F0F0F0).Long(-10);
    empty.Long(0x0C0C0C0C).ULong(0);
    EXPECT_BYTES(empty.bytes, Encoded(f));
}

_blobkey BlobKey() {
    auto k = test::Zeroed<_blobkey>();
    k.Key = 0x0A0B0C0D;
    k.CreationTime = kTime1;
    k.OriginalDataSize = 0x00100000;
    k.CompressedDataSize = 0x00080000;
    k.metaJobFlags = -7;
    return k;
}

Bytes BlobKeyImage() {
    return Image(
        {L32(0x0A0B0C0D), TimeBytes(kTime1), L32(0x00100000), L32(0x00080000), L32(0xFFFFFFF9)},
        32);
}

TEST(RecordEncoding, BlobBlockDescCarriesItsKeyRecordAndBlock) {
    Bytes data = Pattern(14, 2);
    auto d = test::Zeroed<_blobblockdesc>();
    d.Key = BlobKey();
    d.dataSize = 10;
    d.Crc = 0x5A5A5A5A;
    d.pBlockData = data.data();

    Wire expected;
    expected.Tag(142).RawRecord(141, BlobKeyImage()).ULong(10).Long(0x5A5A5A5A).Block(data);
    EXPECT_BYTES(expected.bytes, Encoded(d));

    Decoder<_blobblockdesc> reply(expected.bytes);
    auto& r = reply.Read();
    EXPECT_EQ(0x0A0B0C0D, V(r.Key.Key));
    ExpectSameTime(kTime1, r.Key.CreationTime);
    EXPECT_EQ(0x00100000u, V(r.Key.OriginalDataSize));
    EXPECT_EQ(0x00080000u, V(r.Key.CompressedDataSize));
    EXPECT_EQ(-7, V(r.Key.metaJobFlags));
    EXPECT_EQ(10u, V(r.dataSize));
    EXPECT_EQ(0x5A5A5A5A, V(r.Crc));
    ASSERT_NE(nullptr, V(r.pBlockData));
    EXPECT_EQ(14u, reply.MemMgr().lastSize);
    EXPECT_EQ(0, std::memcmp(data.data(), r.pBlockData, data.size()));

    // Releasing frees the block and clears pointer and size.
    wire::Record<_blobblockdesc>::Release(r, &reply.MemMgr());
    EXPECT_EQ(1, reply.MemMgr().frees);
    EXPECT_EQ(nullptr, V(r.pBlockData));
    EXPECT_EQ(0u, V(r.dataSize));
}

TEST(RecordEncoding, BlobBlockDesc403PutsTheMetaJobKeyBeforeTheSize) {
    Bytes data = Pattern(5, 4);
    auto d = test::Zeroed<_blobblockdesc_403>();
    d.Key = BlobKey();
    d.lMetaJobKey = 0x600D;
    d.dataSize = 1;
    d.Crc = -100;
    d.pBlockData = data.data();

    Wire expected;
    expected.Tag(148).RawRecord(141, BlobKeyImage()).Long(0x600D).ULong(1).Long(-100).Block(data);
    EXPECT_BYTES(expected.bytes, Encoded(d));

    Decoder<_blobblockdesc_403> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(0x0A0B0C0D, V(r.Key.Key));
    EXPECT_EQ(0x600D, V(r.lMetaJobKey));
    EXPECT_EQ(1u, V(r.dataSize));
    EXPECT_EQ(-100, V(r.Crc));
    ASSERT_NE(nullptr, V(r.pBlockData));
    EXPECT_EQ(0, std::memcmp(data.data(), r.pBlockData, data.size()));
}

TEST(RecordEncoding, DeltaFingerprintsCarryA16BitCountAsASizedArray) {
    std::vector<FPrint> prints(300);
    for (std::size_t i = 0; i < prints.size(); ++i)
        for (std::size_t j = 0; j < 12; ++j) prints[i].fp[j] = static_cast<BYTE>(i + 31 * j);
    auto d = test::Zeroed<DeltaFP>();
    d.Flags = 0x5A;
    d.MatchCount = 0x1234;
    d.count = 300;
    d.pFP = prints.data();

    Wire expected;
    expected.Tag(147).UChar(0x5A).UShort(0x1234).ArrayHead(300, 300);
    for (const FPrint& p : prints) expected.RawRecord(146, Bytes(p.fp, p.fp + 12));
    const Bytes actual = Encoded(d);
    EXPECT_EQ(4u + 5 + 6 + 20 + 300 * 16, actual.size());
    EXPECT_BYTES(expected.bytes, actual);
}

// ---------------------------------------------------------------------------
// View records
// ---------------------------------------------------------------------------

struct BackupHistorySample {
    BackupHistorySample(LONG key, std::u16string_view shortName)
        : name(shortName.empty() ? CUniqueBstr() : Str(shortName)) {
        value = test::Zeroed<_filebackuphistory>();
        value.securityKey = key;
        value.backupNumberStart = 2;
        value.backupNumberEnd = -3;
        value.rnsmFileFlags = 0x80000001;
        value.deleteFlag = 0xFE;
        value.lowCreationDateTime = 0x10;
        value.highCreationDateTime = 0x11;
        value.lowModDateTime = 0x12;
        value.highModDateTime = 0x13;
        value.attributes = 0x20;
        value.revisionNumber = 0x21;
        value.currentSizeHigh = 0x22;
        value.currentSizeLow = 0x23;
        value.nameModDateSizeHash = 0x24;
        value.excludedFlag = 1;
        value.excludedInLatestFlag = 0x80;
        value.timeBias = -60;
        value.shortFileName = name.Get();
    }
    void Emit(Wire& w) const {
        w.Tag(160).Long(value.securityKey).Short(2).Short(-3).ULong(0x80000001).UChar(0xFE);
        w.Long(0x10).Long(0x11).Long(0x12).Long(0x13).ULong(0x20).Long(0x21).Long(0x22);
        w.Long(0x23).Long(0x24).UChar(1).UChar(0x80).Short(-60).BstrOf(value.shortFileName);
    }
    CUniqueBstr name;
    _filebackuphistory value;
};

TEST(RecordEncoding, FileSystemEntryListCarriesItsBackupHistoryArray) {
    BackupHistorySample h1(0x31, u"FILE~1.TXT");
    BackupHistorySample h2(0x32, u"");
    _filebackuphistory histories[2] = {h1.value, h2.value};
    CUniqueBstr name1 = Str(u"file one.txt");
    CUniqueBstr name2 = Str(u"dir");

    auto second = test::Zeroed<_filesystementry>();
    second.volumeNumber = 2;
    second.logicalFileKey = 0x200;
    second.physicalKey = 0x201;
    second.logicialParentKey = 0x202;
    second.Name = name2.Get();
    second.children = 1;
    auto first = test::Zeroed<_filesystementry>();
    first.volumeNumber = 1;
    first.logicalFileKey = 0x100;
    first.physicalKey = -0x101;
    first.logicialParentKey = 0x102;
    first.Name = name1.Get();
    first.children = 0;
    first.numBackups = 2;
    first.pBackupList = histories;
    first.pNextFileSystemEntry = &second;

    Wire expected;
    expected.Tag(161).Long(1).Int64(0x100).Int64(-0x101).Int64(0x102).Bstr(u"file one.txt");
    expected.UChar(0).ArrayHead(2, 2);
    h1.Emit(expected);
    h2.Emit(expected);
    expected.Present(true);
    expected.Tag(161).Long(2).Int64(0x200).Int64(0x201).Int64(0x202).Bstr(u"dir").UChar(1);
    expected.ArrayHead(0, 0).Present(false);
    EXPECT_BYTES(expected.bytes, Encoded(first));

    Decoder<_filesystementry> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(1, V(r.volumeNumber));
    EXPECT_EQ(-0x101, V(r.physicalKey));
    EXPECT_EQ(0x102, V(r.logicialParentKey));
    EXPECT_EQ("file one.txt", Text(r.Name));
    ASSERT_EQ(2u, V(r.numBackups));
    ASSERT_NE(nullptr, V(r.pBackupList));
    EXPECT_EQ(0x31, V(r.pBackupList[0].securityKey));
    EXPECT_EQ(-3, V(r.pBackupList[0].backupNumberEnd));
    EXPECT_EQ(0xFE, V(r.pBackupList[0].deleteFlag));
    EXPECT_EQ(0x24, V(r.pBackupList[0].nameModDateSizeHash));
    EXPECT_EQ(0x80, V(r.pBackupList[0].excludedInLatestFlag));
    EXPECT_EQ(-60, V(r.pBackupList[0].timeBias));
    EXPECT_EQ("FILE~1.TXT", Text(r.pBackupList[0].shortFileName));
    EXPECT_EQ(nullptr, V(r.pBackupList[1].shortFileName));
    ASSERT_NE(nullptr, V(r.pNextFileSystemEntry));
    EXPECT_EQ("dir", Text(r.pNextFileSystemEntry->Name));
    EXPECT_EQ(1, V(r.pNextFileSystemEntry->children));
    EXPECT_EQ(0u, V(r.pNextFileSystemEntry->numBackups));
    EXPECT_EQ(nullptr, V(r.pNextFileSystemEntry->pBackupList));
    EXPECT_EQ(nullptr, V(r.pNextFileSystemEntry->pNextFileSystemEntry));
}

TEST(RecordEncoding, VolumeBackupsListIsReadAsOneSizedArray) {
    Wire reply;
    reply.Tag(167).ArrayHead(3, 3);
    reply.RawRecord(166, Image({L32(0x41), L32(0x42)}, 8));
    reply.RawRecord(166, Image({L32(0x43), L32(0xFFFFFFFF)}, 8));
    reply.RawRecord(166, Image({L32(0x45), L32(0x46)}, 8));

    Decoder<_VolumeBackupsList> in(reply.bytes);
    const auto& r = in.Read();
    ASSERT_EQ(3u, V(r.NumOfItems));
    ASSERT_NE(nullptr, V(r.pVolBkpItems));
    EXPECT_EQ(0x41, V(r.pVolBkpItems[0].volumeKey));
    EXPECT_EQ(0x42, V(r.pVolBkpItems[0].LastBackupOfPreviousInstallation));
    EXPECT_EQ(-1, V(r.pVolBkpItems[1].LastBackupOfPreviousInstallation));
    EXPECT_EQ(0x46, V(r.pVolBkpItems[2].LastBackupOfPreviousInstallation));
}

struct VolumeInfoSample {
    VolumeInfoSample() : name(Str(u"System")), root(Str(u"C:\\")) {
        value = test::Zeroed<_volumeinfo>();
        value.volumeKey = 0x71;
        value.fileSystem = kFileSystem_fat32;
        value.lowLastBackupDate = 0x72;
        value.highLastBackupDate = 0x73;
        value.lastBackupRevision = 0x74;
        value.lastFullBackupNum = 0x75;
        value.volumeName = name.Get();
        value.volumeSerialNumber = 0xC0FFEE00;
        value.volumeRootpathName = root.Get();
        value.volumeFileSystemFlags = 0x76;
        value.m_VolumeFileSystemName = nullptr;
        value.DTFSyncFlag = -2;
        value.DTFNameDateTimeHash = 0x77;
        value.volumeIDGUID = kGuidA;
        value.volumeSizeHigh = 0x78;
        value.volumeSizeLow = 0x79;
        value.lastPhysicalFileUsed = 0x0123456789;
    }
    Wire Expected() const {
        Wire w;
        // fileSystem is an enumeration and travels as int.
        w.Tag(155).Long(0x71).Int(static_cast<std::int32_t>(0x8C000004u)).Long(0x72).Long(0x73);
        w.Long(0x74).Short(0x75).Bstr(u"System").ULong(0xC0FFEE00).Bstr(u"C:\\").Long(0x76);
        w.NullBstr().Short(-2).Long(0x77).Guid(kGuidA).Long(0x78).Long(0x79).Int64(0x0123456789);
        return w;
    }
    CUniqueBstr name, root;
    _volumeinfo value;
};

TEST(RecordEncoding, VolumeInfoSendsItsEnumerationAsInt) {
    VolumeInfoSample sample;
    Wire expected = sample.Expected();
    EXPECT_BYTES(expected.bytes, Encoded(sample.value));

    Decoder<_volumeinfo> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(kFileSystem_fat32, V(r.fileSystem));
    EXPECT_EQ(0x75, V(r.lastFullBackupNum));
    EXPECT_EQ("System", Text(r.volumeName));
    EXPECT_EQ(0xC0FFEE00u, V(r.volumeSerialNumber));
    EXPECT_EQ("C:\\", Text(r.volumeRootpathName));
    EXPECT_EQ(nullptr, V(r.m_VolumeFileSystemName));
    EXPECT_EQ(-2, V(r.DTFSyncFlag));
    ExpectSameGuid(kGuidA, r.volumeIDGUID);
    EXPECT_EQ(0x0123456789, V(r.lastPhysicalFileUsed));
}

TEST(RecordEncoding, FileDescriptorSendsTheDeclaredLongFileExcludedAsInt) {
    CUniqueBstr name = Str(u"report.doc");
    CUniqueBstr shortName = Str(u"REPORT~1.DOC");
    auto f = test::Zeroed<_rnsm_filedescriptor>();
    f.volumeID = 1;
    f.backupNumber = 2;
    f.backupNumberStart = 3;
    f.backupNumberEnd = 4;
    f.logicalFileID = 5;
    f.physicalFileID = 6;
    f.fileRev = 7;
    f.parentID = 8;
    f.Name = name.Get();
    f.lowCreationDateTime = 9;
    f.highCreationDateTime = 10;
    f.securityKey = 11;
    f.lowModDateTime = 12;
    f.highModDateTime = 13;
    f.attributes = 14;
    f.lowCurrentSize = 15;
    f.highCurrentSize = 16;
    f.initNameDateTimeHash = 17;
    f.lowFileContentsHash = 18;
    f.highFileContentsHash = 19;
    f.rnsmFileFlags = 20;
    f.fileExcluded = 21;
    f.timeBias = 22;
    f.shortFileName = shortName.Get();
    f.archiveFlag = kAdminArchive;

    Wire expected;
    expected.Tag(156).Long(1).Short(2).Short(3).Short(4).Int64(5).Int64(6).Short(7).Int64(8);
    expected.Bstr(u"report.doc");
    for (int v = 9; v <= 20; ++v) expected.Long(v);
    expected.Int(21).Short(22).Bstr(u"REPORT~1.DOC").Int(static_cast<std::int32_t>(0x8C000002u));
    EXPECT_BYTES(expected.bytes, Encoded(f));

    Decoder<_rnsm_filedescriptor> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(8, V(r.parentID));
    EXPECT_EQ("report.doc", Text(r.Name));
    EXPECT_EQ(20, V(r.rnsmFileFlags));
    EXPECT_EQ(21, V(r.fileExcluded));
    EXPECT_EQ(22, V(r.timeBias));
    EXPECT_EQ("REPORT~1.DOC", Text(r.shortFileName));
    EXPECT_EQ(kAdminArchive, V(r.archiveFlag));
}

// ---------------------------------------------------------------------------
// Job specifications
// ---------------------------------------------------------------------------

struct FilterItemSample {
    FilterItemSample(LONG key, std::u16string_view path) : text(Str(path)) {
        value = test::Zeroed<_viewFilterItem>();
        value.FilterItemKey = key;
        value.volumeKey = key + 1;
        value.Path = text.Get();
        value.OwnerFlags = 0x80000000u | static_cast<ULONG>(key);
        value.Type = 3;
        value.DriveLetter = 'D';
    }
    void Emit(Wire& w) const {
        w.Tag(162).Long(value.FilterItemKey).Long(value.FilterItemKey + 1).BstrOf(value.Path);
        w.ULong(value.OwnerFlags).ULong(3).UChar('D');
    }
    CUniqueBstr text;
    _viewFilterItem value;
};

struct RestoreItemSample {
    RestoreItemSample(LONG key, std::u16string_view path) : text(Str(path)) {
        value = test::Zeroed<_restoreItem>();
        value.VolumeDsKey = key;
        value.FileDsKey = 0x0000000100000000LL + key;
        value.backupNumber = -5;
        value.DestinationPath = text.Get();
        value.IncludeSubdirPath = 1;
    }
    void Emit(Wire& w) const {
        w.Tag(174).Long(value.VolumeDsKey).Int64(value.FileDsKey).Short(-5);
        w.BstrOf(value.DestinationPath).UChar(1);
    }
    CUniqueBstr text;
    _restoreItem value;
};

TEST(RecordEncoding, BackupJobSpecCarriesTwoFilterArraysAroundItsFlags) {
    FilterItemSample f1(0x10, u"C:\\Data");
    FilterItemSample f2(0x20, u"*.tmp");
    FilterItemSample i1(0x30, u"D:\\");
    _viewFilterItem filters[2] = {f1.value, f2.value};
    auto backup = test::Zeroed<_backupjobspec>();
    backup.VolumeDsKey = 0x61;
    backup.FilterListDsKey = 0x62;
    backup.NumberOfFilters = 2;
    backup.FilterItems = filters;
    backup.archiveFlag = 1;
    backup.ManualBackup = 0;
    backup.FullBackup = -1;  // declared char, travels as unsigned char
    backup.NumberOfIncludeItems = 1;
    backup.IncludeItems = &i1.value;

    Wire expected;
    expected.Tag(173).Long(0x61).Long(0x62).ArrayHead(2, 2);
    f1.Emit(expected);
    f2.Emit(expected);
    expected.UChar(1).UChar(0).UChar(0xFF).ArrayHead(1, 1);
    i1.Emit(expected);
    EXPECT_BYTES(expected.bytes, Encoded(backup));

    Decoder<_backupjobspec> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(0x62, V(r.FilterListDsKey));
    ASSERT_EQ(2u, V(r.NumberOfFilters));
    EXPECT_EQ("*.tmp", Text(r.FilterItems[1].Path));
    EXPECT_EQ(0x80000020u, V(r.FilterItems[1].OwnerFlags));
    EXPECT_EQ('D', V(r.FilterItems[1].DriveLetter));
    EXPECT_EQ(1, V(r.archiveFlag));
    EXPECT_EQ(-1, V(r.FullBackup));
    ASSERT_EQ(1u, V(r.NumberOfIncludeItems));
    EXPECT_EQ("D:\\", Text(r.IncludeItems[0].Path));
}

TEST(RecordEncoding, RestoreJobSpecCarriesItsItemArrayBeforeTheFlag) {
    RestoreItemSample item(0x44, u"E:\\Restore");
    auto restore = test::Zeroed<_restorejobspec>();
    restore.RestoreListDsKey = 0x99;
    restore.NumberOfItems = 1;
    restore.RestoreList = &item.value;
    restore.FullVolumeRestore = 1;

    Wire expected;
    expected.Tag(175).Long(0x99).ArrayHead(1, 1);
    item.Emit(expected);
    expected.UChar(1);
    EXPECT_BYTES(expected.bytes, Encoded(restore));

    Decoder<_restorejobspec> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(0x99, V(r.RestoreListDsKey));
    ASSERT_EQ(1u, V(r.NumberOfItems));
    EXPECT_EQ(0x0000000100000044LL, V(r.RestoreList[0].FileDsKey));
    EXPECT_EQ(-5, V(r.RestoreList[0].backupNumber));
    EXPECT_EQ("E:\\Restore", Text(r.RestoreList[0].DestinationPath));
    EXPECT_EQ(1, V(r.RestoreList[0].IncludeSubdirPath));
    EXPECT_EQ(1, V(r.FullVolumeRestore));
}

struct JobSample {
    JobSample() : pre(Str(u"pre.cmd")), vault(Str(u"Vault1")), desc(Str(u"job")) {
        value = test::Zeroed<_jobspec>();
        value.jobType = kVolumeRestoreJob;
        value.JobNumber = 0x101;
        value.MetaJobDsKey = 0x102;
        value.PreCommandLocation = kVault;
        value.PreCommands = pre.Get();
        value.PostCommandLocation = kClient;
        value.PostCommands = nullptr;
        value.SBSDsKey = 0x103;
        value.LastJobInMetaJob = 1;
        value.vaultName = vault.Get();
        value.description = desc.Get();
        value.RecurrentJob = 0;
        value.JobFlags = -0x104;
        value.JobGuid = kGuidB;
    }
    // The fields after the two specification pointers.
    void EmitTail(Wire& w) const {
        w.Int(static_cast<std::int32_t>(0x8C000004u)).Long(value.JobNumber).Long(0x102);
        w.Int(static_cast<std::int32_t>(0x8C000001u)).Bstr(u"pre.cmd");
        w.Int(static_cast<std::int32_t>(0x8C000002u)).NullBstr().Long(0x103).UChar(1);
        w.Bstr(u"Vault1").Bstr(u"job").UChar(0).Long(-0x104).Guid(kGuidB);
    }
    void ExpectTail(const _jobspec& r) const {
        EXPECT_EQ(kVolumeRestoreJob, V(r.jobType));
        EXPECT_EQ(V(value.JobNumber), V(r.JobNumber));
        EXPECT_EQ(kVault, V(r.PreCommandLocation));
        EXPECT_EQ("pre.cmd", Text(r.PreCommands));
        EXPECT_EQ(kClient, V(r.PostCommandLocation));
        EXPECT_EQ(nullptr, V(r.PostCommands));
        EXPECT_EQ(0x103, V(r.SBSDsKey));
        EXPECT_EQ(1, V(r.LastJobInMetaJob));
        EXPECT_EQ("Vault1", Text(r.vaultName));
        EXPECT_EQ("job", Text(r.description));
        EXPECT_EQ(-0x104, V(r.JobFlags));
        ExpectSameGuid(kGuidB, r.JobGuid);
    }
    CUniqueBstr pre, vault, desc;
    _jobspec value;
};

TEST(RecordEncoding, JobSpecWithoutSpecificationsStartsWithTwoAbsentFlags) {
    JobSample job;
    Wire expected;
    expected.Tag(176).Present(false).Present(false);
    job.EmitTail(expected);
    EXPECT_BYTES(expected.bytes, Encoded(job.value));
    // Untagged: the two flags are the first eight bytes, then the job type.
    EXPECT_EQ("00 00 00 00 00 00 00 00 04 00 00 8C", ToHex(Encoded(job.value, 255)).substr(0, 35));

    Decoder<_jobspec> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(nullptr, V(r.BackupSpec));
    EXPECT_EQ(nullptr, V(r.RestoreSpec));
    job.ExpectTail(r);
}

TEST(RecordEncoding, JobSpecNestsBothSpecificationsInPlace) {
    FilterItemSample filter(0x10, u"C:\\");
    RestoreItemSample item(0x20, u"X:\\");
    auto backup = test::Zeroed<_backupjobspec>();
    backup.VolumeDsKey = 1;
    backup.FilterListDsKey = 2;
    backup.NumberOfFilters = 1;
    backup.FilterItems = &filter.value;
    auto restore = test::Zeroed<_restorejobspec>();
    restore.RestoreListDsKey = 3;
    restore.NumberOfItems = 1;
    restore.RestoreList = &item.value;
    JobSample job;
    job.value.BackupSpec = &backup;
    job.value.RestoreSpec = &restore;

    Wire expected;
    expected.Tag(176).Present(true).Tag(173).Long(1).Long(2).ArrayHead(1, 1);
    filter.Emit(expected);
    expected.UChar(0).UChar(0).UChar(0).ArrayHead(0, 0);
    expected.Present(true).Tag(175).Long(3).ArrayHead(1, 1);
    item.Emit(expected);
    expected.UChar(0);
    job.EmitTail(expected);
    EXPECT_BYTES(expected.bytes, Encoded(job.value));

    Decoder<_jobspec> reply(expected.bytes);
    const auto& r = reply.Read();
    ASSERT_NE(nullptr, V(r.BackupSpec));
    ASSERT_EQ(1u, V(r.BackupSpec->NumberOfFilters));
    EXPECT_EQ("C:\\", Text(r.BackupSpec->FilterItems[0].Path));
    EXPECT_EQ(0u, V(r.BackupSpec->NumberOfIncludeItems));
    EXPECT_EQ(nullptr, V(r.BackupSpec->IncludeItems));
    ASSERT_NE(nullptr, V(r.RestoreSpec));
    ASSERT_EQ(1u, V(r.RestoreSpec->NumberOfItems));
    EXPECT_EQ("X:\\", Text(r.RestoreSpec->RestoreList[0].DestinationPath));
    job.ExpectTail(r);
}

Bytes JobStatusImage(std::uint32_t status, std::uint16_t percent) {
    return Image({L32(status), L16(percent)}, 6);
}

struct MetaJobSample {
    MetaJobSample() : pwu(Str(u"user")), computer(Str(u"PC-1")) {
        value = test::Zeroed<_metajobspec>();
        value.MetaJobType = kMetaServerScheduledBLOBSyncJob;
        value.PWUName = pwu.Get();
        value.description = nullptr;
        value.SBSGuid = kGuidA;
        value.ExecuteJobsInOrder = 1;
        value.RecurrentJob = 2;
        value.StartDateTime = kTime1;
        value.EndDateTime = kTime2;
        value.DestroyMetaJob = 3;
        value.MetaJobDsKey = 0x201;
        value.CreateDateTime = kTime3;
        value.RetryCount = 4;
        value.JobStatus.status = kJobDone;
        value.JobStatus.PercentComplete = 100;
        value.SBSDsKey = 0x202;
        value.PWUDsKey = 0x203;
        value.ComputerName = computer.Get();
        value.ScheduledJob = 5;
    }
    // Everything before the Jobs array.
    void EmitHead(Wire& w) const {
        w.Tag(177).Int(static_cast<std::int32_t>(0x8C0000C2u)).Bstr(u"user").NullBstr();
        w.Guid(kGuidA).UChar(1).UChar(2).Time(kTime1).Time(kTime2).UChar(3).Long(0x201);
        w.Time(kTime3).UChar(4).RawRecord(172, JobStatusImage(0x8C004000u, 100));
        w.Long(0x202).Long(0x203).Bstr(u"PC-1").UChar(5);
    }
    void ExpectHead(const _metajobspec& r) const {
        EXPECT_EQ(kMetaServerScheduledBLOBSyncJob, V(r.MetaJobType));
        EXPECT_EQ("user", Text(r.PWUName));
        EXPECT_EQ(nullptr, V(r.description));
        ExpectSameGuid(kGuidA, r.SBSGuid);
        EXPECT_EQ(1, V(r.ExecuteJobsInOrder));
        EXPECT_EQ(2, V(r.RecurrentJob));
        ExpectSameTime(kTime1, r.StartDateTime);
        ExpectSameTime(kTime2, r.EndDateTime);
        EXPECT_EQ(3, V(r.DestroyMetaJob));
        EXPECT_EQ(0x201, V(r.MetaJobDsKey));
        ExpectSameTime(kTime3, r.CreateDateTime);
        EXPECT_EQ(4, V(r.RetryCount));
        EXPECT_EQ(kJobDone, V(r.JobStatus.status));
        EXPECT_EQ(100, V(r.JobStatus.PercentComplete));
        EXPECT_EQ(0x202, V(r.SBSDsKey));
        EXPECT_EQ(0x203, V(r.PWUDsKey));
        EXPECT_EQ("PC-1", Text(r.ComputerName));
        EXPECT_EQ(5, V(r.ScheduledJob));
    }
    CUniqueBstr pwu, computer;
    _metajobspec value;
};

TEST(RecordEncoding, MetaJobSpecWithoutJobsEndsWithAnEmptyArray) {
    MetaJobSample meta;
    Wire expected;
    meta.EmitHead(expected);
    expected.ArrayHead(0, 0);
    EXPECT_BYTES(expected.bytes, Encoded(meta.value));

    Decoder<_metajobspec> reply(expected.bytes);
    const auto& r = reply.Read();
    meta.ExpectHead(r);
    EXPECT_EQ(0, V(r.NumberOfJobs));
    EXPECT_EQ(nullptr, V(r.Jobs));
    EXPECT_EQ(0, reply.MemMgr().allocations);
}

TEST(RecordEncoding, MetaJobSpecCarriesItsJobsLast) {
    JobSample job1, job2;
    job2.value.JobNumber = 0x999;
    _jobspec jobs[2] = {job1.value, job2.value};
    MetaJobSample meta;
    meta.value.NumberOfJobs = 2;
    meta.value.Jobs = jobs;

    Wire expected;
    meta.EmitHead(expected);
    expected.ArrayHead(2, 2).Tag(176).Present(false).Present(false);
    job1.EmitTail(expected);
    expected.Tag(176).Present(false).Present(false);
    job2.EmitTail(expected);
    EXPECT_BYTES(expected.bytes, Encoded(meta.value));

    Decoder<_metajobspec> reply(expected.bytes);
    const auto& r = reply.Read();
    meta.ExpectHead(r);
    ASSERT_EQ(2, V(r.NumberOfJobs));
    ASSERT_NE(nullptr, V(r.Jobs));
    job1.ExpectTail(r.Jobs[0]);
    EXPECT_EQ(0x999, V(r.Jobs[1].JobNumber));
}

TEST(RecordEncoding, MetaJobSpecRefusesMoreJobsThanItsEightBitCountHolds) {
    const std::initializer_list<std::pair<ULONG, ULONG>> counts = {{256, 256}, {256, 1}, {1, 300}};
    for (auto [capacity, length] : counts) {
        SCOPED_TRACE(testing::Message() << "capacity " << capacity << ", length " << length);
        MetaJobSample meta;
        Wire reply;
        meta.EmitHead(reply);
        reply.ArrayHead(capacity, length);
        // Enough job bytes would follow; none may be read or allocated.
        JobSample job;
        reply.Tag(176).Present(false).Present(false);
        job.EmitTail(reply);

        Decoder<_metajobspec> in(reply.bytes);
        EXPECT_TRUE(FAILED(in.ReadFails()));
        EXPECT_EQ(0, in.MemMgr().allocations);
        EXPECT_EQ(0, in.MemMgr().reallocations);
        EXPECT_EQ(nullptr, in.Value().Jobs);
    }
}

TEST(RecordEncoding, MetaJobSpec403ReadsTheSameFifteenItemsItWrites) {
    JobSample job;
    CUniqueBstr pwu = Str(u"pwu");
    CUniqueBstr description = Str(u"nightly");
    auto m = test::Zeroed<_metajobspec403>();
    m.MetaJobType = kMetaBackupJob;
    m.PWUName = pwu.Get();
    m.description = description.Get();
    m.SBSGuid = kGuidB;
    m.StartDateTime = kTime2;
    m.EndDateTime = kTime3;
    m.MetaJobDsKey = 0x301;
    m.CreateDateTime = kTime1;
    m.RetryCount = 9;
    m.JobStatus.status = kJobErrStgInaccessible;
    m.JobStatus.PercentComplete = -1;
    m.SBSDsKey = 0x302;
    m.PWUDsKey = 0x303;
    m.ComputerName = nullptr;
    m.lMetaJobFlags = 0x40000000;
    m.NumberOfJobs = 1;
    m.Jobs = &job.value;

    Wire expected;
    expected.Tag(209).Int(static_cast<std::int32_t>(0x8C000001u)).Bstr(u"pwu").Bstr(u"nightly");
    expected.Guid(kGuidB).Time(kTime2).Time(kTime3).Long(0x301).Time(kTime1).UChar(9);
    expected.RawRecord(172, JobStatusImage(0x8C004C00u, 0xFFFF)).Long(0x302).Long(0x303);
    expected.NullBstr().Long(0x40000000).ArrayHead(1, 1).Tag(176).Present(false).Present(false);
    job.EmitTail(expected);
    EXPECT_BYTES(expected.bytes, Encoded(m));

    Decoder<_metajobspec403> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(kMetaBackupJob, V(r.MetaJobType));
    EXPECT_EQ("nightly", Text(r.description));
    ExpectSameTime(kTime1, r.CreateDateTime);
    EXPECT_EQ(9, V(r.RetryCount));
    EXPECT_EQ(kJobErrStgInaccessible, V(r.JobStatus.status));
    EXPECT_EQ(-1, V(r.JobStatus.PercentComplete));
    EXPECT_EQ(nullptr, V(r.ComputerName));
    EXPECT_EQ(0x40000000, V(r.lMetaJobFlags));
    ASSERT_EQ(1, V(r.NumberOfJobs));
    job.ExpectTail(r.Jobs[0]);
}

TEST(RecordEncoding, MetaJobsNestThreeLevelsInOneContiguousValue) {
    FilterItemSample filter(0x55, u"F:\\");
    auto backup = test::Zeroed<_backupjobspec>();
    backup.VolumeDsKey = 0x56;
    backup.NumberOfFilters = 1;
    backup.FilterItems = &filter.value;
    backup.ManualBackup = 1;
    JobSample job;
    job.value.BackupSpec = &backup;
    MetaJobSample meta1, meta2;
    meta1.value.NumberOfJobs = 1;
    meta1.value.Jobs = &job.value;
    _metajobspec metas[2] = {meta1.value, meta2.value};
    auto all = test::Zeroed<_metajobs>();
    all.NumberOfMetaJobs = 2;
    all.MetaJobs = metas;

    Wire expected;
    expected.Tag(200).ArrayHead(2, 2);
    meta1.EmitHead(expected);
    expected.ArrayHead(1, 1).Tag(176).Present(true).Tag(173).Long(0x56).Long(0).ArrayHead(1, 1);
    filter.Emit(expected);
    expected.UChar(0).UChar(1).UChar(0).ArrayHead(0, 0).Present(false);
    job.EmitTail(expected);
    meta2.EmitHead(expected);
    expected.ArrayHead(0, 0);
    EXPECT_BYTES(expected.bytes, Encoded(all));

    Decoder<_metajobs> reply(expected.bytes);
    const auto& r = reply.Read();
    ASSERT_EQ(2u, V(r.NumberOfMetaJobs));
    meta1.ExpectHead(r.MetaJobs[0]);
    ASSERT_EQ(1, V(r.MetaJobs[0].NumberOfJobs));
    const _jobspec& j = r.MetaJobs[0].Jobs[0];
    ASSERT_NE(nullptr, V(j.BackupSpec));
    EXPECT_EQ(nullptr, V(j.RestoreSpec));
    EXPECT_EQ(0x56, V(j.BackupSpec->VolumeDsKey));
    EXPECT_EQ(1, V(j.BackupSpec->ManualBackup));
    ASSERT_EQ(1u, V(j.BackupSpec->NumberOfFilters));
    EXPECT_EQ("F:\\", Text(j.BackupSpec->FilterItems[0].Path));
    job.ExpectTail(j);
    meta2.ExpectHead(r.MetaJobs[1]);
    EXPECT_EQ(0, V(r.MetaJobs[1].NumberOfJobs));
    EXPECT_EQ(nullptr, V(r.MetaJobs[1].Jobs));
}

// ---------------------------------------------------------------------------
// Schedules and job requests
// ---------------------------------------------------------------------------

TEST(RecordEncoding, BackupSchedulesNestTheirScheduleBlockAndItems) {
    CUniqueBstr path1 = Str(u"C:\\Users");
    _schedbackupitem items[2] = {{path1.Get(), 7}, {nullptr, -8}};
    auto s = test::Zeroed<_backupschedule>();
    s.ScheduleDef.ScheduleKey = 0x401;
    s.ScheduleDef.StartTime = kTime1;
    s.ScheduleDef.Days = 0x7F;
    s.ScheduleDef.TimeWindow = 3600;
    s.FullBackup = 1;
    s.NumberOfBackupItems = 2;
    s.BackupItems = items;

    auto emitItems = [](Wire& w) {
        w.Tag(178).Bstr(u"C:\\Users").Long(7);
        w.Tag(178).NullBstr().Long(-8);
    };
    Wire expected;
    expected.Tag(179).RawRecord(171,
                                Image({L32(0x401), TimeBytes(kTime1), L32(0x7F), L32(3600)}, 28));
    expected.UChar(1).ArrayHead(2, 2);
    emitItems(expected);
    EXPECT_BYTES(expected.bytes, Encoded(s));

    Decoder<_backupschedule> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(0x401, V(r.ScheduleDef.ScheduleKey));
    ExpectSameTime(kTime1, r.ScheduleDef.StartTime);
    EXPECT_EQ(0x7Fu, V(r.ScheduleDef.Days));
    EXPECT_EQ(3600, V(r.ScheduleDef.TimeWindow));
    EXPECT_EQ(1, V(r.FullBackup));
    ASSERT_EQ(2u, V(r.NumberOfBackupItems));
    EXPECT_EQ("C:\\Users", Text(r.BackupItems[0].PathToFile));
    EXPECT_EQ(-8, V(r.BackupItems[1].Type));

    // The 401 form: a 32-byte schedule with its settings word.
    auto s401 = test::Zeroed<_backupschedule_401>();
    s401.ScheduleDef.ScheduleKey = 0x402;
    s401.ScheduleDef.StartTime = kTime2;
    s401.ScheduleDef.Days = 1;
    s401.ScheduleDef.TimeWindow = -1;
    s401.ScheduleDef.lScheduleSettings = 0x0F0F;
    s401.FullBackup = 0;
    s401.NumberOfBackupItems = 2;
    s401.BackupItems = items;
    Wire expected401;
    expected401.Tag(187).RawRecord(
        186, Image({L32(0x402), TimeBytes(kTime2), L32(1), L32(0xFFFFFFFF), L32(0x0F0F)}, 32));
    expected401.UChar(0).ArrayHead(2, 2);
    emitItems(expected401);
    EXPECT_BYTES(expected401.bytes, Encoded(s401));

    Decoder<_backupschedule_401> reply401(expected401.bytes);
    const auto& r401 = reply401.Read();
    EXPECT_EQ(0x402, V(r401.ScheduleDef.ScheduleKey));
    EXPECT_EQ(0x0F0F, V(r401.ScheduleDef.lScheduleSettings));
    ASSERT_EQ(2u, V(r401.NumberOfBackupItems));
    EXPECT_EQ(nullptr, V(r401.BackupItems[1].PathToFile));
}

TEST(RecordEncoding, ManualBackupSpecPutsItsItemsBeforeTheJobFlags) {
    CUniqueBstr pwu = Str(u"admin");
    CUniqueBstr post = Str(u"post.bat");
    CUniqueBstr path = Str(u"C:\\Docs");
    _partialmanualBackupItem item = {path.Get(), 0x0102, 1};
    auto m = test::Zeroed<_manualBackupSpec>();
    m.BackupType = kPartialBackup;
    m.IsArchive = 1;
    m.PWUName = pwu.Get();
    m.description = nullptr;
    m.SBSGuid = kGuidA;
    m.PreCommandLocation = kClient;
    m.PostCommandLocation = kVault;
    m.PreCommands = nullptr;
    m.PostCommands = post.Get();
    m.NumberOfItems = 1;
    m.Items = &item;
    m.JobFlags = 0x7777;

    Wire expected;
    expected.Tag(203).Int(static_cast<std::int32_t>(0x8C000002u)).UChar(1).Bstr(u"admin");
    expected.NullBstr().Guid(kGuidA).Int(static_cast<std::int32_t>(0x8C000002u));
    expected.Int(static_cast<std::int32_t>(0x8C000001u)).NullBstr().Bstr(u"post.bat");
    expected.ArrayHead(1, 1).Tag(202).Bstr(u"C:\\Docs").Long(0x0102).UChar(1).Long(0x7777);
    EXPECT_BYTES(expected.bytes, Encoded(m));
}

TEST(RecordEncoding, RestoreSpecPutsItsItemsBeforeTheJobFlags) {
    CUniqueBstr pwu = Str(u"owner");
    CUniqueBstr pre = Str(u"stop.cmd");
    RestoreItemSample item1(1, u"A:\\");
    RestoreItemSample item2(2, u"B:\\");
    _restoreItem items[2] = {item1.value, item2.value};
    auto r = test::Zeroed<_restorespec>();
    r.RestoreType = kRegistryRestore;
    r.PWUName = pwu.Get();
    r.SBSGuid = kGuidB;
    r.PreCommandLocation = kVault;
    r.PostCommandLocation = kClient;
    r.PreCommands = pre.Get();
    r.PostCommands = nullptr;
    r.NumberOfRestoreItems = 2;
    r.RestoreItems = items;
    r.JobFlags = -1;

    Wire expected;
    expected.Tag(204).Int(static_cast<std::int32_t>(0x8C000003u)).Bstr(u"owner").Guid(kGuidB);
    expected.Int(static_cast<std::int32_t>(0x8C000001u))
        .Int(static_cast<std::int32_t>(0x8C000002u));
    expected.Bstr(u"stop.cmd").NullBstr().ArrayHead(2, 2);
    item1.Emit(expected);
    item2.Emit(expected);
    expected.Long(-1);
    EXPECT_BYTES(expected.bytes, Encoded(r));
}

// ---------------------------------------------------------------------------
// Settings and properties
// ---------------------------------------------------------------------------

TEST(RecordEncoding, SecuritySettingsWithEmptyListsAreTheValueAndThreeEmptyArrays) {
    auto s = test::Zeroed<_securitySettings>();
    s.dwValue = 0xDEADBEEF;
    Wire expected;
    expected.Tag(213).ULong(0xDEADBEEF).ArrayHead(0, 0).ArrayHead(0, 0).ArrayHead(0, 0);
    EXPECT_BYTES(expected.bytes, Encoded(s));
    Wire plain(255);
    plain.ULong(0xDEADBEEF).ArrayHead(0, 0).ArrayHead(0, 0).ArrayHead(0, 0);
    EXPECT_EQ(28u, plain.bytes.size());
    EXPECT_BYTES(plain.bytes, Encoded(s, 255));

    Decoder<_securitySettings> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(0xDEADBEEFu, V(r.dwValue));
    EXPECT_EQ(nullptr, V(r.pbstrList1));
    EXPECT_EQ(0u, V(r.cList1));
    EXPECT_EQ(nullptr, V(r.pbstrList3));
    EXPECT_EQ(0u, V(r.cList3));
}

TEST(RecordEncoding, SecuritySettingsListsAreStringArraysInOrder) {
    CUniqueBstr a = Str(u"alpha");
    CUniqueBstr b = Str(u"");
    CUniqueBstr c = Str(u"gamma");
    BSTR first[2] = {a.Get(), nullptr};
    BSTR third[1] = {b.Get()};
    BSTR fourth[1] = {c.Get()};
    auto s = test::Zeroed<_securitySettings40>();
    s.dwValue = 3;
    s.pbstrList1 = first;
    s.cList1 = 2;
    s.pbstrList3 = third;
    s.cList3 = 1;
    s.pbstrList4 = fourth;
    s.cList4 = 1;

    Wire expected;
    expected.Tag(214).ULong(3).ArrayHead(2, 2).Bstr(u"alpha").NullBstr().ArrayHead(0, 0);
    expected.ArrayHead(1, 1).Bstr(u"").ArrayHead(1, 1).Bstr(u"gamma");
    EXPECT_BYTES(expected.bytes, Encoded(s));

    Decoder<_securitySettings40> reply(expected.bytes);
    const auto& r = reply.Read();
    ASSERT_EQ(2u, V(r.cList1));
    EXPECT_EQ("alpha", Text(r.pbstrList1[0]));
    EXPECT_EQ(nullptr, V(r.pbstrList1[1]));
    EXPECT_EQ(0u, V(r.cList2));
    ASSERT_EQ(1u, V(r.cList3));
    ASSERT_NE(nullptr, V(r.pbstrList3[0]));  // empty, not null
    EXPECT_EQ(0u, SysStringLen(r.pbstrList3[0]));
    ASSERT_EQ(1u, V(r.cList4));
    EXPECT_EQ("gamma", Text(r.pbstrList4[0]));

    // Three lists in the older record.
    auto s3 = test::Zeroed<_securitySettings>();
    s3.pbstrList2 = third;
    s3.cList2 = 1;
    Wire expected3;
    expected3.Tag(213).ULong(0).ArrayHead(0, 0).ArrayHead(1, 1).Bstr(u"").ArrayHead(0, 0);
    EXPECT_BYTES(expected3.bytes, Encoded(s3));
}

TEST(RecordEncoding, PropertyDescCarriesItsValueAsAVariant) {
    CUniqueBstr name = Str(u"Quota");
    CUniqueBstr text = Str(u"10 GB");
    auto p = test::Zeroed<_PropertyDesc>();
    p.Name = name.Get();
    p.Value.vt = VT_BSTR;
    p.Value.bstrVal = text.Get();
    p.Inherited = -1;

    Wire expected;
    expected.Tag(196).Bstr(u"Quota").Tag(65).UShort(VT_BSTR).UShort(0).UShort(0).UShort(0);
    expected.Bstr(u"10 GB").Int(-1);
    EXPECT_BYTES(expected.bytes, Encoded(p));

    Decoder<_PropertyDesc> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ("Quota", Text(r.Name));
    EXPECT_EQ(VT_BSTR, V(r.Value.vt));
    EXPECT_EQ("10 GB", Text(r.Value.bstrVal));
    EXPECT_EQ(-1, V(r.Inherited));

    // A double cannot travel: the write stops after the four words.
    p.Value.vt = VT_R8;
    p.Value.dblVal = 1.5;
    test::Writer w(0);
    EXPECT_EQ(static_cast<HRESULT>(0x8007065Eu),
              ThrownBy([&] { wire::Record<_PropertyDesc>::Write(w.out, p); }));
    Wire partial;
    partial.Tag(196).Bstr(u"Quota").Tag(65).UShort(VT_R8).UShort(0).UShort(0).UShort(0);
    EXPECT_BYTES(partial.bytes, w.Payload());
}

TEST(RecordEncoding, SbsInfoSendsItsIntDeclaredFieldsAsInt) {
    CUniqueBstr login = Str(u"DOMAIN\\user");
    CUniqueBstr name = Str(u"WORKSTATION");
    CUniqueBstr description = Str(u"desk");
    auto s = test::Zeroed<_sbsinfo>();
    s.SBSKey = 1;
    s.DRKey = 2;
    s.machineListKey = 3;
    s.CommonPropertyKey = 4;
    s.loginName = login.Get();
    s.sbsRights = 0xFFFF0000;
    s.IPAddress = 0x0100007F;
    s.IDGUID = kGuidA;
    s.SBSState = kSBSInUse;
    s.OSType = 0x0A;
    s.Name = name.Get();
    s.SystemDirectory = nullptr;
    s.lastBackup = kTime1;
    s.nextBackup = kTime2;
    s.primaryPortAddress = 80;
    s.secondaryPortAddress = 443;
    s.deleteFlag = 5;
    s.SuspendFlag = 6;
    s.disabledFlag = 7;
    s.MajorVersion = 8;
    s.MinorVersion = 9;
    s.OEMVersion = 10;
    s.ComputerDescription = description.Get();
    s.SpaceUsed = 0x7FFFFFFFFFFFFFFF;

    Wire expected;
    expected.Tag(134).Long(1).Long(2).Long(3).Long(4).Bstr(u"DOMAIN\\user").ULong(0xFFFF0000);
    expected.Long(0x0100007F).Guid(kGuidA).Int(static_cast<std::int32_t>(0x8C000001u));
    expected.UChar(0x0A).Bstr(u"WORKSTATION").NullBstr().Time(kTime1).Time(kTime2);
    expected.ULong(80).ULong(443).Int(5).Int(6).Int(7).ULong(8).ULong(9).ULong(10);
    expected.Bstr(u"desk").Int64(0x7FFFFFFFFFFFFFFF);
    EXPECT_BYTES(expected.bytes, Encoded(s));

    Decoder<_sbsinfo> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ("DOMAIN\\user", Text(r.loginName));
    EXPECT_EQ(kSBSInUse, V(r.SBSState));
    EXPECT_EQ(0x0A, V(r.OSType));
    ExpectSameTime(kTime2, r.nextBackup);
    EXPECT_EQ(443u, V(r.secondaryPortAddress));
    EXPECT_EQ(7, V(r.disabledFlag));
    EXPECT_EQ(10u, V(r.OEMVersion));
    EXPECT_EQ("desk", Text(r.ComputerDescription));
    EXPECT_EQ(0x7FFFFFFFFFFFFFFF, V(r.SpaceUsed));
}

TEST(RecordEncoding, ProcessedMetaJobAndRetentionRuleFieldOrder) {
    CUniqueBstr description = Str(u"done");
    auto p = test::Zeroed<_processedMetaJob>();
    p.MetaJobType = 0x81;
    p.metaJobKey = 0x501;
    p.description = description.Get();
    p.StartTime = kTime3;
    p.endTime = kTime1;
    p.status = -0x502;
    p.dwMetaJobFlags = 0x503;
    p.RetryCount = 2;
    Wire processed;
    processed.Tag(170).UChar(0x81).Long(0x501).Bstr(u"done").Time(kTime3).Time(kTime1);
    processed.Long(-0x502).ULong(0x503).UChar(2);
    EXPECT_BYTES(processed.bytes, Encoded(p));
    {
        Decoder<_processedMetaJob> reply(processed.bytes);
        const auto& r = reply.Read();
        EXPECT_EQ(0x81, V(r.MetaJobType));
        EXPECT_EQ("done", Text(r.description));
        ExpectSameTime(kTime1, r.endTime);
        EXPECT_EQ(0x503u, V(r.dwMetaJobFlags));
        EXPECT_EQ(2, V(r.RetryCount));
    }

    CUniqueBstr path = Str(u"\\\\share");
    auto rule = test::Zeroed<_retentionRule>();
    rule.retentionPolicyKey = 1;
    rule.retPolicyListKey = 2;
    rule.retAction = kNotCriticalRetention;
    rule.inclArchive = 3;
    rule.accessType = 4;
    rule.Path = path.Get();
    rule.policyLength = 5;
    rule.policyUnits = kMonths;
    rule.numRevisions = 6;
    rule.deletePolicyLength = 7;
    rule.deletePolicyUnits = kYears;
    Wire retention;
    retention.Tag(184).Int(1).Int(2).Int(static_cast<std::int32_t>(0x8C000002u)).Short(3).Short(4);
    retention.Bstr(u"\\\\share").Int(5).Int(static_cast<std::int32_t>(0x8C000003u)).Int(6).Int(7);
    retention.Int(static_cast<std::int32_t>(0x8C000004u));
    EXPECT_BYTES(retention.bytes, Encoded(rule));
}

// ---------------------------------------------------------------------------
// Every record in one sweep
// ---------------------------------------------------------------------------

// Owns the strings a test puts into records.
class Strings {
public:
    BSTR Make(std::u16string_view text) {
        m_owned.push_back(Str(text));
        return m_owned.back().Get();
    }

private:
    std::vector<CUniqueBstr> m_owned;
};

GUID NumberedGuid(int n) {
    GUID g = kGuidA;
    g.Data1 = 0x10000000u + static_cast<ULONG>(n);
    return g;
}

SYSTEMTIME NumberedTime(int n) {
    const auto w = static_cast<WORD>(n);
    return SYSTEMTIME{static_cast<WORD>(1990 + n), 1, 2, w, 3, 4, 5, static_cast<WORD>(100 + n)};
}

enum class Direction { kBoth, kWritten, kRead };

template <class T>
concept HasWriter = requires(CBinarySerializer& out, const T& value) {
    wire::Record<T>::Write(out, value);
};
template <class T>
concept HasReader = requires(CBinaryDeserializer& in, T& value) {
    wire::Record<T>::Read(in, value);
};

// A raw-block record: its tag, then exactly its packed image, in the
// directions it travels; a record has a writer only if it is sent and a
// reader only if it is received.
template <class T>
void CheckRawRecord(ULONG tag, Direction direction) {
    const Bytes image = Pattern(sizeof(T), static_cast<unsigned>(tag));
    Wire expected;
    expected.RawRecord(tag, image);
    const bool sent = direction != Direction::kRead;
    const bool received = direction != Direction::kWritten;
    if constexpr (HasWriter<T>) {
        EXPECT_TRUE(sent) << "a writer for a record that is only received";
        T value;
        std::memcpy(static_cast<void*>(&value), image.data(), sizeof value);
        EXPECT_BYTES(expected.bytes, Encoded(value));
    } else {
        EXPECT_FALSE(sent) << "no writer for a record that is sent";
    }
    if constexpr (HasReader<T>) {
        EXPECT_TRUE(received) << "a reader for a record that is only sent";
        Decoder<T> reply(expected.bytes);
        const T& value = reply.Read();
        EXPECT_EQ(0, std::memcmp(&value, image.data(), sizeof value));
    } else {
        EXPECT_FALSE(received) << "no reader for a record that is received";
    }
}

// Records of plain fields: each field carries its ordinal, so a field out of
// place, of the wrong wire type or missing shows in the bytes.
TEST(RecordEncoding, PlainFieldsOfDiskFileInfoEx) {
    Strings text;
    auto value = test::Zeroed<_DiskFileInfoEx>();
    Wire expected;
    expected.Tag(151);
    value.diskFileKey = static_cast<decltype(value.diskFileKey)>(0x01010101);
    expected.Long(0x01010101);
    value.BLOBTypeKey = static_cast<decltype(value.BLOBTypeKey)>(0x01020202);
    expected.Long(0x01020202);
    value.UsedSpace = static_cast<decltype(value.UsedSpace)>(0x01030303);
    expected.Long(0x01030303);
    value.DiskSpace = static_cast<decltype(value.DiskSpace)>(0x01040404);
    expected.Long(0x01040404);
    value.Available =
        static_cast<decltype(value.Available)>(static_cast<std::int32_t>(0x8C000005u));
    expected.Int(static_cast<std::int32_t>(0x8C000005u));
    value.rawVolumeKey = static_cast<decltype(value.rawVolumeKey)>(0x01060606);
    expected.Long(0x01060606);
    value.Name = text.Make(u"f7");
    expected.Bstr(u"f7");
    Decoder<_DiskFileInfoEx> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.diskFileKey)>(0x01010101), V(r.diskFileKey));
    EXPECT_EQ(static_cast<decltype(r.BLOBTypeKey)>(0x01020202), V(r.BLOBTypeKey));
    EXPECT_EQ(static_cast<decltype(r.UsedSpace)>(0x01030303), V(r.UsedSpace));
    EXPECT_EQ(static_cast<decltype(r.DiskSpace)>(0x01040404), V(r.DiskSpace));
    EXPECT_EQ(static_cast<decltype(r.Available)>(static_cast<std::int32_t>(0x8C000005u)),
              V(r.Available));
    EXPECT_EQ(static_cast<decltype(r.rawVolumeKey)>(0x01060606), V(r.rawVolumeKey));
    EXPECT_EQ("f7", Text(r.Name));
}

TEST(RecordEncoding, PlainFieldsOfRawVolumeEx) {
    Strings text;
    auto value = test::Zeroed<_rawVolumeEx>();
    Wire expected;
    expected.Tag(153);
    value.rawVolumeKey = static_cast<decltype(value.rawVolumeKey)>(0x01010101);
    expected.Long(0x01010101);
    value.Path = text.Make(u"f2");
    expected.Bstr(u"f2");
    value.Available =
        static_cast<decltype(value.Available)>(static_cast<std::int32_t>(0x8C000003u));
    expected.Int(static_cast<std::int32_t>(0x8C000003u));
    value.MaxSpace = static_cast<decltype(value.MaxSpace)>(0x0102030400000004LL);
    expected.Int64(0x0102030400000004LL);
    value.SpaceUsed = static_cast<decltype(value.SpaceUsed)>(0x0102030400000005LL);
    expected.Int64(0x0102030400000005LL);
    value.AccessTrouble = static_cast<decltype(value.AccessTrouble)>(0x81060606u);
    expected.ULong(0x81060606u);
    value.RootPath = text.Make(u"f7");
    expected.Bstr(u"f7");
    value.DrvType = static_cast<decltype(value.DrvType)>(0x81080808u);
    expected.ULong(0x81080808u);
    value.FSType = static_cast<decltype(value.FSType)>(0x81090909u);
    expected.ULong(0x81090909u);
    value.FSFlags = static_cast<decltype(value.FSFlags)>(0x810A0A0Au);
    expected.ULong(0x810A0A0Au);
    value.Label = text.Make(u"f11");
    expected.Bstr(u"f11");
    value.SerNumber = static_cast<decltype(value.SerNumber)>(0x810C0C0Cu);
    expected.ULong(0x810C0C0Cu);
    value.TotalSpace = static_cast<decltype(value.TotalSpace)>(0x010203040000000DLL);
    expected.Int64(0x010203040000000DLL);
    value.FreeSpace = static_cast<decltype(value.FreeSpace)>(0x010203040000000ELL);
    expected.Int64(0x010203040000000ELL);
    Decoder<_rawVolumeEx> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.rawVolumeKey)>(0x01010101), V(r.rawVolumeKey));
    EXPECT_EQ("f2", Text(r.Path));
    EXPECT_EQ(static_cast<decltype(r.Available)>(static_cast<std::int32_t>(0x8C000003u)),
              V(r.Available));
    EXPECT_EQ(static_cast<decltype(r.MaxSpace)>(0x0102030400000004LL), V(r.MaxSpace));
    EXPECT_EQ(static_cast<decltype(r.SpaceUsed)>(0x0102030400000005LL), V(r.SpaceUsed));
    EXPECT_EQ(static_cast<decltype(r.AccessTrouble)>(0x81060606u), V(r.AccessTrouble));
    EXPECT_EQ("f7", Text(r.RootPath));
    EXPECT_EQ(static_cast<decltype(r.DrvType)>(0x81080808u), V(r.DrvType));
    EXPECT_EQ(static_cast<decltype(r.FSType)>(0x81090909u), V(r.FSType));
    EXPECT_EQ(static_cast<decltype(r.FSFlags)>(0x810A0A0Au), V(r.FSFlags));
    EXPECT_EQ("f11", Text(r.Label));
    EXPECT_EQ(static_cast<decltype(r.SerNumber)>(0x810C0C0Cu), V(r.SerNumber));
    EXPECT_EQ(static_cast<decltype(r.TotalSpace)>(0x010203040000000DLL), V(r.TotalSpace));
    EXPECT_EQ(static_cast<decltype(r.FreeSpace)>(0x010203040000000ELL), V(r.FreeSpace));
}

TEST(RecordEncoding, PlainFieldsOfFileBlocksRequest) {
    Strings text;
    auto value = test::Zeroed<_file_blocks_request>();
    Wire expected;
    expected.Tag(218);
    value.lFileKey = static_cast<decltype(value.lFileKey)>(0x0102030400000001LL);
    expected.Int64(0x0102030400000001LL);
    value.buildTechnique = static_cast<decltype(value.buildTechnique)>(0x0102);
    expected.Short(0x0102);
    EXPECT_BYTES(expected.bytes, Encoded(value));
}

TEST(RecordEncoding, PlainFieldsOfVolumeinfo) {
    Strings text;
    auto value = test::Zeroed<_volumeinfo>();
    Wire expected;
    expected.Tag(155);
    value.volumeKey = static_cast<decltype(value.volumeKey)>(0x01010101);
    expected.Long(0x01010101);
    value.fileSystem =
        static_cast<decltype(value.fileSystem)>(static_cast<std::int32_t>(0x8C000002u));
    expected.Int(static_cast<std::int32_t>(0x8C000002u));
    value.lowLastBackupDate = static_cast<decltype(value.lowLastBackupDate)>(0x01030303);
    expected.Long(0x01030303);
    value.highLastBackupDate = static_cast<decltype(value.highLastBackupDate)>(0x01040404);
    expected.Long(0x01040404);
    value.lastBackupRevision = static_cast<decltype(value.lastBackupRevision)>(0x01050505);
    expected.Long(0x01050505);
    value.lastFullBackupNum = static_cast<decltype(value.lastFullBackupNum)>(0x0106);
    expected.Short(0x0106);
    value.volumeName = text.Make(u"f7");
    expected.Bstr(u"f7");
    value.volumeSerialNumber = static_cast<decltype(value.volumeSerialNumber)>(0x81080808u);
    expected.ULong(0x81080808u);
    value.volumeRootpathName = text.Make(u"f9");
    expected.Bstr(u"f9");
    value.volumeFileSystemFlags = static_cast<decltype(value.volumeFileSystemFlags)>(0x010A0A0A);
    expected.Long(0x010A0A0A);
    value.m_VolumeFileSystemName = text.Make(u"f11");
    expected.Bstr(u"f11");
    value.DTFSyncFlag = static_cast<decltype(value.DTFSyncFlag)>(0x010C);
    expected.Short(0x010C);
    value.DTFNameDateTimeHash = static_cast<decltype(value.DTFNameDateTimeHash)>(0x010D0D0D);
    expected.Long(0x010D0D0D);
    value.volumeIDGUID = NumberedGuid(14);
    expected.Guid(NumberedGuid(14));
    value.volumeSizeHigh = static_cast<decltype(value.volumeSizeHigh)>(0x010F0F0F);
    expected.Long(0x010F0F0F);
    value.volumeSizeLow = static_cast<decltype(value.volumeSizeLow)>(0x01101010);
    expected.Long(0x01101010);
    value.lastPhysicalFileUsed =
        static_cast<decltype(value.lastPhysicalFileUsed)>(0x0102030400000011LL);
    expected.Int64(0x0102030400000011LL);
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_volumeinfo> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.volumeKey)>(0x01010101), V(r.volumeKey));
    EXPECT_EQ(static_cast<decltype(r.fileSystem)>(static_cast<std::int32_t>(0x8C000002u)),
              V(r.fileSystem));
    EXPECT_EQ(static_cast<decltype(r.lowLastBackupDate)>(0x01030303), V(r.lowLastBackupDate));
    EXPECT_EQ(static_cast<decltype(r.highLastBackupDate)>(0x01040404), V(r.highLastBackupDate));
    EXPECT_EQ(static_cast<decltype(r.lastBackupRevision)>(0x01050505), V(r.lastBackupRevision));
    EXPECT_EQ(static_cast<decltype(r.lastFullBackupNum)>(0x0106), V(r.lastFullBackupNum));
    EXPECT_EQ("f7", Text(r.volumeName));
    EXPECT_EQ(static_cast<decltype(r.volumeSerialNumber)>(0x81080808u), V(r.volumeSerialNumber));
    EXPECT_EQ("f9", Text(r.volumeRootpathName));
    EXPECT_EQ(static_cast<decltype(r.volumeFileSystemFlags)>(0x010A0A0A),
              V(r.volumeFileSystemFlags));
    EXPECT_EQ("f11", Text(r.m_VolumeFileSystemName));
    EXPECT_EQ(static_cast<decltype(r.DTFSyncFlag)>(0x010C), V(r.DTFSyncFlag));
    EXPECT_EQ(static_cast<decltype(r.DTFNameDateTimeHash)>(0x010D0D0D), V(r.DTFNameDateTimeHash));
    ExpectSameGuid(NumberedGuid(14), r.volumeIDGUID);
    EXPECT_EQ(static_cast<decltype(r.volumeSizeHigh)>(0x010F0F0F), V(r.volumeSizeHigh));
    EXPECT_EQ(static_cast<decltype(r.volumeSizeLow)>(0x01101010), V(r.volumeSizeLow));
    EXPECT_EQ(static_cast<decltype(r.lastPhysicalFileUsed)>(0x0102030400000011LL),
              V(r.lastPhysicalFileUsed));
}

TEST(RecordEncoding, PlainFieldsOfRnsmFiledescriptor) {
    Strings text;
    auto value = test::Zeroed<_rnsm_filedescriptor>();
    Wire expected;
    expected.Tag(156);
    value.volumeID = static_cast<decltype(value.volumeID)>(0x01010101);
    expected.Long(0x01010101);
    value.backupNumber = static_cast<decltype(value.backupNumber)>(0x0102);
    expected.Short(0x0102);
    value.backupNumberStart = static_cast<decltype(value.backupNumberStart)>(0x0103);
    expected.Short(0x0103);
    value.backupNumberEnd = static_cast<decltype(value.backupNumberEnd)>(0x0104);
    expected.Short(0x0104);
    value.logicalFileID = static_cast<decltype(value.logicalFileID)>(0x0102030400000005LL);
    expected.Int64(0x0102030400000005LL);
    value.physicalFileID = static_cast<decltype(value.physicalFileID)>(0x0102030400000006LL);
    expected.Int64(0x0102030400000006LL);
    value.fileRev = static_cast<decltype(value.fileRev)>(0x0107);
    expected.Short(0x0107);
    value.parentID = static_cast<decltype(value.parentID)>(0x0102030400000008LL);
    expected.Int64(0x0102030400000008LL);
    value.Name = text.Make(u"f9");
    expected.Bstr(u"f9");
    value.lowCreationDateTime = static_cast<decltype(value.lowCreationDateTime)>(0x010A0A0A);
    expected.Long(0x010A0A0A);
    value.highCreationDateTime = static_cast<decltype(value.highCreationDateTime)>(0x010B0B0B);
    expected.Long(0x010B0B0B);
    value.securityKey = static_cast<decltype(value.securityKey)>(0x010C0C0C);
    expected.Long(0x010C0C0C);
    value.lowModDateTime = static_cast<decltype(value.lowModDateTime)>(0x010D0D0D);
    expected.Long(0x010D0D0D);
    value.highModDateTime = static_cast<decltype(value.highModDateTime)>(0x010E0E0E);
    expected.Long(0x010E0E0E);
    value.attributes = static_cast<decltype(value.attributes)>(0x010F0F0F);
    expected.Long(0x010F0F0F);
    value.lowCurrentSize = static_cast<decltype(value.lowCurrentSize)>(0x01101010);
    expected.Long(0x01101010);
    value.highCurrentSize = static_cast<decltype(value.highCurrentSize)>(0x01111111);
    expected.Long(0x01111111);
    value.initNameDateTimeHash = static_cast<decltype(value.initNameDateTimeHash)>(0x01121212);
    expected.Long(0x01121212);
    value.lowFileContentsHash = static_cast<decltype(value.lowFileContentsHash)>(0x01131313);
    expected.Long(0x01131313);
    value.highFileContentsHash = static_cast<decltype(value.highFileContentsHash)>(0x01141414);
    expected.Long(0x01141414);
    value.rnsmFileFlags = static_cast<decltype(value.rnsmFileFlags)>(0x01151515);
    expected.Long(0x01151515);
    value.fileExcluded =
        static_cast<decltype(value.fileExcluded)>(static_cast<std::int32_t>(0x8C000016u));
    expected.Int(static_cast<std::int32_t>(0x8C000016u));
    value.timeBias = static_cast<decltype(value.timeBias)>(0x0117);
    expected.Short(0x0117);
    value.shortFileName = text.Make(u"f24");
    expected.Bstr(u"f24");
    value.archiveFlag =
        static_cast<decltype(value.archiveFlag)>(static_cast<std::int32_t>(0x8C000019u));
    expected.Int(static_cast<std::int32_t>(0x8C000019u));
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_rnsm_filedescriptor> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.volumeID)>(0x01010101), V(r.volumeID));
    EXPECT_EQ(static_cast<decltype(r.backupNumber)>(0x0102), V(r.backupNumber));
    EXPECT_EQ(static_cast<decltype(r.backupNumberStart)>(0x0103), V(r.backupNumberStart));
    EXPECT_EQ(static_cast<decltype(r.backupNumberEnd)>(0x0104), V(r.backupNumberEnd));
    EXPECT_EQ(static_cast<decltype(r.logicalFileID)>(0x0102030400000005LL), V(r.logicalFileID));
    EXPECT_EQ(static_cast<decltype(r.physicalFileID)>(0x0102030400000006LL), V(r.physicalFileID));
    EXPECT_EQ(static_cast<decltype(r.fileRev)>(0x0107), V(r.fileRev));
    EXPECT_EQ(static_cast<decltype(r.parentID)>(0x0102030400000008LL), V(r.parentID));
    EXPECT_EQ("f9", Text(r.Name));
    EXPECT_EQ(static_cast<decltype(r.lowCreationDateTime)>(0x010A0A0A), V(r.lowCreationDateTime));
    EXPECT_EQ(static_cast<decltype(r.highCreationDateTime)>(0x010B0B0B), V(r.highCreationDateTime));
    EXPECT_EQ(static_cast<decltype(r.securityKey)>(0x010C0C0C), V(r.securityKey));
    EXPECT_EQ(static_cast<decltype(r.lowModDateTime)>(0x010D0D0D), V(r.lowModDateTime));
    EXPECT_EQ(static_cast<decltype(r.highModDateTime)>(0x010E0E0E), V(r.highModDateTime));
    EXPECT_EQ(static_cast<decltype(r.attributes)>(0x010F0F0F), V(r.attributes));
    EXPECT_EQ(static_cast<decltype(r.lowCurrentSize)>(0x01101010), V(r.lowCurrentSize));
    EXPECT_EQ(static_cast<decltype(r.highCurrentSize)>(0x01111111), V(r.highCurrentSize));
    EXPECT_EQ(static_cast<decltype(r.initNameDateTimeHash)>(0x01121212), V(r.initNameDateTimeHash));
    EXPECT_EQ(static_cast<decltype(r.lowFileContentsHash)>(0x01131313), V(r.lowFileContentsHash));
    EXPECT_EQ(static_cast<decltype(r.highFileContentsHash)>(0x01141414), V(r.highFileContentsHash));
    EXPECT_EQ(static_cast<decltype(r.rnsmFileFlags)>(0x01151515), V(r.rnsmFileFlags));
    EXPECT_EQ(static_cast<decltype(r.fileExcluded)>(static_cast<std::int32_t>(0x8C000016u)),
              V(r.fileExcluded));
    EXPECT_EQ(static_cast<decltype(r.timeBias)>(0x0117), V(r.timeBias));
    EXPECT_EQ("f24", Text(r.shortFileName));
    EXPECT_EQ(static_cast<decltype(r.archiveFlag)>(static_cast<std::int32_t>(0x8C000019u)),
              V(r.archiveFlag));
}

TEST(RecordEncoding, PlainFieldsOfBackupHistory) {
    Strings text;
    auto value = test::Zeroed<_backupHistory>();
    Wire expected;
    expected.Tag(158);
    value.volumeKey = static_cast<decltype(value.volumeKey)>(0x01010101);
    expected.Long(0x01010101);
    value.backupNumber = static_cast<decltype(value.backupNumber)>(0x0102);
    expected.Short(0x0102);
    value.BackupTime = NumberedTime(3);
    expected.Time(NumberedTime(3));
    value.Complete = static_cast<decltype(value.Complete)>(static_cast<std::int32_t>(0x8C000004u));
    expected.Int(static_cast<std::int32_t>(0x8C000004u));
    value.description = text.Make(u"f5");
    expected.Bstr(u"f5");
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_backupHistory> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.volumeKey)>(0x01010101), V(r.volumeKey));
    EXPECT_EQ(static_cast<decltype(r.backupNumber)>(0x0102), V(r.backupNumber));
    ExpectSameTime(NumberedTime(3), r.BackupTime);
    EXPECT_EQ(static_cast<decltype(r.Complete)>(static_cast<std::int32_t>(0x8C000004u)),
              V(r.Complete));
    EXPECT_EQ("f5", Text(r.description));
}

TEST(RecordEncoding, PlainFieldsOfFilebackuphistory) {
    Strings text;
    auto value = test::Zeroed<_filebackuphistory>();
    Wire expected;
    expected.Tag(160);
    value.securityKey = static_cast<decltype(value.securityKey)>(0x01010101);
    expected.Long(0x01010101);
    value.backupNumberStart = static_cast<decltype(value.backupNumberStart)>(0x0102);
    expected.Short(0x0102);
    value.backupNumberEnd = static_cast<decltype(value.backupNumberEnd)>(0x0103);
    expected.Short(0x0103);
    value.rnsmFileFlags = static_cast<decltype(value.rnsmFileFlags)>(0x81040404u);
    expected.ULong(0x81040404u);
    value.deleteFlag = static_cast<decltype(value.deleteFlag)>(0x85u);
    expected.UChar(0x85u);
    value.lowCreationDateTime = static_cast<decltype(value.lowCreationDateTime)>(0x01060606);
    expected.Long(0x01060606);
    value.highCreationDateTime = static_cast<decltype(value.highCreationDateTime)>(0x01070707);
    expected.Long(0x01070707);
    value.lowModDateTime = static_cast<decltype(value.lowModDateTime)>(0x01080808);
    expected.Long(0x01080808);
    value.highModDateTime = static_cast<decltype(value.highModDateTime)>(0x01090909);
    expected.Long(0x01090909);
    value.attributes = static_cast<decltype(value.attributes)>(0x810A0A0Au);
    expected.ULong(0x810A0A0Au);
    value.revisionNumber = static_cast<decltype(value.revisionNumber)>(0x010B0B0B);
    expected.Long(0x010B0B0B);
    value.currentSizeHigh = static_cast<decltype(value.currentSizeHigh)>(0x010C0C0C);
    expected.Long(0x010C0C0C);
    value.currentSizeLow = static_cast<decltype(value.currentSizeLow)>(0x010D0D0D);
    expected.Long(0x010D0D0D);
    value.nameModDateSizeHash = static_cast<decltype(value.nameModDateSizeHash)>(0x010E0E0E);
    expected.Long(0x010E0E0E);
    value.excludedFlag = static_cast<decltype(value.excludedFlag)>(0x8Fu);
    expected.UChar(0x8Fu);
    value.excludedInLatestFlag = static_cast<decltype(value.excludedInLatestFlag)>(0x90u);
    expected.UChar(0x90u);
    value.timeBias = static_cast<decltype(value.timeBias)>(0x0111);
    expected.Short(0x0111);
    value.shortFileName = text.Make(u"f18");
    expected.Bstr(u"f18");
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_filebackuphistory> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.securityKey)>(0x01010101), V(r.securityKey));
    EXPECT_EQ(static_cast<decltype(r.backupNumberStart)>(0x0102), V(r.backupNumberStart));
    EXPECT_EQ(static_cast<decltype(r.backupNumberEnd)>(0x0103), V(r.backupNumberEnd));
    EXPECT_EQ(static_cast<decltype(r.rnsmFileFlags)>(0x81040404u), V(r.rnsmFileFlags));
    EXPECT_EQ(static_cast<decltype(r.deleteFlag)>(0x85u), V(r.deleteFlag));
    EXPECT_EQ(static_cast<decltype(r.lowCreationDateTime)>(0x01060606), V(r.lowCreationDateTime));
    EXPECT_EQ(static_cast<decltype(r.highCreationDateTime)>(0x01070707), V(r.highCreationDateTime));
    EXPECT_EQ(static_cast<decltype(r.lowModDateTime)>(0x01080808), V(r.lowModDateTime));
    EXPECT_EQ(static_cast<decltype(r.highModDateTime)>(0x01090909), V(r.highModDateTime));
    EXPECT_EQ(static_cast<decltype(r.attributes)>(0x810A0A0Au), V(r.attributes));
    EXPECT_EQ(static_cast<decltype(r.revisionNumber)>(0x010B0B0B), V(r.revisionNumber));
    EXPECT_EQ(static_cast<decltype(r.currentSizeHigh)>(0x010C0C0C), V(r.currentSizeHigh));
    EXPECT_EQ(static_cast<decltype(r.currentSizeLow)>(0x010D0D0D), V(r.currentSizeLow));
    EXPECT_EQ(static_cast<decltype(r.nameModDateSizeHash)>(0x010E0E0E), V(r.nameModDateSizeHash));
    EXPECT_EQ(static_cast<decltype(r.excludedFlag)>(0x8Fu), V(r.excludedFlag));
    EXPECT_EQ(static_cast<decltype(r.excludedInLatestFlag)>(0x90u), V(r.excludedInLatestFlag));
    EXPECT_EQ(static_cast<decltype(r.timeBias)>(0x0111), V(r.timeBias));
    EXPECT_EQ("f18", Text(r.shortFileName));
}

TEST(RecordEncoding, PlainFieldsOfViewFilterItem) {
    Strings text;
    auto value = test::Zeroed<_viewFilterItem>();
    Wire expected;
    expected.Tag(162);
    value.FilterItemKey = static_cast<decltype(value.FilterItemKey)>(0x01010101);
    expected.Long(0x01010101);
    value.volumeKey = static_cast<decltype(value.volumeKey)>(0x01020202);
    expected.Long(0x01020202);
    value.Path = text.Make(u"f3");
    expected.Bstr(u"f3");
    value.OwnerFlags = static_cast<decltype(value.OwnerFlags)>(0x81040404u);
    expected.ULong(0x81040404u);
    value.Type = static_cast<decltype(value.Type)>(0x81050505u);
    expected.ULong(0x81050505u);
    value.DriveLetter = static_cast<decltype(value.DriveLetter)>(0x86u);
    expected.UChar(0x86u);
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_viewFilterItem> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.FilterItemKey)>(0x01010101), V(r.FilterItemKey));
    EXPECT_EQ(static_cast<decltype(r.volumeKey)>(0x01020202), V(r.volumeKey));
    EXPECT_EQ("f3", Text(r.Path));
    EXPECT_EQ(static_cast<decltype(r.OwnerFlags)>(0x81040404u), V(r.OwnerFlags));
    EXPECT_EQ(static_cast<decltype(r.Type)>(0x81050505u), V(r.Type));
    EXPECT_EQ(static_cast<decltype(r.DriveLetter)>(0x86u), V(r.DriveLetter));
}

TEST(RecordEncoding, PlainFieldsOfSbsinfo) {
    Strings text;
    auto value = test::Zeroed<_sbsinfo>();
    Wire expected;
    expected.Tag(134);
    value.SBSKey = static_cast<decltype(value.SBSKey)>(0x01010101);
    expected.Long(0x01010101);
    value.DRKey = static_cast<decltype(value.DRKey)>(0x01020202);
    expected.Long(0x01020202);
    value.machineListKey = static_cast<decltype(value.machineListKey)>(0x01030303);
    expected.Long(0x01030303);
    value.CommonPropertyKey = static_cast<decltype(value.CommonPropertyKey)>(0x01040404);
    expected.Long(0x01040404);
    value.loginName = text.Make(u"f5");
    expected.Bstr(u"f5");
    value.sbsRights = static_cast<decltype(value.sbsRights)>(0x81060606u);
    expected.ULong(0x81060606u);
    value.IPAddress = static_cast<decltype(value.IPAddress)>(0x01070707);
    expected.Long(0x01070707);
    value.IDGUID = NumberedGuid(8);
    expected.Guid(NumberedGuid(8));
    value.SBSState = static_cast<decltype(value.SBSState)>(static_cast<std::int32_t>(0x8C000009u));
    expected.Int(static_cast<std::int32_t>(0x8C000009u));
    value.OSType = static_cast<decltype(value.OSType)>(0x8Au);
    expected.UChar(0x8Au);
    value.Name = text.Make(u"f11");
    expected.Bstr(u"f11");
    value.SystemDirectory = text.Make(u"f12");
    expected.Bstr(u"f12");
    value.lastBackup = NumberedTime(13);
    expected.Time(NumberedTime(13));
    value.nextBackup = NumberedTime(14);
    expected.Time(NumberedTime(14));
    value.primaryPortAddress = static_cast<decltype(value.primaryPortAddress)>(0x810F0F0Fu);
    expected.ULong(0x810F0F0Fu);
    value.secondaryPortAddress = static_cast<decltype(value.secondaryPortAddress)>(0x81101010u);
    expected.ULong(0x81101010u);
    value.deleteFlag =
        static_cast<decltype(value.deleteFlag)>(static_cast<std::int32_t>(0x8C000011u));
    expected.Int(static_cast<std::int32_t>(0x8C000011u));
    value.SuspendFlag =
        static_cast<decltype(value.SuspendFlag)>(static_cast<std::int32_t>(0x8C000012u));
    expected.Int(static_cast<std::int32_t>(0x8C000012u));
    value.disabledFlag =
        static_cast<decltype(value.disabledFlag)>(static_cast<std::int32_t>(0x8C000013u));
    expected.Int(static_cast<std::int32_t>(0x8C000013u));
    value.MajorVersion = static_cast<decltype(value.MajorVersion)>(0x81141414u);
    expected.ULong(0x81141414u);
    value.MinorVersion = static_cast<decltype(value.MinorVersion)>(0x81151515u);
    expected.ULong(0x81151515u);
    value.OEMVersion = static_cast<decltype(value.OEMVersion)>(0x81161616u);
    expected.ULong(0x81161616u);
    value.ComputerDescription = text.Make(u"f23");
    expected.Bstr(u"f23");
    value.SpaceUsed = static_cast<decltype(value.SpaceUsed)>(0x0102030400000018LL);
    expected.Int64(0x0102030400000018LL);
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_sbsinfo> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.SBSKey)>(0x01010101), V(r.SBSKey));
    EXPECT_EQ(static_cast<decltype(r.DRKey)>(0x01020202), V(r.DRKey));
    EXPECT_EQ(static_cast<decltype(r.machineListKey)>(0x01030303), V(r.machineListKey));
    EXPECT_EQ(static_cast<decltype(r.CommonPropertyKey)>(0x01040404), V(r.CommonPropertyKey));
    EXPECT_EQ("f5", Text(r.loginName));
    EXPECT_EQ(static_cast<decltype(r.sbsRights)>(0x81060606u), V(r.sbsRights));
    EXPECT_EQ(static_cast<decltype(r.IPAddress)>(0x01070707), V(r.IPAddress));
    ExpectSameGuid(NumberedGuid(8), r.IDGUID);
    EXPECT_EQ(static_cast<decltype(r.SBSState)>(static_cast<std::int32_t>(0x8C000009u)),
              V(r.SBSState));
    EXPECT_EQ(static_cast<decltype(r.OSType)>(0x8Au), V(r.OSType));
    EXPECT_EQ("f11", Text(r.Name));
    EXPECT_EQ("f12", Text(r.SystemDirectory));
    ExpectSameTime(NumberedTime(13), r.lastBackup);
    ExpectSameTime(NumberedTime(14), r.nextBackup);
    EXPECT_EQ(static_cast<decltype(r.primaryPortAddress)>(0x810F0F0Fu), V(r.primaryPortAddress));
    EXPECT_EQ(static_cast<decltype(r.secondaryPortAddress)>(0x81101010u),
              V(r.secondaryPortAddress));
    EXPECT_EQ(static_cast<decltype(r.deleteFlag)>(static_cast<std::int32_t>(0x8C000011u)),
              V(r.deleteFlag));
    EXPECT_EQ(static_cast<decltype(r.SuspendFlag)>(static_cast<std::int32_t>(0x8C000012u)),
              V(r.SuspendFlag));
    EXPECT_EQ(static_cast<decltype(r.disabledFlag)>(static_cast<std::int32_t>(0x8C000013u)),
              V(r.disabledFlag));
    EXPECT_EQ(static_cast<decltype(r.MajorVersion)>(0x81141414u), V(r.MajorVersion));
    EXPECT_EQ(static_cast<decltype(r.MinorVersion)>(0x81151515u), V(r.MinorVersion));
    EXPECT_EQ(static_cast<decltype(r.OEMVersion)>(0x81161616u), V(r.OEMVersion));
    EXPECT_EQ("f23", Text(r.ComputerDescription));
    EXPECT_EQ(static_cast<decltype(r.SpaceUsed)>(0x0102030400000018LL), V(r.SpaceUsed));
}

TEST(RecordEncoding, PlainFieldsOfRawVolume) {
    Strings text;
    auto value = test::Zeroed<_rawVolume>();
    Wire expected;
    expected.Tag(152);
    value.rawVolumeKey = static_cast<decltype(value.rawVolumeKey)>(0x01010101);
    expected.Long(0x01010101);
    value.Path = text.Make(u"f2");
    expected.Bstr(u"f2");
    value.Available =
        static_cast<decltype(value.Available)>(static_cast<std::int32_t>(0x8C000003u));
    expected.Int(static_cast<std::int32_t>(0x8C000003u));
    value.MaxSpace = static_cast<decltype(value.MaxSpace)>(0x0102030400000004LL);
    expected.Int64(0x0102030400000004LL);
    value.SpaceUsed = static_cast<decltype(value.SpaceUsed)>(0x0102030400000005LL);
    expected.Int64(0x0102030400000005LL);
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_rawVolume> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.rawVolumeKey)>(0x01010101), V(r.rawVolumeKey));
    EXPECT_EQ("f2", Text(r.Path));
    EXPECT_EQ(static_cast<decltype(r.Available)>(static_cast<std::int32_t>(0x8C000003u)),
              V(r.Available));
    EXPECT_EQ(static_cast<decltype(r.MaxSpace)>(0x0102030400000004LL), V(r.MaxSpace));
    EXPECT_EQ(static_cast<decltype(r.SpaceUsed)>(0x0102030400000005LL), V(r.SpaceUsed));
}

TEST(RecordEncoding, PlainFieldsOfPWU) {
    Strings text;
    auto value = test::Zeroed<_pWU>();
    Wire expected;
    expected.Tag(181);
    value.PWUKey = static_cast<decltype(value.PWUKey)>(0x01010101);
    expected.Long(0x01010101);
    value.Name = text.Make(u"f2");
    expected.Bstr(u"f2");
    value.NumberOfSBS = static_cast<decltype(value.NumberOfSBS)>(0x01030303);
    expected.Long(0x01030303);
    value.deleteFlag = static_cast<decltype(value.deleteFlag)>(0x01040404);
    expected.Long(0x01040404);
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_pWU> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.PWUKey)>(0x01010101), V(r.PWUKey));
    EXPECT_EQ("f2", Text(r.Name));
    EXPECT_EQ(static_cast<decltype(r.NumberOfSBS)>(0x01030303), V(r.NumberOfSBS));
    EXPECT_EQ(static_cast<decltype(r.deleteFlag)>(0x01040404), V(r.deleteFlag));
}

TEST(RecordEncoding, PlainFieldsOfVaultSettings) {
    Strings text;
    auto value = test::Zeroed<_vaultSettings>();
    Wire expected;
    expected.Tag(191);
    value.VaultID = static_cast<decltype(value.VaultID)>(0x01010101);
    expected.Long(0x01010101);
    value.Name = text.Make(u"f2");
    expected.Bstr(u"f2");
    value.lCount = static_cast<decltype(value.lCount)>(static_cast<std::int32_t>(0x8C000003u));
    expected.Int(static_cast<std::int32_t>(0x8C000003u));
    value.ExpirationDateHigh = static_cast<decltype(value.ExpirationDateHigh)>(0x01040404);
    expected.Long(0x01040404);
    value.ExpirationDateLow = static_cast<decltype(value.ExpirationDateLow)>(0x01050505);
    expected.Long(0x01050505);
    value.IPAddress = static_cast<decltype(value.IPAddress)>(0x01060606);
    expected.Long(0x01060606);
    value.RawDataFileMaxSizeHigh = static_cast<decltype(value.RawDataFileMaxSizeHigh)>(0x01070707);
    expected.Long(0x01070707);
    value.RawDataFileMaxSizeLow = static_cast<decltype(value.RawDataFileMaxSizeLow)>(0x01080808);
    expected.Long(0x01080808);
    value.IntegrityCheckpoint = static_cast<decltype(value.IntegrityCheckpoint)>(0x01090909);
    expected.Long(0x01090909);
    value.LogCheckpoint = static_cast<decltype(value.LogCheckpoint)>(0x010A0A0A);
    expected.Long(0x010A0A0A);
    value.ExcludeListKey = static_cast<decltype(value.ExcludeListKey)>(0x010B0B0B);
    expected.Long(0x010B0B0B);
    Decoder<_vaultSettings> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.VaultID)>(0x01010101), V(r.VaultID));
    EXPECT_EQ("f2", Text(r.Name));
    EXPECT_EQ(static_cast<decltype(r.lCount)>(static_cast<std::int32_t>(0x8C000003u)), V(r.lCount));
    EXPECT_EQ(static_cast<decltype(r.ExpirationDateHigh)>(0x01040404), V(r.ExpirationDateHigh));
    EXPECT_EQ(static_cast<decltype(r.ExpirationDateLow)>(0x01050505), V(r.ExpirationDateLow));
    EXPECT_EQ(static_cast<decltype(r.IPAddress)>(0x01060606), V(r.IPAddress));
    EXPECT_EQ(static_cast<decltype(r.RawDataFileMaxSizeHigh)>(0x01070707),
              V(r.RawDataFileMaxSizeHigh));
    EXPECT_EQ(static_cast<decltype(r.RawDataFileMaxSizeLow)>(0x01080808),
              V(r.RawDataFileMaxSizeLow));
    EXPECT_EQ(static_cast<decltype(r.IntegrityCheckpoint)>(0x01090909), V(r.IntegrityCheckpoint));
    EXPECT_EQ(static_cast<decltype(r.LogCheckpoint)>(0x010A0A0A), V(r.LogCheckpoint));
    EXPECT_EQ(static_cast<decltype(r.ExcludeListKey)>(0x010B0B0B), V(r.ExcludeListKey));
}

TEST(RecordEncoding, PlainFieldsOfMachineGroup) {
    Strings text;
    auto value = test::Zeroed<_machineGroup>();
    Wire expected;
    expected.Tag(193);
    value.GroupKey = static_cast<decltype(value.GroupKey)>(0x01010101);
    expected.Long(0x01010101);
    value.Name = text.Make(u"f2");
    expected.Bstr(u"f2");
    value.description = text.Make(u"f3");
    expected.Bstr(u"f3");
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_machineGroup> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.GroupKey)>(0x01010101), V(r.GroupKey));
    EXPECT_EQ("f2", Text(r.Name));
    EXPECT_EQ("f3", Text(r.description));
}

TEST(RecordEncoding, PlainFieldsOfVaultgrouphistory) {
    Strings text;
    auto value = test::Zeroed<_vaultgrouphistory>();
    Wire expected;
    expected.Tag(222);
    value.lEventType = static_cast<decltype(value.lEventType)>(0x01010101);
    expected.Long(0x01010101);
    value.lowEventDate = static_cast<decltype(value.lowEventDate)>(0x01020202);
    expected.Long(0x01020202);
    value.highEventDate = static_cast<decltype(value.highEventDate)>(0x01030303);
    expected.Long(0x01030303);
    value.ClusterGuid = NumberedGuid(4);
    expected.Guid(NumberedGuid(4));
    value.lMajorVer = static_cast<decltype(value.lMajorVer)>(0x01050505);
    expected.Long(0x01050505);
    value.lMinorVer = static_cast<decltype(value.lMinorVer)>(0x01060606);
    expected.Long(0x01060606);
    value.lBuildNum = static_cast<decltype(value.lBuildNum)>(0x01070707);
    expected.Long(0x01070707);
    Decoder<_vaultgrouphistory> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.lEventType)>(0x01010101), V(r.lEventType));
    EXPECT_EQ(static_cast<decltype(r.lowEventDate)>(0x01020202), V(r.lowEventDate));
    EXPECT_EQ(static_cast<decltype(r.highEventDate)>(0x01030303), V(r.highEventDate));
    ExpectSameGuid(NumberedGuid(4), r.ClusterGuid);
    EXPECT_EQ(static_cast<decltype(r.lMajorVer)>(0x01050505), V(r.lMajorVer));
    EXPECT_EQ(static_cast<decltype(r.lMinorVer)>(0x01060606), V(r.lMinorVer));
    EXPECT_EQ(static_cast<decltype(r.lBuildNum)>(0x01070707), V(r.lBuildNum));
}

TEST(RecordEncoding, PlainFieldsOfProcessedMetaJob) {
    Strings text;
    auto value = test::Zeroed<_processedMetaJob>();
    Wire expected;
    expected.Tag(170);
    value.MetaJobType = static_cast<decltype(value.MetaJobType)>(0x81u);
    expected.UChar(0x81u);
    value.metaJobKey = static_cast<decltype(value.metaJobKey)>(0x01020202);
    expected.Long(0x01020202);
    value.description = text.Make(u"f3");
    expected.Bstr(u"f3");
    value.StartTime = NumberedTime(4);
    expected.Time(NumberedTime(4));
    value.endTime = NumberedTime(5);
    expected.Time(NumberedTime(5));
    value.status = static_cast<decltype(value.status)>(0x01060606);
    expected.Long(0x01060606);
    value.dwMetaJobFlags = static_cast<decltype(value.dwMetaJobFlags)>(0x81070707u);
    expected.ULong(0x81070707u);
    value.RetryCount = static_cast<decltype(value.RetryCount)>(0x88u);
    expected.UChar(0x88u);
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_processedMetaJob> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.MetaJobType)>(0x81u), V(r.MetaJobType));
    EXPECT_EQ(static_cast<decltype(r.metaJobKey)>(0x01020202), V(r.metaJobKey));
    EXPECT_EQ("f3", Text(r.description));
    ExpectSameTime(NumberedTime(4), r.StartTime);
    ExpectSameTime(NumberedTime(5), r.endTime);
    EXPECT_EQ(static_cast<decltype(r.status)>(0x01060606), V(r.status));
    EXPECT_EQ(static_cast<decltype(r.dwMetaJobFlags)>(0x81070707u), V(r.dwMetaJobFlags));
    EXPECT_EQ(static_cast<decltype(r.RetryCount)>(0x88u), V(r.RetryCount));
}

TEST(RecordEncoding, PlainFieldsOfRestoreItem) {
    Strings text;
    auto value = test::Zeroed<_restoreItem>();
    Wire expected;
    expected.Tag(174);
    value.VolumeDsKey = static_cast<decltype(value.VolumeDsKey)>(0x01010101);
    expected.Long(0x01010101);
    value.FileDsKey = static_cast<decltype(value.FileDsKey)>(0x0102030400000002LL);
    expected.Int64(0x0102030400000002LL);
    value.backupNumber = static_cast<decltype(value.backupNumber)>(0x0103);
    expected.Short(0x0103);
    value.DestinationPath = text.Make(u"f4");
    expected.Bstr(u"f4");
    value.IncludeSubdirPath = static_cast<decltype(value.IncludeSubdirPath)>(0x85u);
    expected.UChar(0x85u);
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_restoreItem> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.VolumeDsKey)>(0x01010101), V(r.VolumeDsKey));
    EXPECT_EQ(static_cast<decltype(r.FileDsKey)>(0x0102030400000002LL), V(r.FileDsKey));
    EXPECT_EQ(static_cast<decltype(r.backupNumber)>(0x0103), V(r.backupNumber));
    EXPECT_EQ("f4", Text(r.DestinationPath));
    EXPECT_EQ(static_cast<decltype(r.IncludeSubdirPath)>(0x85u), V(r.IncludeSubdirPath));
}

TEST(RecordEncoding, PlainFieldsOfSchedbackupitem) {
    Strings text;
    auto value = test::Zeroed<_schedbackupitem>();
    Wire expected;
    expected.Tag(178);
    value.PathToFile = text.Make(u"f1");
    expected.Bstr(u"f1");
    value.Type = static_cast<decltype(value.Type)>(0x01020202);
    expected.Long(0x01020202);
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_schedbackupitem> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ("f1", Text(r.PathToFile));
    EXPECT_EQ(static_cast<decltype(r.Type)>(0x01020202), V(r.Type));
}

TEST(RecordEncoding, PlainFieldsOfRetentionRule) {
    Strings text;
    auto value = test::Zeroed<_retentionRule>();
    Wire expected;
    expected.Tag(184);
    value.retentionPolicyKey =
        static_cast<decltype(value.retentionPolicyKey)>(static_cast<std::int32_t>(0x8C000001u));
    expected.Int(static_cast<std::int32_t>(0x8C000001u));
    value.retPolicyListKey =
        static_cast<decltype(value.retPolicyListKey)>(static_cast<std::int32_t>(0x8C000002u));
    expected.Int(static_cast<std::int32_t>(0x8C000002u));
    value.retAction =
        static_cast<decltype(value.retAction)>(static_cast<std::int32_t>(0x8C000003u));
    expected.Int(static_cast<std::int32_t>(0x8C000003u));
    value.inclArchive = static_cast<decltype(value.inclArchive)>(0x0104);
    expected.Short(0x0104);
    value.accessType = static_cast<decltype(value.accessType)>(0x0105);
    expected.Short(0x0105);
    value.Path = text.Make(u"f6");
    expected.Bstr(u"f6");
    value.policyLength =
        static_cast<decltype(value.policyLength)>(static_cast<std::int32_t>(0x8C000007u));
    expected.Int(static_cast<std::int32_t>(0x8C000007u));
    value.policyUnits =
        static_cast<decltype(value.policyUnits)>(static_cast<std::int32_t>(0x8C000008u));
    expected.Int(static_cast<std::int32_t>(0x8C000008u));
    value.numRevisions =
        static_cast<decltype(value.numRevisions)>(static_cast<std::int32_t>(0x8C000009u));
    expected.Int(static_cast<std::int32_t>(0x8C000009u));
    value.deletePolicyLength =
        static_cast<decltype(value.deletePolicyLength)>(static_cast<std::int32_t>(0x8C00000Au));
    expected.Int(static_cast<std::int32_t>(0x8C00000Au));
    value.deletePolicyUnits =
        static_cast<decltype(value.deletePolicyUnits)>(static_cast<std::int32_t>(0x8C00000Bu));
    expected.Int(static_cast<std::int32_t>(0x8C00000Bu));
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_retentionRule> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.retentionPolicyKey)>(static_cast<std::int32_t>(0x8C000001u)),
              V(r.retentionPolicyKey));
    EXPECT_EQ(static_cast<decltype(r.retPolicyListKey)>(static_cast<std::int32_t>(0x8C000002u)),
              V(r.retPolicyListKey));
    EXPECT_EQ(static_cast<decltype(r.retAction)>(static_cast<std::int32_t>(0x8C000003u)),
              V(r.retAction));
    EXPECT_EQ(static_cast<decltype(r.inclArchive)>(0x0104), V(r.inclArchive));
    EXPECT_EQ(static_cast<decltype(r.accessType)>(0x0105), V(r.accessType));
    EXPECT_EQ("f6", Text(r.Path));
    EXPECT_EQ(static_cast<decltype(r.policyLength)>(static_cast<std::int32_t>(0x8C000007u)),
              V(r.policyLength));
    EXPECT_EQ(static_cast<decltype(r.policyUnits)>(static_cast<std::int32_t>(0x8C000008u)),
              V(r.policyUnits));
    EXPECT_EQ(static_cast<decltype(r.numRevisions)>(static_cast<std::int32_t>(0x8C000009u)),
              V(r.numRevisions));
    EXPECT_EQ(static_cast<decltype(r.deletePolicyLength)>(static_cast<std::int32_t>(0x8C00000Au)),
              V(r.deletePolicyLength));
    EXPECT_EQ(static_cast<decltype(r.deletePolicyUnits)>(static_cast<std::int32_t>(0x8C00000Bu)),
              V(r.deletePolicyUnits));
}

TEST(RecordEncoding, PlainFieldsOfGuestInfo) {
    Strings text;
    auto value = test::Zeroed<_guestInfo>();
    Wire expected;
    expected.Tag(185);
    value.Name = text.Make(u"f1");
    expected.Bstr(u"f1");
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_guestInfo> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ("f1", Text(r.Name));
}

TEST(RecordEncoding, PlainFieldsOfPWU403) {
    Strings text;
    auto value = test::Zeroed<_pWU_403>();
    Wire expected;
    expected.Tag(189);
    value.lPWUKey = static_cast<decltype(value.lPWUKey)>(0x01010101);
    expected.Long(0x01010101);
    value.bstrName = text.Make(u"f2");
    expected.Bstr(u"f2");
    value.lNumberOfSBS = static_cast<decltype(value.lNumberOfSBS)>(0x01030303);
    expected.Long(0x01030303);
    value.lFlags = static_cast<decltype(value.lFlags)>(0x01040404);
    expected.Long(0x01040404);
    value.lRights = static_cast<decltype(value.lRights)>(0x01050505);
    expected.Long(0x01050505);
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_pWU_403> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.lPWUKey)>(0x01010101), V(r.lPWUKey));
    EXPECT_EQ("f2", Text(r.bstrName));
    EXPECT_EQ(static_cast<decltype(r.lNumberOfSBS)>(0x01030303), V(r.lNumberOfSBS));
    EXPECT_EQ(static_cast<decltype(r.lFlags)>(0x01040404), V(r.lFlags));
    EXPECT_EQ(static_cast<decltype(r.lRights)>(0x01050505), V(r.lRights));
}

TEST(RecordEncoding, PlainFieldsOfVolumeinfo403) {
    Strings text;
    auto value = test::Zeroed<_volumeinfo403>();
    Wire expected;
    expected.Tag(190);
    value.volumeKey = static_cast<decltype(value.volumeKey)>(0x01010101);
    expected.Long(0x01010101);
    value.fileSystem =
        static_cast<decltype(value.fileSystem)>(static_cast<std::int32_t>(0x8C000002u));
    expected.Int(static_cast<std::int32_t>(0x8C000002u));
    value.lowLastBackupDate = static_cast<decltype(value.lowLastBackupDate)>(0x01030303);
    expected.Long(0x01030303);
    value.highLastBackupDate = static_cast<decltype(value.highLastBackupDate)>(0x01040404);
    expected.Long(0x01040404);
    value.lastBackupRevision = static_cast<decltype(value.lastBackupRevision)>(0x01050505);
    expected.Long(0x01050505);
    value.lastFullBackupNum = static_cast<decltype(value.lastFullBackupNum)>(0x0106);
    expected.Short(0x0106);
    value.volumeName = text.Make(u"f7");
    expected.Bstr(u"f7");
    value.volumeSerialNumber = static_cast<decltype(value.volumeSerialNumber)>(0x81080808u);
    expected.ULong(0x81080808u);
    value.volumeRootpathName = text.Make(u"f9");
    expected.Bstr(u"f9");
    value.volumeFileSystemFlags = static_cast<decltype(value.volumeFileSystemFlags)>(0x010A0A0A);
    expected.Long(0x010A0A0A);
    value.m_VolumeFileSystemName = text.Make(u"f11");
    expected.Bstr(u"f11");
    value.DTFSyncFlag = static_cast<decltype(value.DTFSyncFlag)>(0x010C);
    expected.Short(0x010C);
    value.DTFNameDateTimeHash = static_cast<decltype(value.DTFNameDateTimeHash)>(0x010D0D0D);
    expected.Long(0x010D0D0D);
    value.volumeIDGUID = NumberedGuid(14);
    expected.Guid(NumberedGuid(14));
    value.volumeSizeHigh = static_cast<decltype(value.volumeSizeHigh)>(0x010F0F0F);
    expected.Long(0x010F0F0F);
    value.volumeSizeLow = static_cast<decltype(value.volumeSizeLow)>(0x01101010);
    expected.Long(0x01101010);
    value.lastPhysicalFileUsed =
        static_cast<decltype(value.lastPhysicalFileUsed)>(0x0102030400000011LL);
    expected.Int64(0x0102030400000011LL);
    value.lVolumeFlags = static_cast<decltype(value.lVolumeFlags)>(0x01121212);
    expected.Long(0x01121212);
    EXPECT_BYTES(expected.bytes, Encoded(value));
    Decoder<_volumeinfo403> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.volumeKey)>(0x01010101), V(r.volumeKey));
    EXPECT_EQ(static_cast<decltype(r.fileSystem)>(static_cast<std::int32_t>(0x8C000002u)),
              V(r.fileSystem));
    EXPECT_EQ(static_cast<decltype(r.lowLastBackupDate)>(0x01030303), V(r.lowLastBackupDate));
    EXPECT_EQ(static_cast<decltype(r.highLastBackupDate)>(0x01040404), V(r.highLastBackupDate));
    EXPECT_EQ(static_cast<decltype(r.lastBackupRevision)>(0x01050505), V(r.lastBackupRevision));
    EXPECT_EQ(static_cast<decltype(r.lastFullBackupNum)>(0x0106), V(r.lastFullBackupNum));
    EXPECT_EQ("f7", Text(r.volumeName));
    EXPECT_EQ(static_cast<decltype(r.volumeSerialNumber)>(0x81080808u), V(r.volumeSerialNumber));
    EXPECT_EQ("f9", Text(r.volumeRootpathName));
    EXPECT_EQ(static_cast<decltype(r.volumeFileSystemFlags)>(0x010A0A0A),
              V(r.volumeFileSystemFlags));
    EXPECT_EQ("f11", Text(r.m_VolumeFileSystemName));
    EXPECT_EQ(static_cast<decltype(r.DTFSyncFlag)>(0x010C), V(r.DTFSyncFlag));
    EXPECT_EQ(static_cast<decltype(r.DTFNameDateTimeHash)>(0x010D0D0D), V(r.DTFNameDateTimeHash));
    ExpectSameGuid(NumberedGuid(14), r.volumeIDGUID);
    EXPECT_EQ(static_cast<decltype(r.volumeSizeHigh)>(0x010F0F0F), V(r.volumeSizeHigh));
    EXPECT_EQ(static_cast<decltype(r.volumeSizeLow)>(0x01101010), V(r.volumeSizeLow));
    EXPECT_EQ(static_cast<decltype(r.lastPhysicalFileUsed)>(0x0102030400000011LL),
              V(r.lastPhysicalFileUsed));
    EXPECT_EQ(static_cast<decltype(r.lVolumeFlags)>(0x01121212), V(r.lVolumeFlags));
}

TEST(RecordEncoding, PlainFieldsOfMachineinfo) {
    Strings text;
    auto value = test::Zeroed<_machineinfo>();
    Wire expected;
    expected.Tag(221);
    value.SBSKey = static_cast<decltype(value.SBSKey)>(0x01010101);
    expected.Long(0x01010101);
    value.Name = text.Make(u"f2");
    expected.Bstr(u"f2");
    value.description = text.Make(u"f3");
    expected.Bstr(u"f3");
    value.Guid = NumberedGuid(4);
    expected.Guid(NumberedGuid(4));
    Decoder<_machineinfo> reply(expected.bytes);
    const auto& r = reply.Read();
    EXPECT_EQ(static_cast<decltype(r.SBSKey)>(0x01010101), V(r.SBSKey));
    EXPECT_EQ("f2", Text(r.Name));
    EXPECT_EQ("f3", Text(r.description));
    ExpectSameGuid(NumberedGuid(4), r.Guid);
}

TEST(RecordEncoding, PlainFieldsOfPartialmanualBackupItem) {
    Strings text;
    auto value = test::Zeroed<_partialmanualBackupItem>();
    Wire expected;
    expected.Tag(202);
    value.PathToFile = text.Make(u"f1");
    expected.Bstr(u"f1");
    value.Type = static_cast<decltype(value.Type)>(0x01020202);
    expected.Long(0x01020202);
    value.IncludeSubDirectories = static_cast<decltype(value.IncludeSubDirectories)>(0x83u);
    expected.UChar(0x83u);
    EXPECT_BYTES(expected.bytes, Encoded(value));
}

TEST(RecordEncoding, RawBlocksFollowTheirPackedLayout) {
    {
        SCOPED_TRACE("_extblockdescriptor");
        EXPECT_EQ(32u, sizeof(_extblockdescriptor));
        EXPECT_EQ(0u, offsetof(_extblockdescriptor, Flags));
        EXPECT_EQ(4u, offsetof(_extblockdescriptor, parentPhysicalID));
        EXPECT_EQ(12u, offsetof(_extblockdescriptor, parentRev));
        EXPECT_EQ(16u, offsetof(_extblockdescriptor, lowOffsetInParent));
        EXPECT_EQ(20u, offsetof(_extblockdescriptor, highOffsetInParent));
        EXPECT_EQ(24u, offsetof(_extblockdescriptor, lowSizeOfBlock));
        EXPECT_EQ(28u, offsetof(_extblockdescriptor, highSizeOfBlock));
        CheckRawRecord<_extblockdescriptor>(131, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_hashsize");
        EXPECT_EQ(8u, sizeof(_hashsize));
        EXPECT_EQ(0u, offsetof(_hashsize, hashValue));
        EXPECT_EQ(4u, offsetof(_hashsize, sizeFileLow));
        CheckRawRecord<_hashsize>(135, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_physicalfilehash");
        EXPECT_EQ(18u, sizeof(_physicalfilehash));
        EXPECT_EQ(0u, offsetof(_physicalfilehash, physicalFileID));
        EXPECT_EQ(8u, offsetof(_physicalfilehash, buildTechnique));
        EXPECT_EQ(10u, offsetof(_physicalfilehash, fileHashHigh));
        EXPECT_EQ(14u, offsetof(_physicalfilehash, fileHashLow));
        CheckRawRecord<_physicalfilehash>(136, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_fileobject");
        EXPECT_EQ(8u, sizeof(_fileobject));
        EXPECT_EQ(0u, offsetof(_fileobject, blocksize));
        EXPECT_EQ(4u, offsetof(_fileobject, initNameDateTimeHash));
        CheckRawRecord<_fileobject>(138, Direction::kWritten);
    }
    {
        SCOPED_TRACE("_blockhash");
        EXPECT_EQ(8u, sizeof(_blockhash));
        EXPECT_EQ(0u, offsetof(_blockhash, lowBlockHash));
        EXPECT_EQ(4u, offsetof(_blockhash, highBlockHash));
        CheckRawRecord<_blockhash>(139, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_blobkey");
        EXPECT_EQ(32u, sizeof(_blobkey));
        EXPECT_EQ(0u, offsetof(_blobkey, Key));
        EXPECT_EQ(4u, offsetof(_blobkey, CreationTime));
        EXPECT_EQ(20u, offsetof(_blobkey, OriginalDataSize));
        EXPECT_EQ(24u, offsetof(_blobkey, CompressedDataSize));
        EXPECT_EQ(28u, offsetof(_blobkey, metaJobFlags));
        CheckRawRecord<_blobkey>(141, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_diskBlockInfo");
        EXPECT_EQ(18u, sizeof(_diskBlockInfo));
        EXPECT_EQ(0u, offsetof(_diskBlockInfo, diskFileKey));
        EXPECT_EQ(4u, offsetof(_diskBlockInfo, fileOffset));
        EXPECT_EQ(8u, offsetof(_diskBlockInfo, blockLength));
        EXPECT_EQ(12u, offsetof(_diskBlockInfo, Crc));
        EXPECT_EQ(16u, offsetof(_diskBlockInfo, Flags));
        CheckRawRecord<_diskBlockInfo>(143, Direction::kRead);
    }
    {
        SCOPED_TRACE("_revisioninfo");
        EXPECT_EQ(28u, sizeof(_revisioninfo));
        EXPECT_EQ(0u, offsetof(_revisioninfo, fileKey));
        EXPECT_EQ(8u, offsetof(_revisioninfo, revisionNumber));
        EXPECT_EQ(12u, offsetof(_revisioninfo, buildTechnique));
        EXPECT_EQ(14u, offsetof(_revisioninfo, blocksize));
        EXPECT_EQ(18u, offsetof(_revisioninfo, lastCompleteRevision));
        EXPECT_EQ(19u, offsetof(_revisioninfo, deleteFlag));
        EXPECT_EQ(20u, offsetof(_revisioninfo, fileHash));
        CheckRawRecord<_revisioninfo>(144, Direction::kBoth);
    }
    {
        SCOPED_TRACE("DeltaFPInitStruct");
        EXPECT_EQ(40u, sizeof(DeltaFPInitStruct));
        EXPECT_EQ(0u, offsetof(DeltaFPInitStruct, fileKey));
        EXPECT_EQ(8u, offsetof(DeltaFPInitStruct, fileRev));
        EXPECT_EQ(10u, offsetof(DeltaFPInitStruct, volumeID));
        EXPECT_EQ(14u, offsetof(DeltaFPInitStruct, RefFileKey));
        EXPECT_EQ(22u, offsetof(DeltaFPInitStruct, RefFileRev));
        EXPECT_EQ(24u, offsetof(DeltaFPInitStruct, RefvolumeID));
        EXPECT_EQ(28u, offsetof(DeltaFPInitStruct, ChunkSize));
        EXPECT_EQ(32u, offsetof(DeltaFPInitStruct, FileSize));
        CheckRawRecord<DeltaFPInitStruct>(145, Direction::kWritten);
    }
    {
        SCOPED_TRACE("FPrint");
        EXPECT_EQ(12u, sizeof(FPrint));
        EXPECT_EQ(0u, offsetof(FPrint, fp));
        CheckRawRecord<FPrint>(146, Direction::kWritten);
    }
    {
        SCOPED_TRACE("_DiskFileInfo");
        EXPECT_EQ(20u, sizeof(_DiskFileInfo));
        EXPECT_EQ(0u, offsetof(_DiskFileInfo, diskFileKey));
        EXPECT_EQ(4u, offsetof(_DiskFileInfo, BLOBTypeKey));
        EXPECT_EQ(8u, offsetof(_DiskFileInfo, UsedSpace));
        EXPECT_EQ(12u, offsetof(_DiskFileInfo, DiskSpace));
        EXPECT_EQ(16u, offsetof(_DiskFileInfo, Available));
        CheckRawRecord<_DiskFileInfo>(149, Direction::kRead);
    }
    {
        SCOPED_TRACE("_BadFileItem");
        EXPECT_EQ(12u, sizeof(_BadFileItem));
        EXPECT_EQ(0u, offsetof(_BadFileItem, fileKey));
        EXPECT_EQ(8u, offsetof(_BadFileItem, Revision));
        CheckRawRecord<_BadFileItem>(150, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_DbBlockInfo");
        EXPECT_EQ(28u, sizeof(_DbBlockInfo));
        EXPECT_EQ(0u, offsetof(_DbBlockInfo, blockLength));
        EXPECT_EQ(4u, offsetof(_DbBlockInfo, BlockType));
        EXPECT_EQ(8u, offsetof(_DbBlockInfo, Crc));
        EXPECT_EQ(12u, offsetof(_DbBlockInfo, BlockKey));
        EXPECT_EQ(20u, offsetof(_DbBlockInfo, Revision));
        EXPECT_EQ(24u, offsetof(_DbBlockInfo, Offset));
        CheckRawRecord<_DbBlockInfo>(154, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_revisioninfo61");
        EXPECT_EQ(36u, sizeof(_revisioninfo61));
        EXPECT_EQ(0u, offsetof(_revisioninfo61, fileKey));
        EXPECT_EQ(8u, offsetof(_revisioninfo61, revisionNumber));
        EXPECT_EQ(12u, offsetof(_revisioninfo61, buildTechnique));
        EXPECT_EQ(14u, offsetof(_revisioninfo61, blocksize));
        EXPECT_EQ(18u, offsetof(_revisioninfo61, lastCompleteRevision));
        EXPECT_EQ(19u, offsetof(_revisioninfo61, deleteFlag));
        EXPECT_EQ(20u, offsetof(_revisioninfo61, fileHash));
        EXPECT_EQ(28u, offsetof(_revisioninfo61, FileSize));
        CheckRawRecord<_revisioninfo61>(216, Direction::kRead);
    }
    {
        SCOPED_TRACE("_diskClusterInfo");
        EXPECT_EQ(48u, sizeof(_diskClusterInfo));
        EXPECT_EQ(0u, offsetof(_diskClusterInfo, filePhysicalID));
        EXPECT_EQ(8u, offsetof(_diskClusterInfo, lRev));
        EXPECT_EQ(12u, offsetof(_diskClusterInfo, Offset));
        EXPECT_EQ(20u, offsetof(_diskClusterInfo, uncompressedLength));
        EXPECT_EQ(28u, offsetof(_diskClusterInfo, lSequenceCount));
        EXPECT_EQ(32u, offsetof(_diskClusterInfo, diskFileKey));
        EXPECT_EQ(36u, offsetof(_diskClusterInfo, fileOffset));
        EXPECT_EQ(40u, offsetof(_diskClusterInfo, blockLength));
        EXPECT_EQ(44u, offsetof(_diskClusterInfo, Crc));
        CheckRawRecord<_diskClusterInfo>(217, Direction::kRead);
    }
    {
        SCOPED_TRACE("_created_revision");
        EXPECT_EQ(17u, sizeof(_created_revision));
        EXPECT_EQ(0u, offsetof(_created_revision, lTmpFileKey));
        EXPECT_EQ(4u, offsetof(_created_revision, lFileKey));
        EXPECT_EQ(12u, offsetof(_created_revision, lRevNumber));
        EXPECT_EQ(16u, offsetof(_created_revision, bFileInfoWritten));
        CheckRawRecord<_created_revision>(219, Direction::kRead);
    }
    {
        SCOPED_TRACE("_filerev");
        EXPECT_EQ(22u, sizeof(_filerev));
        EXPECT_EQ(0u, offsetof(_filerev, volumeNumber));
        EXPECT_EQ(4u, offsetof(_filerev, FSOKey));
        EXPECT_EQ(12u, offsetof(_filerev, revNumber));
        EXPECT_EQ(16u, offsetof(_filerev, buildTechnique));
        EXPECT_EQ(18u, offsetof(_filerev, blocksize));
        CheckRawRecord<_filerev>(157, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_fileversion");
        EXPECT_EQ(12u, sizeof(_fileversion));
        EXPECT_EQ(0u, offsetof(_fileversion, fileKey));
        EXPECT_EQ(8u, offsetof(_fileversion, backupNumberStart));
        EXPECT_EQ(10u, offsetof(_fileversion, backupNumberEnd));
        CheckRawRecord<_fileversion>(159, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_itemToMarkDelete");
        EXPECT_EQ(17u, sizeof(_itemToMarkDelete));
        EXPECT_EQ(0u, offsetof(_itemToMarkDelete, fileKey));
        EXPECT_EQ(8u, offsetof(_itemToMarkDelete, StartRevision));
        EXPECT_EQ(12u, offsetof(_itemToMarkDelete, EndRevision));
        EXPECT_EQ(16u, offsetof(_itemToMarkDelete, bMark));
        CheckRawRecord<_itemToMarkDelete>(163, Direction::kWritten);
    }
    {
        SCOPED_TRACE("_markedRecords");
        EXPECT_EQ(25u, sizeof(_markedRecords));
        EXPECT_EQ(0u, offsetof(_markedRecords, fileKey));
        EXPECT_EQ(8u, offsetof(_markedRecords, FSOKey));
        EXPECT_EQ(16u, offsetof(_markedRecords, Revision));
        EXPECT_EQ(20u, offsetof(_markedRecords, backupNumberStart));
        EXPECT_EQ(22u, offsetof(_markedRecords, backupNumberEnd));
        EXPECT_EQ(24u, offsetof(_markedRecords, deleteFlag));
        CheckRawRecord<_markedRecords>(164, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_itemtoarchive");
        EXPECT_EQ(24u, sizeof(_itemtoarchive));
        EXPECT_EQ(0u, offsetof(_itemtoarchive, volumeKey));
        EXPECT_EQ(4u, offsetof(_itemtoarchive, fileKey));
        EXPECT_EQ(12u, offsetof(_itemtoarchive, StartRevision));
        EXPECT_EQ(16u, offsetof(_itemtoarchive, EndRevision));
        EXPECT_EQ(20u, offsetof(_itemtoarchive, archiveFlag));
        CheckRawRecord<_itemtoarchive>(165, Direction::kWritten);
    }
    {
        SCOPED_TRACE("_VolumeBackups");
        EXPECT_EQ(8u, sizeof(_VolumeBackups));
        EXPECT_EQ(0u, offsetof(_VolumeBackups, volumeKey));
        EXPECT_EQ(4u, offsetof(_VolumeBackups, LastBackupOfPreviousInstallation));
        CheckRawRecord<_VolumeBackups>(166, Direction::kRead);
    }
    {
        SCOPED_TRACE("GenRepXhange");
        EXPECT_EQ(280u, sizeof(GenRepXhange));
        EXPECT_EQ(0u, offsetof(GenRepXhange, m_AverageDataAddedPerClientPerMonth));
        EXPECT_EQ(8u, offsetof(GenRepXhange, m_MaximalDataAddedPerClientPerMonth));
        EXPECT_EQ(16u, offsetof(GenRepXhange, m_MinimalDataAddedPerClientPerMonth));
        EXPECT_EQ(24u, offsetof(GenRepXhange, m_AverageInitialClientSizeBeforeCompression));
        EXPECT_EQ(32u, offsetof(GenRepXhange, m_MaximalInitialClientSizeBeforeCompression));
        EXPECT_EQ(40u, offsetof(GenRepXhange, m_MinimalInitialClientSizeBeforeCompression));
        EXPECT_EQ(48u, offsetof(GenRepXhange, m_AverageNumberOfFileRecoveriesPerMonth));
        EXPECT_EQ(56u, offsetof(GenRepXhange, m_MaximalNumberOfFileRecoveriesPerMonth));
        EXPECT_EQ(64u, offsetof(GenRepXhange, m_MinimalNumberOfFileRecoveriesPerMonth));
        EXPECT_EQ(72u, offsetof(GenRepXhange, m_AverageNumberOfFilesOnEachClient));
        EXPECT_EQ(80u, offsetof(GenRepXhange, m_MaximalNumberOfFilesOnEachClient));
        EXPECT_EQ(88u, offsetof(GenRepXhange, m_MinimalNumberOfFilesOnEachClient));
        EXPECT_EQ(96u, offsetof(GenRepXhange, m_CurrentDatabaseSize));
        EXPECT_EQ(104u, offsetof(GenRepXhange, m_CurrentVaultSpaceUsed));
        EXPECT_EQ(112u, offsetof(GenRepXhange, m_TotalVirtualDataSize));
        EXPECT_EQ(120u, offsetof(GenRepXhange, m_AverageNumberOfSnapshotsPerMonthPerClient));
        EXPECT_EQ(124u, offsetof(GenRepXhange, m_MaximalNumberOfSnapshotsPerMonthPerClient));
        EXPECT_EQ(128u, offsetof(GenRepXhange, m_MinimalNumberOfSnapshotsPerMonthPerClient));
        EXPECT_EQ(132u, offsetof(GenRepXhange, m_AverageSnapshotTimeInMinutesFull));
        EXPECT_EQ(136u, offsetof(GenRepXhange, m_MaximalSnapshotTimeInMinutesFull));
        EXPECT_EQ(140u, offsetof(GenRepXhange, m_MinimalSnapshotTimeInMinutesFull));
        EXPECT_EQ(144u, offsetof(GenRepXhange, m_AverageSnapshotTimeInMinutesPartial));
        EXPECT_EQ(148u, offsetof(GenRepXhange, m_MaximalSnapshotTimeInMinutesPartial));
        EXPECT_EQ(152u, offsetof(GenRepXhange, m_MinimalSnapshotTimeInMinutesPartial));
        EXPECT_EQ(156u, offsetof(GenRepXhange, m_PercentageOfClientDataThatWasRFEd));
        EXPECT_EQ(160u, offsetof(GenRepXhange, m_TotalTRCounter));
        EXPECT_EQ(164u, offsetof(GenRepXhange, m_AverageFSRsCountPerMonth));
        EXPECT_EQ(168u, offsetof(GenRepXhange, m_MinimalFSRsCountPerMonth));
        EXPECT_EQ(172u, offsetof(GenRepXhange, m_MaximalFSRsCountPerMonth));
        EXPECT_EQ(176u, offsetof(GenRepXhange, m_AverageRollbacksCountPerMonth));
        EXPECT_EQ(180u, offsetof(GenRepXhange, m_MinimalRollbacksCountPerMonth));
        EXPECT_EQ(184u, offsetof(GenRepXhange, m_MaximalRollbacksCountPerMonth));
        EXPECT_EQ(188u, offsetof(GenRepXhange, m_SizeOfVaultIfRetentionWasNotRunning));
        EXPECT_EQ(196u, offsetof(GenRepXhange, m_RepositorySerialNumber));
        EXPECT_EQ(204u, offsetof(GenRepXhange, m_CurrentNumberOfActiveClients));
        EXPECT_EQ(208u, offsetof(GenRepXhange, m_CurrentNumberOfInactiveClients));
        EXPECT_EQ(212u, offsetof(GenRepXhange, m_strRepositoryComputerName));
        EXPECT_EQ(244u, offsetof(GenRepXhange, m_strRepositoryComputerIP));
        EXPECT_EQ(276u, offsetof(GenRepXhange, m_MonthsAveraged));
        CheckRawRecord<GenRepXhange>(168, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_diskBlockCorruption");
        EXPECT_EQ(12u, sizeof(_diskBlockCorruption));
        EXPECT_EQ(0u, offsetof(_diskBlockCorruption, lCorruptionKey));
        EXPECT_EQ(8u, offsetof(_diskBlockCorruption, lCorruptionParam));
        CheckRawRecord<_diskBlockCorruption>(169, Direction::kWritten);
    }
    {
        SCOPED_TRACE("_scheduleinfo");
        EXPECT_EQ(28u, sizeof(_scheduleinfo));
        EXPECT_EQ(0u, offsetof(_scheduleinfo, ScheduleKey));
        EXPECT_EQ(4u, offsetof(_scheduleinfo, StartTime));
        EXPECT_EQ(20u, offsetof(_scheduleinfo, Days));
        EXPECT_EQ(24u, offsetof(_scheduleinfo, TimeWindow));
        CheckRawRecord<_scheduleinfo>(171, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_scheduleinfo_401");
        EXPECT_EQ(32u, sizeof(_scheduleinfo_401));
        EXPECT_EQ(0u, offsetof(_scheduleinfo_401, ScheduleKey));
        EXPECT_EQ(4u, offsetof(_scheduleinfo_401, StartTime));
        EXPECT_EQ(20u, offsetof(_scheduleinfo_401, Days));
        EXPECT_EQ(24u, offsetof(_scheduleinfo_401, TimeWindow));
        EXPECT_EQ(28u, offsetof(_scheduleinfo_401, lScheduleSettings));
        CheckRawRecord<_scheduleinfo_401>(186, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_concurrentMetaJobLimit");
        EXPECT_EQ(24u, sizeof(_concurrentMetaJobLimit));
        EXPECT_EQ(0u, offsetof(_concurrentMetaJobLimit, MaxNumberOfMetaJobs));
        EXPECT_EQ(4u, offsetof(_concurrentMetaJobLimit, WindowStartingTime));
        EXPECT_EQ(20u, offsetof(_concurrentMetaJobLimit, WindowLengthInSeconds));
        CheckRawRecord<_concurrentMetaJobLimit>(192, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_sbskeyinfo");
        EXPECT_EQ(5u, sizeof(_sbskeyinfo));
        EXPECT_EQ(0u, offsetof(_sbskeyinfo, SBSKey));
        EXPECT_EQ(4u, offsetof(_sbskeyinfo, activeFlag));
        CheckRawRecord<_sbskeyinfo>(195, Direction::kRead);
    }
    {
        SCOPED_TRACE("_VaultTimeInfo");
        EXPECT_EQ(192u, sizeof(_VaultTimeInfo));
        EXPECT_EQ(0u, offsetof(_VaultTimeInfo, VaultTime));
        EXPECT_EQ(16u, offsetof(_VaultTimeInfo, TimeZoneInfo));
        EXPECT_EQ(188u, offsetof(_VaultTimeInfo, bUseDayLight));
        CheckRawRecord<_VaultTimeInfo>(197, Direction::kRead);
    }
    {
        SCOPED_TRACE("_concurrentMetaJobLimit403");
        EXPECT_EQ(28u, sizeof(_concurrentMetaJobLimit403));
        EXPECT_EQ(0u, offsetof(_concurrentMetaJobLimit403, MaxNumberOfScheduledMetaJobs));
        EXPECT_EQ(4u, offsetof(_concurrentMetaJobLimit403, WindowStartingTime));
        EXPECT_EQ(20u, offsetof(_concurrentMetaJobLimit403, WindowLengthInSeconds));
        EXPECT_EQ(24u, offsetof(_concurrentMetaJobLimit403, MaxNumberOfManualMetaJobs));
        CheckRawRecord<_concurrentMetaJobLimit403>(198, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_sbsmetajob");
        EXPECT_EQ(41u, sizeof(_sbsmetajob));
        EXPECT_EQ(0u, offsetof(_sbsmetajob, metaJobKey));
        EXPECT_EQ(4u, offsetof(_sbsmetajob, StartTime));
        EXPECT_EQ(20u, offsetof(_sbsmetajob, endTime));
        EXPECT_EQ(36u, offsetof(_sbsmetajob, status));
        EXPECT_EQ(40u, offsetof(_sbsmetajob, jobSpecType));
        CheckRawRecord<_sbsmetajob>(133, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_jobstatus");
        EXPECT_EQ(6u, sizeof(_jobstatus));
        EXPECT_EQ(0u, offsetof(_jobstatus, status));
        EXPECT_EQ(4u, offsetof(_jobstatus, PercentComplete));
        CheckRawRecord<_jobstatus>(172, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_backedUpVolume");
        EXPECT_EQ(31u, sizeof(_backedUpVolume));
        EXPECT_EQ(0u, offsetof(_backedUpVolume, metaJobKey));
        EXPECT_EQ(4u, offsetof(_backedUpVolume, JobKey));
        EXPECT_EQ(5u, offsetof(_backedUpVolume, volumeKey));
        EXPECT_EQ(9u, offsetof(_backedUpVolume, status));
        EXPECT_EQ(13u, offsetof(_backedUpVolume, backupNumber));
        EXPECT_EQ(15u, offsetof(_backedUpVolume, BackupDate));
        CheckRawRecord<_backedUpVolume>(180, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_backuptime");
        EXPECT_EQ(16u, sizeof(_backuptime));
        EXPECT_EQ(0u, offsetof(_backuptime, BackupDate));
        CheckRawRecord<_backuptime>(182, Direction::kRead);
    }
    {
        SCOPED_TRACE("_commonProperty");
        EXPECT_EQ(28u, sizeof(_commonProperty));
        EXPECT_EQ(0u, offsetof(_commonProperty, CommonPropertyKey));
        EXPECT_EQ(4u, offsetof(_commonProperty, scheduleListKey));
        EXPECT_EQ(8u, offsetof(_commonProperty, rights));
        EXPECT_EQ(10u, offsetof(_commonProperty, ExcludeListKey));
        EXPECT_EQ(14u, offsetof(_commonProperty, retPolicyListKey));
        EXPECT_EQ(18u, offsetof(_commonProperty, sbsFlags));
        EXPECT_EQ(20u, offsetof(_commonProperty, nodeType));
        EXPECT_EQ(24u, offsetof(_commonProperty, lScheduleKey));
        CheckRawRecord<_commonProperty>(183, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_commonProperty402");
        EXPECT_EQ(32u, sizeof(_commonProperty402));
        EXPECT_EQ(0u, offsetof(_commonProperty402, CommonPropertyKey));
        EXPECT_EQ(4u, offsetof(_commonProperty402, scheduleListKey));
        EXPECT_EQ(8u, offsetof(_commonProperty402, rights));
        EXPECT_EQ(10u, offsetof(_commonProperty402, ExcludeListKey));
        EXPECT_EQ(14u, offsetof(_commonProperty402, documentsListKey));
        EXPECT_EQ(18u, offsetof(_commonProperty402, retPolicyListKey));
        EXPECT_EQ(22u, offsetof(_commonProperty402, sbsFlags));
        EXPECT_EQ(24u, offsetof(_commonProperty402, nodeType));
        EXPECT_EQ(28u, offsetof(_commonProperty402, lScheduleKey));
        CheckRawRecord<_commonProperty402>(188, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_backupjoblog");
        EXPECT_EQ(139u, sizeof(_backupjoblog));
        EXPECT_EQ(0u, offsetof(_backupjoblog, JobNumber));
        EXPECT_EQ(4u, offsetof(_backupjoblog, MetaJobDsKey));
        EXPECT_EQ(8u, offsetof(_backupjoblog, backupNumber));
        EXPECT_EQ(10u, offsetof(_backupjoblog, TotalNumberOfDirs));
        EXPECT_EQ(14u, offsetof(_backupjoblog, TotalNumberOfFiles));
        EXPECT_EQ(18u, offsetof(_backupjoblog, TotalVirtualBytesHigh));
        EXPECT_EQ(22u, offsetof(_backupjoblog, TotalVirtualBytesLow));
        EXPECT_EQ(26u, offsetof(_backupjoblog, PhysicalNumberOfFiles));
        EXPECT_EQ(30u, offsetof(_backupjoblog, PhysicalBytesHigh));
        EXPECT_EQ(34u, offsetof(_backupjoblog, PhysicalBytesLow));
        EXPECT_EQ(38u, offsetof(_backupjoblog, CompressedBytesHigh));
        EXPECT_EQ(42u, offsetof(_backupjoblog, CompressedBytesLow));
        EXPECT_EQ(46u, offsetof(_backupjoblog, VirtualBytesHigh));
        EXPECT_EQ(50u, offsetof(_backupjoblog, VirtualBytesLow));
        EXPECT_EQ(54u, offsetof(_backupjoblog, NumberOfExcludedFiles));
        EXPECT_EQ(58u, offsetof(_backupjoblog, NumberOfIdenticalFiles));
        EXPECT_EQ(62u, offsetof(_backupjoblog, IdenticalFilesSizeHigh));
        EXPECT_EQ(66u, offsetof(_backupjoblog, IdenticalFilesSizeLow));
        EXPECT_EQ(70u, offsetof(_backupjoblog, NumberOfModifiedFiles));
        EXPECT_EQ(74u, offsetof(_backupjoblog, ModifiedVirtualBytesHigh));
        EXPECT_EQ(78u, offsetof(_backupjoblog, ModifiedVirtualBytesLow));
        EXPECT_EQ(82u, offsetof(_backupjoblog, ModifiedFilesSizeHigh));
        EXPECT_EQ(86u, offsetof(_backupjoblog, ModifiedFilesSizeLow));
        EXPECT_EQ(90u, offsetof(_backupjoblog, NumberOfNewFiles));
        EXPECT_EQ(94u, offsetof(_backupjoblog, NewFilesSizeHigh));
        EXPECT_EQ(98u, offsetof(_backupjoblog, NewFilesSizeLow));
        EXPECT_EQ(102u, offsetof(_backupjoblog, NumberOfRfeFiles));
        EXPECT_EQ(106u, offsetof(_backupjoblog, RfeFilesSizeHigh));
        EXPECT_EQ(110u, offsetof(_backupjoblog, RfeFilesSizeLow));
        EXPECT_EQ(114u, offsetof(_backupjoblog, NumRfeCompletelyIdentical));
        EXPECT_EQ(118u, offsetof(_backupjoblog, RfeNewFilesSizeHigh));
        EXPECT_EQ(122u, offsetof(_backupjoblog, RfeNewFilesSizeLow));
        EXPECT_EQ(126u, offsetof(_backupjoblog, NumberOfZeroLengthFiles));
        EXPECT_EQ(130u, offsetof(_backupjoblog, NumberOfFailedFiles));
        EXPECT_EQ(134u, offsetof(_backupjoblog, NumberOfOpenFiles));
        EXPECT_EQ(138u, offsetof(_backupjoblog, IsArchive));
        CheckRawRecord<_backupjoblog>(199, Direction::kWritten);
    }
    {
        SCOPED_TRACE("_restorejoblog");
        EXPECT_EQ(24u, sizeof(_restorejoblog));
        EXPECT_EQ(0u, offsetof(_restorejoblog, JobNumber));
        EXPECT_EQ(4u, offsetof(_restorejoblog, MetaJobDsKey));
        EXPECT_EQ(8u, offsetof(_restorejoblog, VirtualBytesHigh));
        EXPECT_EQ(12u, offsetof(_restorejoblog, VirtualBytesLow));
        EXPECT_EQ(16u, offsetof(_restorejoblog, NumberOfRestoredFiles));
        EXPECT_EQ(20u, offsetof(_restorejoblog, NumberOfVolumesRestored));
        CheckRawRecord<_restorejoblog>(201, Direction::kWritten);
    }
    {
        SCOPED_TRACE("_deadjob");
        EXPECT_EQ(8u, sizeof(_deadjob));
        EXPECT_EQ(0u, offsetof(_deadjob, metaJobKey));
        EXPECT_EQ(4u, offsetof(_deadjob, SBSKey));
        CheckRawRecord<_deadjob>(205, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_deletejoblog");
        EXPECT_EQ(24u, sizeof(_deletejoblog));
        EXPECT_EQ(0u, offsetof(_deletejoblog, JobNumber));
        EXPECT_EQ(4u, offsetof(_deletejoblog, MetaJobDsKey));
        EXPECT_EQ(8u, offsetof(_deletejoblog, PhysicalBytesHigh));
        EXPECT_EQ(12u, offsetof(_deletejoblog, PhysicalBytesLow));
        EXPECT_EQ(16u, offsetof(_deletejoblog, VirtualBytesHigh));
        EXPECT_EQ(20u, offsetof(_deletejoblog, VirtualBytesLow));
        CheckRawRecord<_deletejoblog>(206, Direction::kWritten);
    }
    {
        SCOPED_TRACE("_metaJobCompletionLog");
        EXPECT_EQ(516u, sizeof(_metaJobCompletionLog));
        EXPECT_EQ(0u, offsetof(_metaJobCompletionLog, status));
        EXPECT_EQ(4u, offsetof(_metaJobCompletionLog, LogBody));
        CheckRawRecord<_metaJobCompletionLog>(207, Direction::kWritten);
    }
    {
        SCOPED_TRACE("tagLOG_FILE_INFO");
        EXPECT_EQ(8u, sizeof(tagLOG_FILE_INFO));
        EXPECT_EQ(0u, offsetof(tagLOG_FILE_INFO, dwSize));
        EXPECT_EQ(4u, offsetof(tagLOG_FILE_INFO, dwCRC));
        CheckRawRecord<tagLOG_FILE_INFO>(208, Direction::kRead);
    }
    {
        SCOPED_TRACE("_userActivityLog");
        EXPECT_EQ(52u, sizeof(_userActivityLog));
        EXPECT_EQ(0u, offsetof(_userActivityLog, StartDateTime));
        EXPECT_EQ(16u, offsetof(_userActivityLog, EndDateTime));
        EXPECT_EQ(32u, offsetof(_userActivityLog, MetaJobType));
        EXPECT_EQ(36u, offsetof(_userActivityLog, status));
        EXPECT_EQ(40u, offsetof(_userActivityLog, NumberOfFile));
        EXPECT_EQ(44u, offsetof(_userActivityLog, AmountOfData));
        CheckRawRecord<_userActivityLog>(215, Direction::kBoth);
    }
    {
        SCOPED_TRACE("_updateInfo");
        EXPECT_EQ(40u, sizeof(_updateInfo));
        CheckRawRecord<_updateInfo>(210, Direction::kRead);
    }
    {
        SCOPED_TRACE("_sbsVersion");
        EXPECT_EQ(16u, sizeof(_sbsVersion));
        CheckRawRecord<_sbsVersion>(211, Direction::kWritten);
    }
    {
        SCOPED_TRACE("_updateFileInfo");
        EXPECT_EQ(8u, sizeof(_updateFileInfo));
        CheckRawRecord<_updateFileInfo>(212, Direction::kRead);
    }
    // Records whose inner layout is the caller's: copied as they arrive.
    {
        SCOPED_TRACE("update records");
        EXPECT_EQ(40u, sizeof(_updateInfo));
        EXPECT_EQ(16u, sizeof(_sbsVersion));
        EXPECT_EQ(8u, sizeof(_updateFileInfo));
        CheckRawRecord<_updateInfo>(210, Direction::kRead);
        CheckRawRecord<_sbsVersion>(211, Direction::kWritten);
        CheckRawRecord<_updateFileInfo>(212, Direction::kRead);
    }
}

// ---------------------------------------------------------------------------
// Raw blocks and enumerations
// ---------------------------------------------------------------------------

TEST(RecordEncoding, OddSizedRawBlocksKeepTheirPackedSizes) {
    EXPECT_EQ(17u, sizeof(_itemToMarkDelete));
    EXPECT_EQ(17u, sizeof(_created_revision));
    EXPECT_EQ(25u, sizeof(_markedRecords));
    EXPECT_EQ(41u, sizeof(_sbsmetajob));
    EXPECT_EQ(31u, sizeof(_backedUpVolume));
    EXPECT_EQ(139u, sizeof(_backupjoblog));
    EXPECT_EQ(192u, sizeof(_VaultTimeInfo));
    EXPECT_EQ(18u, sizeof(_physicalfilehash));
    EXPECT_EQ(18u, sizeof(_diskBlockInfo));
    EXPECT_EQ(6u, sizeof(_jobstatus));
    EXPECT_EQ(5u, sizeof(_sbskeyinfo));
}

TEST(RecordEncoding, RawBlocksAreWrittenAtTheirOffsetsWithoutPadding) {
    // Each record is followed by a long: no byte may sit between them.
    auto item = test::Zeroed<_itemToMarkDelete>();
    item.fileKey = 0x0807060504030201;
    item.StartRevision = 0x11;
    item.EndRevision = 0x22;
    item.bMark = 1;
    {
        test::Writer w(0);
        wire::Record<_itemToMarkDelete>::Write(w.out, item);
        w.out.WriteLong(-1);
        Wire expected;
        expected.RawRecord(163, Image({L64(0x0807060504030201), L32(0x11), L32(0x22), L8(1)}, 17));
        expected.Long(-1);
        EXPECT_BYTES(expected.bytes, w.Payload());
    }

    auto marked = test::Zeroed<_markedRecords>();
    marked.fileKey = 1;
    marked.FSOKey = 2;
    marked.Revision = 3;
    marked.backupNumberStart = 4;
    marked.backupNumberEnd = 5;
    marked.deleteFlag = 6;
    EXPECT_BYTES(
        Wire().RawRecord(164, Image({L64(1), L64(2), L32(3), L16(4), L16(5), L8(6)}, 25)).bytes,
        Encoded(marked));

    auto job = test::Zeroed<_sbsmetajob>();
    job.metaJobKey = 0x31;
    job.StartTime = kTime1;
    job.endTime = kTime2;
    job.status = -2;
    job.jobSpecType = 0xEE;
    Wire jobWire;
    jobWire.RawRecord(
        133,
        Image({L32(0x31), TimeBytes(kTime1), TimeBytes(kTime2), L32(0xFFFFFFFE), L8(0xEE)}, 41));
    EXPECT_BYTES(jobWire.bytes, Encoded(job));

    auto volume = test::Zeroed<_backedUpVolume>();
    volume.metaJobKey = 0x41;
    volume.JobKey = 0x42;
    volume.volumeKey = 0x43;
    volume.status = 0x44;
    volume.backupNumber = 0x45;
    volume.BackupDate = kTime3;
    Wire volumeWire;
    volumeWire.RawRecord(
        180, Image({L32(0x41), L8(0x42), L32(0x43), L32(0x44), L16(0x45), TimeBytes(kTime3)}, 31));
    EXPECT_BYTES(volumeWire.bytes, Encoded(volume));

    auto log = test::Zeroed<_backupjoblog>();
    log.JobNumber = 0x51;
    log.MetaJobDsKey = 0x52;
    log.backupNumber = 0x53;
    log.TotalNumberOfDirs = 0x54;
    log.NumberOfOpenFiles = 0x55;
    log.IsArchive = 1;
    Bytes logImage(139, 0);
    auto put = [&](std::size_t offset, const Bytes& value) {
        std::copy(value.begin(), value.end(),
                  logImage.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    put(0, L32(0x51));
    put(4, L32(0x52));
    put(8, L16(0x53));
    put(10, L32(0x54));
    put(134, L32(0x55));
    put(138, L8(1));
    EXPECT_BYTES(Wire().RawRecord(199, logImage).bytes, Encoded(log));
}

TEST(RecordEncoding, RawBlocksAreReadFromTheirOffsets) {
    Wire reply;
    reply.RawRecord(219, Image({L32(0x61), L64(0x0000000200000003), L32(0x64), L8(1)}, 17));
    Decoder<_created_revision> revision(reply.bytes);
    const auto& r = revision.Read();
    EXPECT_EQ(0x61, V(r.lTmpFileKey));
    EXPECT_EQ(0x0000000200000003, V(r.lFileKey));
    EXPECT_EQ(0x64, V(r.lRevNumber));
    EXPECT_EQ(1, V(r.bFileInfoWritten));

    // _VaultTimeInfo: the time, the packed time-zone information, the flag.
    Bytes image(192, 0);
    auto put = [&](std::size_t offset, const Bytes& value) {
        std::copy(value.begin(), value.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    put(0, TimeBytes(kTime1));
    put(16, L32(0xFFFFFF88));  // Bias -120
    put(20, L16('S'));
    put(84, TimeBytes(kTime2));
    put(100, L32(5));
    put(104, L16('D'));
    put(168, TimeBytes(kTime3));
    put(184, L32(0xFFFFFFC4));  // -60
    put(188, L32(1));
    Decoder<_VaultTimeInfo> time(Wire().RawRecord(197, image).bytes);
    const auto& t = time.Read();
    ExpectSameTime(kTime1, t.VaultTime);
    EXPECT_EQ(-120, V(t.TimeZoneInfo.Bias));
    EXPECT_EQ('S', V(t.TimeZoneInfo.StandardName[0]));
    ExpectSameTime(kTime2, t.TimeZoneInfo.StandardDate);
    EXPECT_EQ(5, V(t.TimeZoneInfo.StandardBias));
    EXPECT_EQ('D', V(t.TimeZoneInfo.DaylightName[0]));
    ExpectSameTime(kTime3, t.TimeZoneInfo.DaylightDate);
    EXPECT_EQ(-60, V(t.TimeZoneInfo.DaylightBias));
    EXPECT_EQ(1, V(t.bUseDayLight));
}

TEST(RecordEncoding, EnumerationConstantsTravelAsTheirInt) {
    EXPECT_EQ(-1946140672, static_cast<int>(kJobDone));
    EXPECT_EQ(0x8C004000u, static_cast<std::uint32_t>(kJobDone));
    _jobstatus status = {kJobDone, 0x0102};
    Wire expected;
    expected.RawRecord(172, Image({Bytes{0x00, 0x40, 0x00, 0x8C}, L16(0x0102)}, 6));
    EXPECT_BYTES(expected.bytes, Encoded(status));

    struct Constant {
        INT value;
        std::uint32_t expected;
        const char* name;
    };
#define QL_CONSTANT(name, value) \
    { static_cast<INT>(name), value, #name }
    const Constant constants[] = {
        QL_CONSTANT(kRawVolumeStatus_NewPath, 0x8C000000u),
        QL_CONSTANT(kRawVolumeStatus_Available, 0x8C000001u),
        QL_CONSTANT(kRawVolumeStatus_Filled, 0x8C000002u),
        QL_CONSTANT(kRawVolumeStatus_AvailableOrFilled, 0x8C000003u),
        QL_CONSTANT(kRawVolumeStatus_Disabled, 0x8C000004u),
        QL_CONSTANT(kRawVolumeStatus_Disabled_Available, 0x8C000005u),
        QL_CONSTANT(kRawVolumeStatus_Disabled_Filled, 0x8C000006u),
        QL_CONSTANT(kRawVolumeStatus_Offline, 0x8C000008u),
        QL_CONSTANT(kRawVolumeStatus_DisabledOrOffline, 0x8C00000Cu),
        QL_CONSTANT(kRawVolumeStatus_Inaccess, 0x8C000080u),
        QL_CONSTANT(kRawVolumeStatus_Inaccess_Available, 0x8C000081u),
        QL_CONSTANT(kRawVolumeStatus_Inaccess_Filled, 0x8C000082u),
        QL_CONSTANT(kRawVolumeStatus_Inaccess_Disabled, 0x8C000084u),
        QL_CONSTANT(kRawVolumeStatus_Inaccess_Disabled_Available, 0x8C000085u),
        QL_CONSTANT(kRawVolumeStatus_Inaccess_Disabled_Filled, 0x8C000086u),
        QL_CONSTANT(kRawVolumeStatus_Inaccess_Offline, 0x8C000088u),
        QL_CONSTANT(kRawVolumeStatus_Inaccess_Disabled_Offline, 0x8C00008Cu),
        QL_CONSTANT(kFileSystem_ntfs, 0x8C000001u),
        QL_CONSTANT(kFileSystem_fat16, 0x8C000002u),
        QL_CONSTANT(kFileSystem_fat32, 0x8C000004u),
        QL_CONSTANT(kNotArchived, 0x8C000000u),
        QL_CONSTANT(kArchived, 0x8C000001u),
        QL_CONSTANT(kAdminArchive, 0x8C000002u),
        QL_CONSTANT(kSBSIsOrphan, 0x8C000000u),
        QL_CONSTANT(kSBSInUse, 0x8C000001u),
        QL_CONSTANT(kMetaInvalid, 0x8C000000u),
        QL_CONSTANT(kMetaBackupJob, 0x8C000001u),
        QL_CONSTANT(kMetaRestoreJob, 0x8C000002u),
        QL_CONSTANT(kMetaRollbackJob, 0x8C000003u),
        QL_CONSTANT(kMetaRetentionJob, 0x8C000004u),
        QL_CONSTANT(kMetaBLOBJob, 0x8C000005u),
        QL_CONSTANT(kMetaMaintenanceJob, 0x8C000006u),
        QL_CONSTANT(kMetaLDBBackupJob, 0x8C000007u),
        QL_CONSTANT(kMetaFSRMediaJob, 0x8C000008u),
        QL_CONSTANT(kMetaServerJobs, 0x8C000080u),
        QL_CONSTANT(kMetaServerDeleteJob, 0x8C000081u),
        QL_CONSTANT(kMetaServerIntegrityJob, 0x8C000082u),
        QL_CONSTANT(kMetaServerIntegrityWithCRCJob, 0x8C000083u),
        QL_CONSTANT(kMetaServerRetentionJob, 0x8C000084u),
        QL_CONSTANT(kMetaClientNotifyJob, 0x8C000085u),
        QL_CONSTANT(kMetaServerBLOBMoveJob, 0x8C000089u),
        QL_CONSTANT(kMetaServerScheduledBLOBMoveJob, 0x8C00008Au),
        QL_CONSTANT(kMetaServerBLOBDefragJob, 0x8C00008Bu),
        QL_CONSTANT(kMetaServerDBCleanupJob, 0x8C00008Cu),
        QL_CONSTANT(kMetaServerConcurrentJob, 0x8C0000C0u),
        QL_CONSTANT(kMetaServerBLOBSyncJob, 0x8C0000C1u),
        QL_CONSTANT(kMetaServerScheduledBLOBSyncJob, 0x8C0000C2u),
        QL_CONSTANT(kVaultNode, 0x8C000001u),
        QL_CONSTANT(kGroupNode, 0x8C000002u),
        QL_CONSTANT(kSBSNode, 0x8C000003u),
        QL_CONSTANT(kRightsProperty, 0x8C000001u),
        QL_CONSTANT(kSettingsProperty, 0x8C000002u),
        QL_CONSTANT(kHealthAlertsProperty, 0x8C000003u),
        QL_CONSTANT(kBandwithThrottlingProperty, 0x8C000004u),
        QL_CONSTANT(kMiscSettingsProperty, 0x8C000005u),
        QL_CONSTANT(kJobUndefined, 0x8C000000u),
        QL_CONSTANT(kJobBeingCreated, 0x8C000001u),
        QL_CONSTANT(kJobPending, 0x8C000010u),
        QL_CONSTANT(kJobStarting, 0x8C000011u),
        QL_CONSTANT(kJobClientOkToRun, 0x8C000110u),
        QL_CONSTANT(kJobClientBeingNotified, 0x8C000120u),
        QL_CONSTANT(kJobRunning, 0x8C000200u),
        QL_CONSTANT(kJobOutOfSpace, 0x8C000400u),
        QL_CONSTANT(kJobError, 0x8C001000u),
        QL_CONSTANT(kJobCancelPending, 0x8C002000u),
        QL_CONSTANT(kJobDone, 0x8C004000u),
        QL_CONSTANT(kJobDoneViaCancel, 0x8C004100u),
        QL_CONSTANT(kJobDoneWithErrors, 0x8C004200u),
        QL_CONSTANT(kJobCouldNotBeRun, 0x8C004300u),
        QL_CONSTANT(kJobErrClntConfig, 0x8C004400u),
        QL_CONSTANT(kJobErrClntNotRespond, 0x8C004500u),
        QL_CONSTANT(kJobErrClntUnreachable, 0x8C004600u),
        QL_CONSTANT(kJobErrClntExceededQuota, 0x8C004700u),
        QL_CONSTANT(kJobErrClntSnapshotOnWANDisabled, 0x8C004800u),
        QL_CONSTANT(kJobErrClntConnectionSpeed, 0x8C004900u),
        QL_CONSTANT(kJobErrClntWrongVersion, 0x8C004A00u),
        QL_CONSTANT(kJobErrSrvNotEnoughFreeSpace, 0x8C004B00u),
        QL_CONSTANT(kJobErrStgInaccessible, 0x8C004C00u),
        QL_CONSTANT(kVolumeBackupJob, 0x8C000001u),
        QL_CONSTANT(kRegistryBackupJob, 0x8C000002u),
        QL_CONSTANT(kDRBackupJob, 0x8C000003u),
        QL_CONSTANT(kVolumeRestoreJob, 0x8C000004u),
        QL_CONSTANT(kRegistryRestoreJob, 0x8C000005u),
        QL_CONSTANT(kDRRestoreJob, 0x8C000006u),
        QL_CONSTANT(kVolumeRollbackJob, 0x8C000007u),
        QL_CONSTANT(kServerBackupJob, 0x8C000008u),
        QL_CONSTANT(kServerRestoreJob, 0x8C000009u),
        QL_CONSTANT(kLocalRetentionJob, 0x8C00000Au),
        QL_CONSTANT(kLocalBLOBCheckupJob, 0x8C00000Bu),
        QL_CONSTANT(kLocalBLOBCleanupJob, 0x8C00000Cu),
        QL_CONSTANT(kLDBBackupJob, 0x8C00000Du),
        QL_CONSTANT(kFSRMediaJob, 0x8C00000Eu),
        QL_CONSTANT(kServerJobs, 0x8C000080u),
        QL_CONSTANT(kServerDeleteJob, 0x8C000081u),
        QL_CONSTANT(kServerIntegrityJob, 0x8C000082u),
        QL_CONSTANT(kServerIntegrityWithCRCJob, 0x8C000083u),
        QL_CONSTANT(kServerRetentionJob, 0x8C000084u),
        QL_CONSTANT(kClientNotifyJob, 0x8C000085u),
        QL_CONSTANT(kServerBLOBMoveJob, 0x8C000089u),
        QL_CONSTANT(kServerScheduledBLOBMoveJob, 0x8C00008Au),
        QL_CONSTANT(kServerBLOBDefragJob, 0x8C00008Bu),
        QL_CONSTANT(kServerDBCleanupJob, 0x8C00008Cu),
        QL_CONSTANT(kServerConcurrentJob, 0x8C0000C0u),
        QL_CONSTANT(kServerBLOBSyncJob, 0x8C0000C1u),
        QL_CONSTANT(kServerScheduledBLOBSyncJob, 0x8C0000C2u),
        QL_CONSTANT(kVault, 0x8C000001u),
        QL_CONSTANT(kClient, 0x8C000002u),
        QL_CONSTANT(kSBSActive, 0x8C000000u),
        QL_CONSTANT(kSBSSuspended, 0x8C000001u),
        QL_CONSTANT(kRetention, 0x8C000000u),
        QL_CONSTANT(kDeletion, 0x8C000001u),
        QL_CONSTANT(kNotCriticalRetention, 0x8C000002u),
        QL_CONSTANT(kUnknown, 0x8C000000u),
        QL_CONSTANT(kDays, 0x8C000001u),
        QL_CONSTANT(kWeeks, 0x8C000002u),
        QL_CONSTANT(kMonths, 0x8C000003u),
        QL_CONSTANT(kYears, 0x8C000004u),
        QL_CONSTANT(kSubmitJobReadyToRun, 0x8C000001u),
        QL_CONSTANT(kSubmitJobAlreadyRunning, 0x8C000002u),
        QL_CONSTANT(kSubmitJobVaultBusy, 0x8C000003u),
        QL_CONSTANT(kSubmitJobAlreadyDone, 0x8C000005u),
        QL_CONSTANT(kSubmitJobScheduledJob, 0x8C000006u),
        QL_CONSTANT(kSubmitJobAnotherJobRunnning, 0x8C000007u),
        QL_CONSTANT(kSubmitJobSBSSuspended, 0x8C000008u),
        QL_CONSTANT(kSubmitJobError, 0x8C000010u),
        QL_CONSTANT(kFullBackup, 0x8C000001u),
        QL_CONSTANT(kPartialBackup, 0x8C000002u),
        QL_CONSTANT(kFullRestore, 0x8C000001u),
        QL_CONSTANT(kPartialRestore, 0x8C000002u),
        QL_CONSTANT(kRegistryRestore, 0x8C000003u),
    };
#undef QL_CONSTANT
    EXPECT_EQ(130u, std::size(constants));
    for (const Constant& c : constants)
        EXPECT_EQ(V(c.expected), static_cast<std::uint32_t>(c.value)) << c.name;
}

}  // namespace
}  // namespace ql
