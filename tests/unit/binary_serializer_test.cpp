#include "serialization/binary_serializer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec_test_util.h"
#include "support/base/hresults.h"
#include "support/base/unique_bstr.h"

namespace ql {
namespace {

using test::Encode;
using test::H;
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

VARIANT MakeVariant(VARTYPE vt) {
    auto v = test::Zeroed<VARIANT>();
    v.vt = vt;
    return v;
}

// A variant's type, reserved words and value bits, for comparison.
std::string Fields(const VARIANT& v) {
    return testing::PrintToString(
        std::vector<long long>{v.vt, v.wReserved1, v.wReserved2, v.wReserved3, v.llVal});
}

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
    EXPECT_EQ(test::ToHex(test::Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetLength())),
              H("0C000000 00000500 00000000 13000000 05000000"));
}

TEST(BinarySerializer, TagsAreWrittenFromTheThresholdUp) {
    auto scalars = [](Out& out) {
        out.WriteLong(5);
        out.WriteULong(0xFFFFFFFE);
        out.WriteUShort(0x1234);
        out.WriteShort(-2);
    };
    EXPECT_EQ(Encode(255, scalars), H("05000000 FEFFFFFF 3412 FEFF"));
    EXPECT_EQ(Encode(0, scalars),
              H("13000000 05000000 11000000 FEFFFFFF 12000000 3412 14000000 FEFF"));

    // Only tags at or above the threshold travel.
    EXPECT_EQ(Encode(128,
                     [](Out& out) {
                         out.WriteTag(wire::kTagEvent);
                         out.WriteTag(128);
                         out.WriteTag(127);
                         out.WriteLong(5);
                     }),
              H("81000000 80000000 05000000"));
    EXPECT_EQ(Encode(20, [](Out& out) { out.WriteLong(5); }), H("05000000"));
    EXPECT_EQ(Encode(19, [](Out& out) { out.WriteLong(5); }), H("13000000 05000000"));
}

TEST(BinarySerializer, Strings) {
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
    }
}

// A FILETIME is its memory bytes after its tag (GUIDs and SYSTEMTIMEs show in
// the generated record round trips).
TEST(BinarySerializer, FileTimesAreTheirMemoryBytes) {
    const FILETIME file = {0x11223344, 0x55667788};
    EXPECT_EQ(Encode(0, [&](Out& out) { out.WriteFileTime(file); }),
              H("62000000 44332211 88776655"));
    EXPECT_EQ(Encode(255, [&](Out& out) { out.WriteFileTime(file); }), H("44332211 88776655"));
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
        test::ReplyReader reply(test::Reply(threshold, w.Payload()));
        VARIANT target = MakeVariant(VT_BSTR);
        target.bstrVal = SysAllocString(OLESTR("previous"));
        reply.in.ReadVariant(target);
        // Exactly the variant was consumed.
        EXPECT_EQ(ThrownBy([&] { reply.in.ReadRaw(&threshold, 1); }), hr::kReadFault);
        return target;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vt);
        VARIANT v = MakeVariant(c.vt);
        v.wReserved1 = 1;
        v.wReserved2 = 2;
        v.wReserved3 = 3;
        v.llVal = c.bits;
        test::Bytes vt;
        test::AppendBytes(vt, test::Le(c.vt, 2));
        EXPECT_EQ(Encode(255, [&](Out& out) { out.WriteVariant(v); }),
                  H(test::ToHex(vt) + " 0100 0200 0300 " + c.value));
        EXPECT_EQ(Encode(0, [&](Out& out) { out.WriteVariant(v); }),
                  H("41000000 12000000 " + test::ToHex(vt) +
                    " 12000000 0100 12000000 0200 12000000 0300 " + c.tag + c.value));
        for (LONG threshold : {0, 255}) EXPECT_EQ(Fields(roundTrip(v, threshold)), Fields(v));
    }
    // A string travels as a BSTR; the reader's is a copy.
    CUniqueBstr a(SysAllocString(OLESTR("A")));
    VARIANT text = MakeVariant(VT_BSTR);
    text.bstrVal = a.Get();
    EXPECT_EQ(Encode(255, [&](Out& out) { out.WriteVariant(text); }),
              H("0800 0000 0000 0000 04000000 41000000"));
    for (LONG threshold : {0, 255}) {
        VARIANT target = roundTrip(text, threshold);
        EXPECT_EQ(test::Text(target.bstrVal), "A");
        EXPECT_NE(target.bstrVal, a.Get());
        VariantClear(&target);
    }
}

TEST(BinarySerializer, UnsupportedVariantTypesStopAfterTheFourWords) {
    for (VARTYPE vt :
         std::initializer_list<VARTYPE>{VT_R4, VT_R8, VT_CY, VT_UNKNOWN, VT_VARIANT,
                                        VT_ARRAY | VT_I4, VT_DECIMAL, VT_BYREF | VT_I4}) {
        SCOPED_TRACE(vt);
        Writer w(255);
        VARIANT v = MakeVariant(vt);
        v.wReserved1 = 0x0101;
        EXPECT_EQ(ThrownBy([&] { w.out.WriteVariant(v); }), hr::kUnsupportedType);
        test::Bytes words;
        test::AppendBytes(words, test::Le(vt, 2));
        test::AppendBytes(words, test::Hex("0101 0000 0000"));
        EXPECT_EQ(w.Body(), test::ToHex(words));
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

TEST(BinarySerializer, EmptyRunsWriteNothingAndBadRunsAreRefused) {
    const LONG elements[] = {1, 2};
    const BYTE data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(Encode(0, [](Out& out) { out.WriteScalarBlock(nullptr, 0, 4); }), "");
    EXPECT_EQ(Encode(0, [](Out& out) { out.WriteByteBlock(0, nullptr); }), "");
    // A byte block's run is its size plus four bytes.
    EXPECT_EQ(Encode(0, [&](Out& out) { out.WriteByteBlock(4, data); }),
              H("10000000 0102030405060708"));

    // Null or oversized runs are refused before any byte; a byte block's
    // run (size + 4) must fit in 32 bits.
    Writer w(0);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteScalarBlock(nullptr, 1, 4); }), E_POINTER);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteScalarBlock(elements, 0x40000000, 4); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(0xFFFFFFFDu, data); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(0xFFFFFFFCu, data); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(4, nullptr); }), E_POINTER);
    EXPECT_EQ(w.Body(), "");
}

}  // namespace
}  // namespace ql
