#include "serialization/binary_serializer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

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

TEST(BinarySerializer, WritesOnlyAfterHeaderAndStream) {
    EXPECT_EQ(Writer(255).All(), H("0C000000 01000600 FF000000"));
    // The header is fixed once; a stream is still needed.
    CBinarySerializer out;
    CReadWriteBinaryStream stream;
    EXPECT_TRUE(out.SetHeader(0, 0x00050000));
    EXPECT_FALSE(out.SetHeader(255, 0x00060001));
    EXPECT_EQ(ThrownBy([&] { out.WriteLong(5); }), hr::kNotReady);
    out.Attach(&stream);
    out.WriteLong(5);
    EXPECT_EQ(test::ToHex(Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetLength())),
              H("0C000000 00000500 00000000 13000000 05000000"));
    // A null stream is refused and leaves the serializer unattached.
    EXPECT_EQ(ThrownBy([&] { out.Attach(nullptr); }), E_POINTER);
    EXPECT_EQ(ThrownBy([&] { out.WriteLong(1); }), hr::kNotReady);
    EXPECT_EQ(stream.GetLength(), 20u);
}

// A tag travels, and is checked, when its number reaches the threshold
// (signed).
TEST(BinarySerializer, TagsTravelFromTheThresholdUp) {
    const std::pair<LONG, const char*> longs[] = {
        {255, "05000000"}, {20, "05000000"}, {19, "13000000 05000000"}, {0, "13000000 05000000"}};
    for (const auto& c : longs) {
        SCOPED_TRACE(c.first);
        EXPECT_EQ(Encode(c.first, [](Out& out) { out.WriteLong(5); }), H(c.second));
        ReplyReader reply(c.first, c.second);
        EXPECT_EQ(reply.in.ReadLong(), 5);
        EXPECT_TRUE(test::AtEnd(reply.in));
    }
    ReplyReader mismatch(0, "11000000 05000000");
    EXPECT_EQ(ThrownBy([&] { mismatch.in.ReadLong(); }), hr::kDatatypeMismatch);
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

// Every type that travels: the tag and four words, then the value with its
// tag. Other types stop after the four words on both sides; the reader's
// target then holds only them. Whatever the target held before is released
// (LeakSanitizer watches).
TEST(BinarySerializer, VariantsTravelAsFourWordsAndTheirValue) {
    CUniqueBstr a(SysAllocString(OLESTR("A")));
    const struct {
        VARTYPE vt;
        LONGLONG bits;
        const char* value;  // with threshold 0; null: unsupported
    } cases[] = {
        {VT_EMPTY, 0, ""},
        {VT_NULL, 0, ""},
        {VT_I2, 0xFFFE, "14000000 FEFF"},
        {VT_BOOL, 0xFFFF, "14000000 FFFF"},
        {VT_ERROR, 0x80004005, "13000000 05400080"},
        {VT_DATE, 0x3FF8000000000000, "19000000 000000000000F83F"},  // 1.5
        {VT_I1, 0x80, "1A000000 80"},
        {VT_UI1, 0xAB, "16000000 AB"},
        {VT_UI2, 0xFEDC, "12000000 DCFE"},
        {VT_UI4, 0x89ABCDEF, "11000000 EFCDAB89"},
        {VT_I8, -2, "15000000 FEFFFFFF FFFFFFFF"},
        {VT_UI8, 0x0102030405060708, "18000000 08070605 04030201"},
        {VT_INT, 0xFFFFFFFD, "17000000 FDFFFFFF"},
        {VT_UINT, 0xFFFFFFFF, "1C000000 FFFFFFFF"},
        {VT_BSTR, 0, "40000000 11000000 00000000"},
        {VT_BSTR, 1, "40000000 11000000 04000000 10000000 41000000"},  // "A"
        {VT_R8, 0x3FF8000000000000, nullptr},
        {VT_CY, -1, nullptr},
        {VT_UNKNOWN, -1, nullptr},
        {VT_DECIMAL, -1, nullptr},
        {VT_ARRAY | VT_I4, -1, nullptr},
        {VT_BYREF | VT_I4, -1, nullptr},
    };
    for (const auto& c : cases) {
        VARIANT v = MakeVariant(c.vt, c.vt == VT_BSTR ? 0 : c.bits);
        if (c.vt == VT_BSTR && c.bits != 0) v.bstrVal = a.Get();
        const HRESULT result = c.value != nullptr ? S_OK : hr::kUnsupportedType;
        for (LONG threshold : {0, 255}) {
            SCOPED_TRACE(testing::Message() << c.vt << " " << threshold);
            Writer w(threshold);
            EXPECT_EQ(ThrownBy([&] { w.out.WriteVariant(v); }), result);
            if (threshold == 0) {
                EXPECT_EQ(w.Body(), H("41000000 12000000 " + test::ToHex(test::Le(c.vt, 2)) +
                                      " 12000000 0100 12000000 0200 12000000 0300 " +
                                      (c.value != nullptr ? c.value : "")));
            }
            ReplyReader reply(Reply(threshold, w.Payload()));
            VARIANT target = MakeVariant(VT_BSTR);
            target.bstrVal = SysAllocString(OLESTR("previous"));
            EXPECT_EQ(ThrownBy([&] { reply.in.ReadVariant(target); }), result);
            EXPECT_TRUE(test::AtEnd(reply.in));
            if (c.value != nullptr) {
                EXPECT_EQ(Encode(threshold, [&](Out& out) { out.WriteVariant(target); }), w.Body());
                VariantClear(&target);
            } else {
                const VARIANT words = MakeVariant(c.vt);
                EXPECT_EQ(std::memcmp(&target, &words, sizeof target), 0);
            }
        }
    }
}

TEST(BinarySerializer, StreamFailuresSurface) {
    FaultyWriteStream stream;
    CBinarySerializer out;
    out.SetHeader(255, wire::kProtocolVersion);
    // The header goes through the same checks as every value.
    stream.failure = E_OUTOFMEMORY;
    EXPECT_EQ(ThrownBy([&] { out.Attach(&stream); }), E_OUTOFMEMORY);
    stream.failure = S_OK;
    out.Attach(&stream);
    stream.shortBy = 1;
    EXPECT_EQ(ThrownBy([&] { out.WriteLong(1); }), hr::kWriteFault);
}

// A byte block's run is its size plus four bytes, which must fit in 32 bits;
// empty runs travel as nothing. Bad runs are refused before any byte is
// written or anything is allocated.
TEST(BinarySerializer, ByteRuns) {
    const BYTE data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    Writer w(0);
    w.out.WriteScalarBlock(nullptr, 0, 4);
    w.out.WriteByteBlock(0, nullptr);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteScalarBlock(nullptr, 1, 4); }), E_POINTER);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteScalarBlock(data, 0x40000000, 4); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(0xFFFFFFFDu, data); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(0xFFFFFFFCu, data); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { w.out.WriteByteBlock(4, nullptr); }), E_POINTER);
    EXPECT_EQ(w.Body(), "");

    ReplyReader reply(Reply(0, Bytes(8)));
    BYTE* read = reinterpret_cast<BYTE*>(&reply);
    EXPECT_EQ(ThrownBy([&] { reply.in.ReadByteBlock(0xFFFFFFFCu, read); }), E_INVALIDARG);
    EXPECT_EQ(read, nullptr);
    EXPECT_EQ(reply.memMgr.allocations, 0);
}

}  // namespace
}  // namespace ql
