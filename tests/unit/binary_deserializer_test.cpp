#include "serialization/binary_deserializer.h"

#include <gtest/gtest.h>

#include <utility>

#include "codec_test_util.h"
#include "support/base/hresults.h"

namespace ql {
namespace {

using test::Bytes;
using test::Reply;
using test::ReplyReader;
using test::ThrownBy;

TEST(BinaryDeserializer, AttachChecksTheStreamAndItsHeader) {
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

    // An older version is read with its own threshold.
    ReplyReader older(Reply(0, "13000000 05000000", 0x00050000));
    EXPECT_EQ(older.in.ReadLong(), 5);

    // Nothing is read without a stream: a null one is refused, and Detach
    // drops the one attached.
    CBinaryDeserializer in(SharedMemMgr());
    EXPECT_EQ(ThrownBy([&] { in.Attach(nullptr); }), E_POINTER);
    LONG raw = 0;
    EXPECT_EQ(ThrownBy([&] { in.ReadRaw(&raw, sizeof raw); }), hr::kNotReady);
    test::AttachReply(in, Reply(255, "05000000"));
    in.Detach();
    EXPECT_EQ(ThrownBy([&] { in.ReadLong(); }), hr::kNotReady);
}

TEST(BinaryDeserializer, ArrayHeads) {
    // A length above the capacity is cut to it; counts of 2^31 or more are
    // refused.
    ReplyReader reply(255,
                      "03000000 05000000 FFFFFF7F FFFFFF7F 00000080 00000000 01000000 00000080");
    ULONG capacity = 0, length = 0;
    reply.in.ReadArrayHead(capacity, length);
    EXPECT_EQ(length, 3u);
    reply.in.ReadArrayHead(capacity, length);
    EXPECT_EQ(length, 0x7FFFFFFFu);
    EXPECT_EQ(ThrownBy([&] { reply.in.ReadArrayHead(capacity, length); }), E_INVALIDARG);
    EXPECT_EQ(ThrownBy([&] { reply.in.ReadArrayHead(capacity, length); }), E_INVALIDARG);
}

}  // namespace
}  // namespace ql
