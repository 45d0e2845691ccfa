#include "serialization/binary_deserializer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bytes.h"
#include "reply_builder.h"
#include "scripted_transport.h"
#include "serialization/read_write_binary_stream.h"
#include "support/hresults.h"
#include "support/unique_bstr.h"
#include "support/wide_string.h"

namespace ql {
namespace {

using test::Bytes;

template <class F>
HRESULT ThrownBy(F&& action) {
    try {
        action();
    } catch (const ATL::CAtlException& e) {
        return e.Result();
    }
    return S_OK;
}

// A reply body: the stream header and the given payload bytes.
Bytes Reply(LONG threshold, const char* payload, ULONG version = wire::kProtocolVersion) {
    Bytes body = test::StreamHeader(12, version, threshold);
    test::AppendBytes(body, test::Hex(payload));
    return body;
}

std::string Text(BSTR value) { return ToUtf8(WStringView(value, SysStringLen(value))); }

// The COM task allocator, with counts; fresh blocks are filled with 0xCD so
// that missing zeroing shows.
class CountingMemMgr final : public ATL::IAtlMemMgr {
public:
    void* Allocate(std::size_t bytes) override {
        ++allocations;
        lastSize = bytes;
        void* block = CoTaskMemAlloc(bytes);
        if (block != nullptr) std::memset(block, 0xCD, bytes);
        return block;
    }
    void Free(void* block) override {
        if (block != nullptr) ++frees;
        CoTaskMemFree(block);
    }
    void* Reallocate(void* block, std::size_t bytes) override {
        ++reallocations;
        return CoTaskMemRealloc(block, bytes);
    }
    int allocations = 0;
    int frees = 0;
    int reallocations = 0;
    std::size_t lastSize = 0;
};

TEST(BinaryDeserializer, StreamHeaderChecks) {
    EXPECT_EQ(static_cast<ULONG>(hr::kIncompatibleStreamVersion), 0x8001013Bu);
    {
        CBinaryDeserializer in(SharedMemMgr());
        EXPECT_EQ(ThrownBy([&] { test::AttachReply(in, test::StreamHeader(11)); }),
                  hr::kIncompatibleStreamVersion);
    }
    {
        // A longer header is accepted, but only its first 12 bytes are consumed.
        CBinaryDeserializer in(SharedMemMgr());
        Bytes body = test::StreamHeader(16);
        test::AppendBytes(body, test::Hex("05000000 06000000"));
        test::AttachReply(in, body);
        EXPECT_EQ(in.ReadLong(), 5);
        EXPECT_EQ(in.ReadLong(), 6);
    }
    {
        CBinaryDeserializer in(SharedMemMgr());
        EXPECT_EQ(ThrownBy([&] { test::AttachReply(in, Reply(255, "", 0x00060002)); }),
                  hr::kIncompatibleStreamVersion);
    }
    {
        CBinaryDeserializer in(SharedMemMgr());
        test::AttachReply(in, Reply(0, "13000000 05000000", 0x00050000));
        EXPECT_TRUE(in.IsAttached());
        EXPECT_EQ(in.Version(), 0x00050000u);
        EXPECT_EQ(in.Threshold(), 0);
        EXPECT_EQ(in.ReadLong(), 5);
    }
    {
        CBinaryDeserializer in(SharedMemMgr());
        EXPECT_EQ(ThrownBy([&] { in.Attach(nullptr); }), E_POINTER);
        EXPECT_FALSE(in.IsAttached());
    }
}

TEST(BinaryDeserializer, TruncatedRepliesAreReadFaults) {
    EXPECT_EQ(static_cast<ULONG>(hr::kReadFault), 0x8007001Eu);
    CBinaryDeserializer empty(SharedMemMgr());
    EXPECT_EQ(ThrownBy([&] { test::AttachReply(empty, Bytes()); }), hr::kReadFault);
    CBinaryDeserializer partial(SharedMemMgr());
    EXPECT_EQ(ThrownBy([&] { test::AttachReply(partial, test::Hex("0C000000 01000600")); }),
              hr::kReadFault);

    CBinaryDeserializer in(SharedMemMgr());
    test::AttachReply(in, Reply(255, "0500"));
    EXPECT_EQ(ThrownBy([&] { in.ReadLong(); }), hr::kReadFault);
}

TEST(BinaryDeserializer, RefusesToReadBeforeAttach) {
    CBinaryDeserializer in(SharedMemMgr());
    BSTR target = nullptr;
    LONG raw = 0;
    EXPECT_EQ(ThrownBy([&] { in.ReadLong(); }), hr::kNotReady);
    EXPECT_EQ(ThrownBy([&] { in.ReadRaw(&raw, sizeof raw); }), hr::kNotReady);
    EXPECT_EQ(ThrownBy([&] { in.ReadBstr(target); }), hr::kNotReady);
    EXPECT_EQ(target, nullptr);

    test::AttachReply(in, Reply(255, "05000000"));
    in.Detach();
    EXPECT_EQ(ThrownBy([&] { in.ReadLong(); }), hr::kNotReady);
}

TEST(BinaryDeserializer, TagsAreCheckedWhenDue) {
    EXPECT_EQ(static_cast<ULONG>(hr::kDatatypeMismatch), 0x8007065Du);
    CBinaryDeserializer mismatch(SharedMemMgr());
    test::AttachReply(mismatch, Reply(0, "11000000 05000000"));
    EXPECT_EQ(ThrownBy([&] { mismatch.ReadLong(); }), hr::kDatatypeMismatch);

    // With threshold 128 a long carries no tag, an event does.
    CBinaryDeserializer in(SharedMemMgr());
    test::AttachReply(in, Reply(128, "05000000 81000000 80000000"));
    EXPECT_EQ(in.ReadLong(), 5);
    in.ReadTag(wire::kTagEvent);
    EXPECT_EQ(ThrownBy([&] { in.ReadTag(wire::kTagEvent); }), hr::kDatatypeMismatch);
}

TEST(BinaryDeserializer, Strings) {
    CBinaryDeserializer in(SharedMemMgr());
    test::AttachReply(in, Reply(255,
                                "00000000 "
                                "02000000 0000 "
                                "04000000 41000000 "
                                "0A000000 6100 0000 6200 6300 0000"));
    // The previous string is freed (LeakSanitizer watches).
    BSTR target = SysAllocString(OLESTR("old"));
    in.ReadBstr(target);
    EXPECT_EQ(target, nullptr);
    in.ReadBstr(target);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(SysStringLen(target), 0u);
    in.ReadBstr(target);
    EXPECT_EQ(Text(target), "A");
    EXPECT_EQ(SysStringByteLen(target), 2u);
    in.ReadBstr(target);
    EXPECT_EQ(SysStringLen(target), 4u);
    EXPECT_EQ(Text(target), std::string("a\0bc", 4));
    SysFreeString(target);

    CBinaryDeserializer tagged(SharedMemMgr());
    test::AttachReply(tagged, Reply(0, "40000000 11000000 04000000 10000000 41000000"));
    CUniqueBstr a;
    tagged.ReadBstr(*a.Address());
    EXPECT_EQ(Text(a.Get()), "A");
}

TEST(BinaryDeserializer, ImpossibleStringCountsAreRefused) {
    // A count of 1 cannot hold the terminator; 2^31 and more are never honest.
    for (const char* count : {"01000000 0000", "00000080", "FFFFFFFF"}) {
        SCOPED_TRACE(count);
        CountingMemMgr memMgr;
        CBinaryDeserializer in(&memMgr);
        test::AttachReply(in, Reply(255, count));
        BSTR target = SysAllocString(OLESTR("old"));
        EXPECT_EQ(ThrownBy([&] { in.ReadBstr(target); }), E_INVALIDARG);
        EXPECT_EQ(target, nullptr);
    }
    CBinaryDeserializer in(SharedMemMgr());
    test::AttachReply(in, Reply(255, "06000000 4100"));
    BSTR target = nullptr;
    EXPECT_EQ(ThrownBy([&] { in.ReadBstr(target); }), hr::kReadFault);
    SysFreeString(target);
}

TEST(BinaryDeserializer, VariantsRoundTrip) {
    CUniqueBstr text(SysAllocString(OLESTR("Hello")));
    auto make = [](VARTYPE vt, LONGLONG bits) {
        VARIANT v;
        std::memset(&v, 0, sizeof v);
        v.vt = vt;
        v.wReserved1 = 0x1111;
        v.wReserved3 = 0x3333;
        v.llVal = bits;
        return v;
    };
    VARIANT date = make(VT_DATE, 0);
    date.date = 45000.25;
    VARIANT sources[] = {
        make(VT_EMPTY, 0),
        make(VT_NULL, 0),
        make(VT_I2, 0x8001),
        make(VT_BOOL, 0xFFFF),
        make(VT_I4, 0x80000001),
        make(VT_ERROR, 0x80004005),
        date,
        make(VT_I1, 0x80),
        make(VT_UI1, 0xFE),
        make(VT_UI2, 0xFEDC),
        make(VT_UI4, 0xFEDCBA98),
        make(VT_I8, -2),
        make(VT_UI8, -3),
        make(VT_INT, 0x7FFFFFFF),
        make(VT_UINT, 0xFFFFFFFF),
        make(VT_BSTR, 0),
        make(VT_BSTR, 0),
    };
    sources[16].bstrVal = text.Get();

    for (LONG threshold : {0, 255}) {
        SCOPED_TRACE(threshold);
        test::ReplyBuilder reply(threshold);
        for (const VARIANT& v : sources) reply.Out().WriteVariant(v);
        CBinaryDeserializer in(SharedMemMgr());
        test::AttachReply(in, reply.Body());

        VARIANT target;
        VariantInit(&target);
        for (const VARIANT& expected : sources) {
            SCOPED_TRACE(expected.vt);
            // Whatever the target held before is released first.
            VariantClear(&target);
            target.vt = VT_BSTR;
            target.bstrVal = SysAllocString(OLESTR("previous"));
            in.ReadVariant(target);
            EXPECT_EQ(target.vt, expected.vt);
            EXPECT_EQ(target.wReserved1, 0x1111);
            EXPECT_EQ(target.wReserved2, 0);
            EXPECT_EQ(target.wReserved3, 0x3333);
            if (expected.vt == VT_BSTR && expected.bstrVal != nullptr) {
                EXPECT_EQ(Text(target.bstrVal), "Hello");
                EXPECT_NE(target.bstrVal, expected.bstrVal);
            } else {
                EXPECT_EQ(target.llVal, expected.llVal);
            }
        }
        VariantClear(&target);
    }
}

TEST(BinaryDeserializer, UnsupportedVariantLeavesOnlyTheFourWords) {
    CBinaryDeserializer in(SharedMemMgr());
    test::AttachReply(in, Reply(255, "0500 0100 0200 0300 000000000000F83F"));
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(OLESTR("previous"));
    EXPECT_EQ(ThrownBy([&] { in.ReadVariant(target); }), hr::kUnsupportedType);
    EXPECT_EQ(target.vt, VT_R8);
    EXPECT_EQ(target.wReserved1, 1);
    EXPECT_EQ(target.wReserved2, 2);
    EXPECT_EQ(target.wReserved3, 3);
    EXPECT_EQ(target.llVal, 0);
    // Nothing after the four words was consumed.
    LONGLONG rest = 0;
    in.ReadRaw(&rest, sizeof rest);
    EXPECT_EQ(rest, 0x3FF8000000000000ll);

    CBinaryDeserializer array(SharedMemMgr());
    test::AttachReply(array, Reply(0,
                                   "41000000 12000000 0320 12000000 0000 12000000 0000 "
                                   "12000000 0000 13000000 07000000"));
    EXPECT_EQ(ThrownBy([&] { array.ReadVariant(target); }), hr::kUnsupportedType);
    EXPECT_EQ(target.vt, VT_ARRAY | VT_I4);
    EXPECT_EQ(target.llVal, 0);
}

TEST(BinaryDeserializer, ArrayHeads) {
    CBinaryDeserializer in(SharedMemMgr());
    test::AttachReply(in, Reply(255,
                                "03000000 05000000 "
                                "FFFFFF7F FFFFFF7F "
                                "00000080 00000000 "
                                "01000000 00000080"));
    ULONG capacity = 0;
    ULONG length = 0;
    in.ReadArrayHead(capacity, length);
    EXPECT_EQ(capacity, 3u);
    EXPECT_EQ(length, 3u);
    in.ReadArrayHead(capacity, length);
    EXPECT_EQ(capacity, 0x7FFFFFFFu);
    EXPECT_EQ(length, 0x7FFFFFFFu);
    EXPECT_EQ(ThrownBy([&] { in.ReadArrayHead(capacity, length); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { in.ReadArrayHead(capacity, length); }), E_INVALIDARG);

    CBinaryDeserializer tagged(SharedMemMgr());
    test::AttachReply(tagged, Reply(0, "01000000 11000000 02000000 11000000 01000000"));
    tagged.ReadArrayHead(capacity, length);
    EXPECT_EQ(capacity, 2u);
    EXPECT_EQ(length, 1u);
}

TEST(BinaryDeserializer, ByteBlocks) {
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    test::AttachReply(in, Reply(0, "10000000 0102030405060708 13000000 09000000"));
    BYTE* data = reinterpret_cast<BYTE*>(&memMgr);
    EXPECT_EQ(ThrownBy([&] { in.ReadByteBlock(0xFFFFFFFCu, data); }), E_INVALIDARG);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(memMgr.allocations, 0);

    in.ReadByteBlock(0, data);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(memMgr.allocations, 0);

    in.ReadByteBlock(4, data);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(memMgr.allocations, 1);
    EXPECT_EQ(memMgr.lastSize, 8u);
    const BYTE expected[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(std::memcmp(data, expected, 8), 0);
    memMgr.Free(data);
    // Exactly the run was consumed.
    EXPECT_EQ(in.ReadLong(), 9);
}

TEST(BinaryDeserializer, FixedRecordsFlagsAndRuns) {
    const GUID guid = {
        0x7DAEE74C, 0xCC99, 0x4443, {0xAE, 0xE2, 0xBE, 0xE1, 0xCF, 0xAB, 0x10, 0x3D}};
    const SYSTEMTIME time = {2024, 5, 3, 17, 13, 45, 30, 999};
    const LONG run[3] = {-1, 0, 0x12345678};
    for (LONG threshold : {0, 255}) {
        SCOPED_TRACE(threshold);
        test::ReplyBuilder reply(threshold);
        reply.Out().WriteGuid(guid);
        reply.Out().WriteSystemTime(time);
        reply.Out().WritePresentFlag(true);
        reply.Out().WritePresentFlag(false);
        reply.Out().WriteScalarBlock(run, 3, sizeof(LONG));
        CBinaryDeserializer in(SharedMemMgr());
        test::AttachReply(in, reply.Body());

        GUID readGuid;
        in.ReadGuid(readGuid);
        EXPECT_TRUE(IsEqualGUID(readGuid, guid));
        SYSTEMTIME readTime;
        in.ReadSystemTime(readTime);
        EXPECT_EQ(std::memcmp(&readTime, &time, sizeof time), 0);
        EXPECT_TRUE(in.ReadPresentFlag());
        EXPECT_FALSE(in.ReadPresentFlag());
        LONG readRun[3] = {};
        in.ReadScalarBlock(readRun, 3, sizeof(LONG));
        EXPECT_EQ(std::memcmp(readRun, run, sizeof run), 0);
        EXPECT_EQ(ThrownBy([&] { in.ReadLong(); }), hr::kReadFault);
    }
}

}  // namespace
}  // namespace ql
