#include "serialization/binary_serializer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bytes.h"
#include "serialization/read_write_binary_stream.h"
#include "support/hresults.h"
#include "support/unique_bstr.h"

namespace ql {
namespace {

using test::Bytes;

// Normalised hex text, so expectations can be spaced for reading.
std::string H(const char* text) { return test::ToHex(test::Hex(text)); }

template <class F>
HRESULT ThrownBy(F&& action) {
    try {
        action();
    } catch (const ATL::CAtlException& e) {
        return e.Result();
    }
    return S_OK;
}

// A serializer prepared the way the transport prepares it.
struct Writer {
    explicit Writer(LONG threshold, ULONG version = wire::kProtocolVersion) {
        out.SetHeader(threshold, version);
        out.Attach(&stream);
    }
    std::string All() const {
        return test::ToHex(Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetLength()));
    }
    // Everything after the stream header.
    std::string Body() const {
        return test::ToHex(
            Bytes(stream.GetBuffer() + wire::kHeaderSize, stream.GetBuffer() + stream.GetLength()));
    }
    CReadWriteBinaryStream stream;
    CBinarySerializer out;
};

template <class F>
std::string Encode(LONG threshold, F&& write) {
    Writer w(threshold);
    write(w.out);
    return w.Body();
}

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

const GUID kGuid = {0x7DAEE74C, 0xCC99, 0x4443, {0xAE, 0xE2, 0xBE, 0xE1, 0xCF, 0xAB, 0x10, 0x3D}};

VARIANT MakeVariant(VARTYPE vt) {
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    v.vt = vt;
    return v;
}

TEST(BinarySerializer, AttachWritesStreamHeader) {
    Writer request(255);
    EXPECT_EQ(request.All(), H("0C000000 01000600 FF000000"));
    Writer tagged(0, 0x00050000);
    EXPECT_EQ(tagged.All(), H("0C000000 00000500 00000000"));

    // A null stream is refused and leaves the serializer unattached.
    EXPECT_EQ(ThrownBy([&] { request.out.Attach(nullptr); }), E_POINTER);
    EXPECT_EQ(ThrownBy([&] { request.out.WriteLong(1); }), hr::kNotReady);
    EXPECT_EQ(request.stream.GetLength(), 12u);
}

TEST(BinarySerializer, RefusesToWriteBeforeHeaderAndStream) {
    EXPECT_EQ(static_cast<ULONG>(hr::kNotReady), 0x80070015u);
    CBinarySerializer unprepared;
    EXPECT_EQ(ThrownBy([&] { unprepared.WriteLong(5); }), hr::kNotReady);
    EXPECT_EQ(ThrownBy([&] { unprepared.WriteRaw("x", 1); }), hr::kNotReady);
    EXPECT_EQ(ThrownBy([&] { unprepared.WriteBstr(nullptr); }), hr::kNotReady);

    // Attaching before the header is fixed writes nothing.
    CReadWriteBinaryStream stream;
    EXPECT_EQ(ThrownBy([&] { unprepared.Attach(&stream); }), hr::kNotReady);
    EXPECT_EQ(stream.GetLength(), 0u);

    CBinarySerializer headerOnly;
    ASSERT_TRUE(headerOnly.SetHeader(255, wire::kProtocolVersion));
    EXPECT_EQ(ThrownBy([&] { headerOnly.WriteLong(5); }), hr::kNotReady);

    Writer detached(255);
    detached.out.Detach();
    EXPECT_EQ(ThrownBy([&] { detached.out.WriteLong(5); }), hr::kNotReady);
    EXPECT_EQ(detached.stream.GetLength(), 12u);
}

TEST(BinarySerializer, SetHeaderTakesEffectOnce) {
    CBinarySerializer out;
    EXPECT_TRUE(out.SetHeader(0, 0x00050000));
    EXPECT_FALSE(out.SetHeader(255, 0x00060001));
    EXPECT_EQ(out.Threshold(), 0);
    EXPECT_EQ(out.Version(), 0x00050000u);
    CReadWriteBinaryStream stream;
    out.Attach(&stream);
    out.WriteLong(5);
    EXPECT_EQ(test::ToHex(Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetLength())),
              H("0C000000 00000500 00000000 13000000 05000000"));
}

TEST(BinarySerializer, TagsAreWrittenFromTheThresholdUp) {
    auto scalars = [](CBinarySerializer& out) {
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
                     [](CBinarySerializer& out) {
                         out.WriteTag(wire::kTagEvent);
                         out.WriteTag(128);
                         out.WriteTag(127);
                         out.WriteLong(5);
                     }),
              H("81000000 80000000 05000000"));
    EXPECT_EQ(Encode(20, [](CBinarySerializer& out) { out.WriteLong(5); }), H("05000000"));
    EXPECT_EQ(Encode(19, [](CBinarySerializer& out) { out.WriteLong(5); }), H("13000000 05000000"));
}

TEST(BinarySerializer, Strings) {
    CUniqueBstr empty(SysAllocString(OLESTR("")));
    CUniqueBstr a(SysAllocString(OLESTR("A")));
    // The count follows the string's length, not its first zero.
    CUniqueBstr embedded(SysAllocStringLen(OLESTR("a\0b"), 3));

    EXPECT_EQ(Encode(255, [](CBinarySerializer& out) { out.WriteBstr(nullptr); }), H("00000000"));
    EXPECT_EQ(Encode(255, [&](CBinarySerializer& out) { out.WriteBstr(empty.Get()); }),
              H("02000000 0000"));
    EXPECT_EQ(Encode(255, [&](CBinarySerializer& out) { out.WriteBstr(a.Get()); }),
              H("04000000 41000000"));
    EXPECT_EQ(Encode(255, [&](CBinarySerializer& out) { out.WriteBstr(embedded.Get()); }),
              H("08000000 6100 0000 6200 0000"));
    EXPECT_EQ(Encode(0, [&](CBinarySerializer& out) { out.WriteBstr(a.Get()); }),
              H("40000000 11000000 04000000 10000000 41000000"));
    EXPECT_EQ(Encode(0, [](CBinarySerializer& out) { out.WriteBstr(nullptr); }),
              H("40000000 11000000 00000000"));

    // Plain wide strings travel exactly like a BSTR holding them.
    EXPECT_EQ(Encode(0, [](CBinarySerializer& out) { out.WriteWideString(OLESTR("A")); }),
              H("40000000 11000000 04000000 10000000 41000000"));
    EXPECT_EQ(Encode(255, [](CBinarySerializer& out) { out.WriteWideString(OLESTR("")); }),
              H("02000000 0000"));
    EXPECT_EQ(Encode(255, [](CBinarySerializer& out) { out.WriteWideString(nullptr); }),
              H("00000000"));
}

TEST(BinarySerializer, FixedSizeRecordsAreTheirMemoryBytes) {
    const SYSTEMTIME time = {2024, 5, 3, 17, 13, 45, 30, 999};
    const FILETIME file = {0x11223344, 0x55667788};
    auto records = [&](CBinarySerializer& out) {
        out.WriteGuid(kGuid);
        out.WriteSystemTime(time);
        out.WriteFileTime(file);
    };
    const char* guidBytes = "4CE7AE7D 99CC 4344 AEE2BEE1CFAB103D";
    const char* timeBytes = "E807 0500 0300 1100 0D00 2D00 1E00 E703";
    const char* fileBytes = "44332211 88776655";
    EXPECT_EQ(Encode(255, records), H((std::string(guidBytes) + timeBytes + fileBytes).c_str()));
    EXPECT_EQ(Encode(0, records), H((std::string("60000000") + guidBytes + "61000000" + timeBytes +
                                     "62000000" + fileBytes)
                                        .c_str()));
}

TEST(BinarySerializer, VariantsTravelAsFourWordsAndTheirValue) {
    VARIANT i4 = MakeVariant(VT_I4);
    i4.wReserved1 = 1;
    i4.wReserved2 = 2;
    i4.wReserved3 = 3;
    i4.lVal = 7;
    EXPECT_EQ(Encode(255, [&](CBinarySerializer& out) { out.WriteVariant(i4); }),
              H("0300 0100 0200 0300 07000000"));
    EXPECT_EQ(Encode(0, [&](CBinarySerializer& out) { out.WriteVariant(i4); }),
              H("41000000 12000000 0300 12000000 0100 12000000 0200 12000000 0300 "
                "13000000 07000000"));

    CUniqueBstr a(SysAllocString(OLESTR("A")));
    VARIANT text = MakeVariant(VT_BSTR);
    text.bstrVal = a.Get();
    EXPECT_EQ(Encode(255, [&](CBinarySerializer& out) { out.WriteVariant(text); }),
              H("0800 0000 0000 0000 04000000 41000000"));
    text.bstrVal = nullptr;
    EXPECT_EQ(Encode(255, [&](CBinarySerializer& out) { out.WriteVariant(text); }),
              H("0800 0000 0000 0000 00000000"));

    // A date travels as a double.
    VARIANT date = MakeVariant(VT_DATE);
    date.date = 1.5;
    EXPECT_EQ(Encode(255, [&](CBinarySerializer& out) { out.WriteVariant(date); }),
              H("0700 0000 0000 0000 000000000000F83F"));
}

TEST(BinarySerializer, VariantValueTags) {
    struct Case {
        VARTYPE vt;
        void (*set)(VARIANT&);
        const char* value;  // tag and value bytes with threshold 0
    };
    const Case cases[] = {
        {VT_EMPTY, [](VARIANT&) {}, ""},
        {VT_NULL, [](VARIANT&) {}, ""},
        {VT_I2, [](VARIANT& v) { v.iVal = -2; }, "14000000 FEFF"},
        {VT_BOOL, [](VARIANT& v) { v.boolVal = -1; }, "14000000 FFFF"},
        {VT_I4, [](VARIANT& v) { v.lVal = -3; }, "13000000 FDFFFFFF"},
        {VT_ERROR, [](VARIANT& v) { v.scode = static_cast<SCODE>(0x80004005u); },
         "13000000 05400080"},
        {VT_DATE, [](VARIANT& v) { v.date = 1.5; }, "19000000 000000000000F83F"},
        {VT_I1, [](VARIANT& v) { v.cVal = 'A'; }, "1A000000 41"},
        {VT_UI1, [](VARIANT& v) { v.bVal = 0xAB; }, "16000000 AB"},
        {VT_UI2, [](VARIANT& v) { v.uiVal = 0x1234; }, "12000000 3412"},
        {VT_UI4, [](VARIANT& v) { v.ulVal = 0x89ABCDEF; }, "11000000 EFCDAB89"},
        {VT_I8, [](VARIANT& v) { v.llVal = -2; }, "15000000 FEFFFFFF FFFFFFFF"},
        {VT_UI8, [](VARIANT& v) { v.ullVal = 0x0102030405060708ull; },
         "18000000 08070605 04030201"},
        {VT_INT, [](VARIANT& v) { v.intVal = -3; }, "17000000 FDFFFFFF"},
        {VT_UINT, [](VARIANT& v) { v.uintVal = 9; }, "1C000000 09000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vt);
        VARIANT v = MakeVariant(c.vt);
        c.set(v);
        Bytes expected = test::Hex("41000000 12000000");
        test::AppendLe16(expected, c.vt);
        test::AppendBytes(expected, test::Hex("12000000 0000 12000000 0000 12000000 0000"));
        test::AppendBytes(expected, test::Hex(c.value));
        EXPECT_EQ(Encode(0, [&](CBinarySerializer& out) { out.WriteVariant(v); }),
                  test::ToHex(expected));
    }
}

TEST(BinarySerializer, UnsupportedVariantTypesStopAfterTheFourWords) {
    EXPECT_EQ(static_cast<ULONG>(hr::kUnsupportedType), 0x8007065Eu);
    const VARTYPE types[] = {VT_R4,      VT_R8,
                             VT_CY,      VT_UNKNOWN,
                             VT_VARIANT, VARTYPE(VT_ARRAY | VT_I4),
                             VT_DECIMAL, VARTYPE(VT_BYREF | VT_I4)};
    for (VARTYPE vt : types) {
        SCOPED_TRACE(vt);
        Writer w(255);
        VARIANT v = MakeVariant(vt);
        v.wReserved1 = 0x0101;
        EXPECT_EQ(ThrownBy([&] { w.out.WriteVariant(v); }), hr::kUnsupportedType);
        Bytes words;
        test::AppendLe16(words, vt);
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
    EXPECT_EQ(static_cast<ULONG>(hr::kWriteFault), 0x8007001Du);

    // The header goes through the same checks.
    FaultyWriteStream refusing;
    refusing.failure = E_OUTOFMEMORY;
    CBinarySerializer other;
    other.SetHeader(255, wire::kProtocolVersion);
    EXPECT_EQ(ThrownBy([&] { other.Attach(&refusing); }), E_OUTOFMEMORY);
}

TEST(BinarySerializer, PointerAndArrayHeads) {
    EXPECT_EQ(Encode(0, [](CBinarySerializer& out) { out.WritePresentFlag(true); }),
              H("00000000 11000000 01000000"));
    EXPECT_EQ(Encode(255, [](CBinarySerializer& out) { out.WritePresentFlag(false); }),
              H("00000000"));
    EXPECT_EQ(Encode(0, [](CBinarySerializer& out) { out.WriteArrayHead(3, 2); }),
              H("01000000 11000000 03000000 11000000 02000000"));

    const LONG elements[] = {1, 2};
    EXPECT_EQ(Encode(0, [&](CBinarySerializer& out) { out.WriteScalarBlock(elements, 2, 4); }),
              H("10000000 01000000 02000000"));
    EXPECT_EQ(Encode(0, [](CBinarySerializer& out) { out.WriteScalarBlock(nullptr, 0, 4); }),
              H(""));
    Writer w(0);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteScalarBlock(nullptr, 1, 4); }), E_POINTER);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteScalarBlock(elements, 0x40000000, 4); }), E_INVALIDARG);
    EXPECT_EQ(w.Body(), H(""));
}

TEST(BinarySerializer, ByteBlocks) {
    const BYTE data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(Encode(0, [](CBinarySerializer& out) { out.WriteByteBlock(0, nullptr); }), H(""));
    EXPECT_EQ(Encode(0, [&](CBinarySerializer& out) { out.WriteByteBlock(4, data); }),
              H("10000000 0102030405060708"));
    EXPECT_EQ(Encode(255, [&](CBinarySerializer& out) { out.WriteByteBlock(4, data); }),
              H("0102030405060708"));

    // Sizes whose run would not fit in 32 bits are refused before any byte.
    Writer w(0);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(0xFFFFFFFDu, data); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(0xFFFFFFFCu, data); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(4, nullptr); }), E_POINTER);
    EXPECT_EQ(w.Body(), H(""));
}

}  // namespace
}  // namespace ql
