#include "serialization/binary_serializer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "codec_test_util.h"
#include "support/base/hresults.h"
#include "support/base/unique_bstr.h"

namespace ql {
namespace {

using test::Bytes;
using test::Encode;
using test::H;
using test::Reply;
using test::ReplyReader;
using test::ThrownBy;
using test::Writer;
using Out = CBinarySerializer;

// Takes the stream header, then fails or shortens writes as configured.
class FaultyWriteStream final : public ATL::IWriteStream {
public:
    HRESULT WriteStream(LPCSTR, int count, LPDWORD written) override {
        if (FAILED(failure)) return failure;
        *written = static_cast<DWORD>(count) - shortBy;
        return S_OK;
    }
    HRESULT FlushStream() override { return S_OK; }

    HRESULT failure = S_OK;
    DWORD shortBy = 0;
};

// A variant of type vt with reserved words 1, 2, 3 and the value bits given.
VARIANT MakeVariant(VARTYPE vt, LONGLONG bits = 0) {
    auto v = test::Zeroed<VARIANT>();
    v.vt = vt;
    v.wReserved1 = 1;
    v.wReserved2 = 2;
    v.wReserved3 = 3;
    v.llVal = bits;
    return v;
}

// A variant's type, reserved words and value bits, for comparison.
std::string Fields(const VARIANT& v) {
    return testing::PrintToString(
        std::vector<long long>{v.vt, v.wReserved1, v.wReserved2, v.wReserved3, v.llVal});
}

// The four words of a variant of type vt, reserved words 1, 2, 3.
std::string Words(VARTYPE vt) { return test::ToHex(test::Le(vt, 2)) + " 0100 0200 0300"; }

TEST(BinarySerializer, WritesOnlyAfterHeaderAndStream) {
    EXPECT_EQ(Writer(255).All(), H("0C000000 01000600 FF000000"));
    // A null stream is refused and leaves the serializer unattached, as
    // Detach does.
    Writer refused(255), detached(0, 0x00050000);
    EXPECT_EQ(ThrownBy([&] { refused.out.Attach(nullptr); }), E_POINTER);
    detached.out.Detach();
    for (Writer* w : {&refused, &detached}) {
        EXPECT_EQ(ThrownBy([&] { w->out.WriteLong(1); }), hr::kNotReady);
        EXPECT_EQ(w->stream.GetLength(), 12u);
    }

    // Neither a header nor a stream: nothing is written, even on Attach.
    CBinarySerializer unprepared, out;
    CReadWriteBinaryStream stream;
    EXPECT_EQ(ThrownBy([&] { unprepared.WriteLong(5); }), hr::kNotReady);
    EXPECT_EQ(ThrownBy([&] { unprepared.Attach(&stream); }), hr::kNotReady);
    EXPECT_EQ(stream.GetLength(), 0u);
    // The header is fixed once; a stream is still needed.
    EXPECT_TRUE(out.SetHeader(0, 0x00050000));
    EXPECT_FALSE(out.SetHeader(255, 0x00060001));
    EXPECT_EQ(ThrownBy([&] { out.WriteLong(5); }), hr::kNotReady);
    out.Attach(&stream);
    out.WriteLong(5);
    EXPECT_EQ(test::ToHex(Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetLength())),
              H("0C000000 00000500 00000000 13000000 05000000"));
}

// A tag travels when its number reaches the threshold (signed).
TEST(BinarySerializer, TagsTravelFromTheThresholdUp) {
    const std::pair<LONG, const char*> longs[] = {
        {255, "05000000"}, {20, "05000000"}, {19, "13000000 05000000"}, {0, "13000000 05000000"}};
    for (const auto& c : longs)
        EXPECT_EQ(Encode(c.first, [](Out& out) { out.WriteLong(5); }), H(c.second)) << c.first;
    EXPECT_EQ(Encode(128,
                     [](Out& out) {
                         out.WriteTag(wire::kTagEvent);
                         out.WriteTag(127);
                     }),
              H("81000000"));
    // A FILETIME is its memory bytes (no reply carries one).
    const FILETIME file = {0x11223344, 0x55667788};
    EXPECT_EQ(Encode(0, [&](Out& out) { out.WriteFileTime(file); }),
              H("62000000 44332211 88776655"));
}

// Written, then read back into a target that held a string (LeakSanitizer
// watches that it is freed).
TEST(BinarySerializer, StringsRoundTrip) {
    CUniqueBstr empty(SysAllocString(OLESTR("")));
    CUniqueBstr a(SysAllocString(OLESTR("A")));
    // The count follows the string's length, not its first zero.
    CUniqueBstr embedded(SysAllocStringLen(OLESTR("a\0b"), 3));
    const struct {
        LONG threshold;
        BSTR value;
        const char* hex;
    } cases[] = {
        {255, nullptr, "00000000"},
        {255, empty.Get(), "02000000 0000"},
        {255, a.Get(), "04000000 41000000"},
        {255, embedded.Get(), "08000000 6100 0000 6200 0000"},
        {0, a.Get(), "40000000 11000000 04000000 10000000 41000000"},
        {0, nullptr, "40000000 11000000 00000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hex);
        EXPECT_EQ(Encode(c.threshold, [&](Out& out) { out.WriteBstr(c.value); }), H(c.hex));
        // Plain wide strings travel exactly like a BSTR holding them.
        if (c.value != embedded.Get()) {
            EXPECT_EQ(Encode(c.threshold, [&](Out& out) { out.WriteWideString(c.value); }),
                      H(c.hex));
        }
        ReplyReader reply(c.threshold, c.hex);
        BSTR target = SysAllocString(OLESTR("old"));
        reply.in.ReadBstr(target);
        EXPECT_EQ(target == nullptr, c.value == nullptr);
        EXPECT_EQ(test::Text(target), test::Text(c.value));
        EXPECT_TRUE(test::AtEnd(reply.in));
        SysFreeString(target);
    }
}

// Every type that travels: four words, then the value, each with its tag
// from the threshold up. The reader restores all of it, whatever the
// target held before.
TEST(BinarySerializer, VariantsTravelAsFourWordsAndTheirValue) {
    const struct {
        VARTYPE vt;
        LONGLONG bits;
        const char* tag;
        const char* value;
    } cases[] = {
        {VT_EMPTY, 0, "", ""},
        {VT_NULL, 0, "", ""},
        {VT_I2, 0xFFFE, "14000000", "FEFF"},
        {VT_BOOL, 0xFFFF, "14000000", "FFFF"},
        {VT_I4, 7, "13000000", "07000000"},
        {VT_ERROR, 0x80004005, "13000000", "05400080"},
        {VT_DATE, 0x3FF8000000000000, "19000000", "000000000000F83F"},  // 1.5
        {VT_I1, 0x80, "1A000000", "80"},
        {VT_UI1, 0xAB, "16000000", "AB"},
        {VT_UI2, 0xFEDC, "12000000", "DCFE"},
        {VT_UI4, 0x89ABCDEF, "11000000", "EFCDAB89"},
        {VT_I8, -2, "15000000", "FEFFFFFF FFFFFFFF"},
        {VT_UI8, 0x0102030405060708, "18000000", "08070605 04030201"},
        {VT_INT, 0xFFFFFFFD, "17000000", "FDFFFFFF"},
        {VT_UINT, 0xFFFFFFFF, "1C000000", "FFFFFFFF"},
        {VT_BSTR, 0, "40000000 11000000", "00000000"},
    };
    auto roundTrip = [](const VARIANT& v, LONG threshold) {
        Writer w(threshold);
        w.out.WriteVariant(v);
        ReplyReader reply(Reply(threshold, w.Payload()));
        VARIANT target = MakeVariant(VT_BSTR);
        target.bstrVal = SysAllocString(OLESTR("previous"));
        reply.in.ReadVariant(target);
        EXPECT_TRUE(test::AtEnd(reply.in));
        return target;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vt);
        const VARIANT v = MakeVariant(c.vt, c.bits);
        EXPECT_EQ(Encode(255, [&](Out& out) { out.WriteVariant(v); }),
                  H(Words(c.vt) + " " + c.value));
        EXPECT_EQ(Encode(0, [&](Out& out) { out.WriteVariant(v); }),
                  H("41000000 12000000 " + test::ToHex(test::Le(c.vt, 2)) +
                    " 12000000 0100 12000000 0200 12000000 0300 " + c.tag + c.value));
        for (LONG threshold : {0, 255}) EXPECT_EQ(Fields(roundTrip(v, threshold)), Fields(v));
    }
    // A string travels as a BSTR; the reader's is a copy.
    CUniqueBstr a(SysAllocString(OLESTR("A")));
    VARIANT text = MakeVariant(VT_BSTR);
    text.bstrVal = a.Get();
    EXPECT_EQ(Encode(255, [&](Out& out) { out.WriteVariant(text); }),
              H(Words(VT_BSTR) + " 04000000 41000000"));
    for (LONG threshold : {0, 255}) {
        VARIANT target = roundTrip(text, threshold);
        EXPECT_EQ(test::Text(target.bstrVal), "A");
        EXPECT_NE(target.bstrVal, a.Get());
        VariantClear(&target);
    }
}

// Both sides stop after the four words: the reader's target then holds only
// them, and what follows stays unread.
TEST(BinarySerializer, UnsupportedVariantTypesStopAfterTheFourWords) {
    for (VARTYPE vt :
         std::initializer_list<VARTYPE>{VT_R4, VT_R8, VT_CY, VT_UNKNOWN, VT_VARIANT,
                                        VT_ARRAY | VT_I4, VT_DECIMAL, VT_BYREF | VT_I4}) {
        for (LONG threshold : {0, 255}) {
            SCOPED_TRACE(testing::Message() << vt << " " << threshold);
            Writer w(threshold);
            EXPECT_EQ(ThrownBy([&] { w.out.WriteVariant(MakeVariant(vt, -1)); }),
                      hr::kUnsupportedType);
            if (threshold == 255) {
                EXPECT_EQ(w.Body(), H(Words(vt)));
            }

            Bytes payload = w.Payload();
            test::AppendBytes(payload, test::Hex("000000000000F83F"));
            ReplyReader reply(Reply(threshold, payload));
            VARIANT target = MakeVariant(VT_BSTR);
            target.bstrVal = SysAllocString(OLESTR("previous"));
            EXPECT_EQ(ThrownBy([&] { reply.in.ReadVariant(target); }), hr::kUnsupportedType);
            EXPECT_EQ(Fields(target), Fields(MakeVariant(vt)));
            LONGLONG rest = 0;
            reply.in.ReadRaw(&rest, sizeof rest);
            EXPECT_EQ(rest, 0x3FF8000000000000ll);
        }
    }
}

TEST(BinarySerializer, StreamFailuresSurface) {
    FaultyWriteStream stream;
    CBinarySerializer out;
    out.SetHeader(255, wire::kProtocolVersion);
    out.Attach(&stream);
    stream.failure = E_ACCESSDENIED;
    EXPECT_EQ(ThrownBy([&] { out.WriteLong(1); }), E_ACCESSDENIED);
    stream.failure = S_OK;
    stream.shortBy = 1;
    EXPECT_EQ(ThrownBy([&] { out.WriteLong(1); }), hr::kWriteFault);

    // The header goes through the same checks.
    FaultyWriteStream refusing;
    refusing.failure = E_OUTOFMEMORY;
    CBinarySerializer other;
    other.SetHeader(255, wire::kProtocolVersion);
    EXPECT_EQ(ThrownBy([&] { other.Attach(&refusing); }), E_OUTOFMEMORY);
}

// A byte block's run is its size plus four bytes, which must fit in 32 bits;
// empty runs travel as nothing. Bad runs are refused before any byte is
// written or anything is allocated.
TEST(BinarySerializer, ByteRuns) {
    const LONG elements[] = {1, 2};
    const BYTE data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    Writer w(0);
    w.out.WriteScalarBlock(nullptr, 0, 4);
    w.out.WriteByteBlock(0, nullptr);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteScalarBlock(nullptr, 1, 4); }), E_POINTER);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteScalarBlock(elements, 0x40000000, 4); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(0xFFFFFFFDu, data); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(0xFFFFFFFCu, data); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(4, nullptr); }), E_POINTER);
    EXPECT_EQ(w.Body(), "");
    w.out.WriteByteBlock(4, data);
    EXPECT_EQ(w.Body(), H("10000000 0102030405060708"));

    ReplyReader reply(Reply(0, w.Payload()));
    BYTE* read = reinterpret_cast<BYTE*>(&reply);
    EXPECT_EQ(ThrownBy([&] { reply.in.ReadByteBlock(0xFFFFFFFCu, read); }), E_INVALIDARG);
    EXPECT_EQ(read, nullptr);
    reply.in.ReadByteBlock(0, read);
    EXPECT_EQ(read, nullptr);
    EXPECT_EQ(reply.memMgr.allocations, 0);
    reply.in.ReadByteBlock(4, read);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(reply.memMgr.lastSize, 8u);
    EXPECT_EQ(test::ToHex(Bytes(read, read + 8)), H("0102030405060708"));
    EXPECT_TRUE(test::AtEnd(reply.in));
    reply.memMgr.Free(read);
}

TEST(BinaryDeserializer, AttachChecksTheStreamHeader) {
    // Shorter than 12 bytes, from a newer protocol, or cut off.
    const std::pair<Bytes, HRESULT> refused[] = {
        {test::StreamHeader(11), hr::kIncompatibleStreamVersion},
        {Reply(255, "", 0x00060002), hr::kIncompatibleStreamVersion},
        {Bytes(), hr::kReadFault},
        {test::Hex("0C000000 01000600"), hr::kReadFault},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(test::ToHex(c.first));
        EXPECT_EQ(ThrownBy([&] { ReplyReader refusing(c.first); }), c.second);
    }

    // A longer header is accepted, but only its first 12 bytes are consumed.
    Bytes longer = test::StreamHeader(16);
    test::AppendBytes(longer, test::Hex("05000000 06000000"));
    ReplyReader reader(longer);
    EXPECT_EQ(reader.in.ReadLong(), 5);
    EXPECT_EQ(reader.in.ReadLong(), 6);

    // An older version is read with its own threshold.
    ReplyReader older(Reply(0, "13000000 05000000", 0x00050000));
    EXPECT_EQ(older.in.Version(), 0x00050000u);
    EXPECT_EQ(older.in.ReadLong(), 5);
    // A reply cut inside a value.
    ReplyReader truncated(255, "0500");
    EXPECT_EQ(ThrownBy([&] { truncated.in.ReadLong(); }), hr::kReadFault);
}

TEST(BinaryDeserializer, RefusesToReadUnattached) {
    CBinaryDeserializer in(SharedMemMgr());
    EXPECT_EQ(ThrownBy([&] { in.Attach(nullptr); }), E_POINTER);
    EXPECT_FALSE(in.IsAttached());
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
    ReplyReader mismatch(0, "11000000 05000000");
    EXPECT_EQ(ThrownBy([&] { mismatch.in.ReadLong(); }), hr::kDatatypeMismatch);

    // With threshold 128 a long carries no tag, an event does.
    ReplyReader reply(128, "05000000 81000000 80000000");
    EXPECT_EQ(reply.in.ReadLong(), 5);
    reply.in.ReadTag(wire::kTagEvent);
    EXPECT_EQ(ThrownBy([&] { reply.in.ReadTag(wire::kTagEvent); }), hr::kDatatypeMismatch);
}

TEST(BinaryDeserializer, ArrayHeads) {
    // A length above the capacity is cut to it; counts of 2^31 or more are
    // refused.
    ReplyReader reply(255,
                      "03000000 05000000 FFFFFF7F FFFFFF7F 00000080 00000000 01000000 00000080");
    ULONG capacity = 0, length = 0;
    reply.in.ReadArrayHead(capacity, length);
    EXPECT_EQ(capacity, 3u);
    EXPECT_EQ(length, 3u);
    reply.in.ReadArrayHead(capacity, length);
    EXPECT_EQ(capacity, 0x7FFFFFFFu);
    EXPECT_EQ(length, 0x7FFFFFFFu);
    EXPECT_EQ(ThrownBy([&] { reply.in.ReadArrayHead(capacity, length); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { reply.in.ReadArrayHead(capacity, length); }), E_INVALIDARG);
}

}  // namespace
}  // namespace ql
