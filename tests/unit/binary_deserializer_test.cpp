#include "serialization/binary_deserializer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "codec_test_util.h"
#include "support/base/hresults.h"

namespace ql {
namespace {

using test::Bytes;
using test::Reply;
using test::ReplyReader;
using test::Text;
using test::ThrownBy;

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

TEST(BinaryDeserializer, Strings) {
    ReplyReader reply(255, "00000000 02000000 0000 0A000000 6100 0000 6200 6300 0000");
    // The previous string is freed (LeakSanitizer watches).
    BSTR target = SysAllocString(OLESTR("old"));
    reply.in.ReadBstr(target);
    EXPECT_EQ(target, nullptr);
    reply.in.ReadBstr(target);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(SysStringLen(target), 0u);
    reply.in.ReadBstr(target);
    EXPECT_EQ(SysStringLen(target), 4u);
    EXPECT_EQ(Text(target), std::string("a\0bc", 4));
    SysFreeString(target);
}

TEST(BinaryDeserializer, UnsupportedVariantLeavesOnlyTheFourWords) {
    ReplyReader reply(255, "0500 0100 0200 0300 000000000000F83F");
    VARIANT target = test::Zeroed<VARIANT>();
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(OLESTR("previous"));
    EXPECT_EQ(ThrownBy([&] { reply.in.ReadVariant(target); }), hr::kUnsupportedType);
    EXPECT_EQ(target.vt, VT_R8);
    EXPECT_EQ(target.wReserved1, 1);
    EXPECT_EQ(target.wReserved2, 2);
    EXPECT_EQ(target.wReserved3, 3);
    EXPECT_EQ(target.llVal, 0);
    // Nothing after the four words was consumed.
    LONGLONG rest = 0;
    reply.in.ReadRaw(&rest, sizeof rest);
    EXPECT_EQ(rest, 0x3FF8000000000000ll);

    ReplyReader array(0,
                      "41000000 12000000 0320 12000000 0000 12000000 0000 "
                      "12000000 0000 13000000 07000000");
    EXPECT_EQ(ThrownBy([&] { array.in.ReadVariant(target); }), hr::kUnsupportedType);
    EXPECT_EQ(target.vt, VT_ARRAY | VT_I4);
    EXPECT_EQ(target.llVal, 0);
}

TEST(BinaryDeserializer, ArrayHeads) {
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

TEST(BinaryDeserializer, ByteBlocks) {
    ReplyReader reply(0, "10000000 0102030405060708 13000000 09000000");
    BYTE* data = reinterpret_cast<BYTE*>(&reply);
    EXPECT_EQ(ThrownBy([&] { reply.in.ReadByteBlock(0xFFFFFFFCu, data); }), E_INVALIDARG);
    EXPECT_EQ(data, nullptr);
    reply.in.ReadByteBlock(0, data);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(reply.memMgr.allocations, 0);

    reply.in.ReadByteBlock(4, data);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(reply.memMgr.allocations, 1);
    EXPECT_EQ(reply.memMgr.lastSize, 8u);
    EXPECT_EQ(test::ToHex(Bytes(data, data + 8)), test::H("0102030405060708"));
    reply.memMgr.Free(data);
    // Exactly the run was consumed.
    EXPECT_EQ(reply.in.ReadLong(), 9);
}

}  // namespace
}  // namespace ql
