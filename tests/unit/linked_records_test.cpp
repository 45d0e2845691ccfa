#include "serialization/linked_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bytes.h"
#include "scripted_transport.h"
#include "serialization/read_write_binary_stream.h"
#include "support/unique_bstr.h"
#include "support/wide_string.h"

namespace ql {
namespace {

using test::Bytes;

std::string H(const char* text) { return test::ToHex(test::Hex(text)); }

std::string Text(BSTR value) { return ToUtf8(WStringView(value, SysStringLen(value))); }

struct TestNode {
    LONG value;
    BSTR name;
    TestNode* next;
};

// Whether each node after the head reached ReadNode zeroed.
std::vector<bool> g_arrivedZeroed;

struct TestNodeCodec {
    using type = TestNode;
    static type*& Next(type& node) { return node.next; }
    static void WriteNode(CBinarySerializer& out, const type& node) {
        out.WriteLong(node.value);
        out.WriteBstr(node.name);
    }
    static void ReadNode(CBinaryDeserializer& in, type& node) {
        const auto* bytes = reinterpret_cast<const BYTE*>(&node);
        bool zeroed = true;
        for (std::size_t i = 0; i < sizeof node; ++i) zeroed = zeroed && bytes[i] == 0;
        g_arrivedZeroed.push_back(zeroed);
        std::memset(static_cast<void*>(&node), 0, sizeof node);
        node.value = in.ReadLong();
        in.ReadBstr(node.name);
    }
    static void ReleaseNode(type& node, ATL::IAtlMemMgr*) noexcept {
        SysFreeString(node.name);
        node.name = nullptr;
    }
};

using TestList = wire::LinkedList<TestNodeCodec>;

// The COM task allocator with counts; fresh blocks are filled with 0xCD.
class CountingMemMgr final : public ATL::IAtlMemMgr {
public:
    void* Allocate(std::size_t bytes) override {
        ++allocations;
        void* block = CoTaskMemAlloc(bytes);
        std::memset(block, 0xCD, bytes);
        return block;
    }
    void Free(void* block) override {
        if (block != nullptr) ++frees;
        CoTaskMemFree(block);
    }
    void* Reallocate(void* block, std::size_t bytes) override {
        return CoTaskMemRealloc(block, bytes);
    }
    int allocations = 0;
    int frees = 0;
};

TEST(LinkedRecords, EachNodeIsFollowedByItsNextFlag) {
    CUniqueBstr a(SysAllocString(OLESTR("A")));
    TestNode second = {-1, nullptr, nullptr};
    TestNode first = {5, a.Get(), &second};

    CReadWriteBinaryStream stream;
    CBinarySerializer out;
    out.SetHeader(0, wire::kProtocolVersion);
    out.Attach(&stream);
    TestList::Write(out, first);
    EXPECT_EQ(test::ToHex(Bytes(stream.GetBuffer() + wire::kHeaderSize,
                                stream.GetBuffer() + stream.GetLength())),
              H("13000000 05000000 40000000 11000000 04000000 10000000 41000000 "
                "00000000 11000000 01000000 "
                "13000000 FFFFFFFF 40000000 11000000 00000000 "
                "00000000 11000000 00000000"));
}

TEST(LinkedRecords, ReaderLinksZeroedNodesFromTheMemoryManager) {
    Bytes reply = test::StreamHeader();
    test::AppendBytes(reply, test::Hex("01000000 04000000 41000000 01000000 "
                                       "02000000 00000000 01000000 "
                                       "03000000 04000000 43000000 00000000"));
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    test::AttachReply(in, reply);

    g_arrivedZeroed.clear();
    TestNode head = {99, nullptr, nullptr};
    TestList::Read(in, head);
    EXPECT_EQ(memMgr.allocations, 2);
    ASSERT_EQ(g_arrivedZeroed.size(), 3u);
    EXPECT_TRUE(g_arrivedZeroed[1]);
    EXPECT_TRUE(g_arrivedZeroed[2]);

    EXPECT_EQ(head.value, 1);
    EXPECT_EQ(Text(head.name), "A");
    ASSERT_NE(head.next, nullptr);
    EXPECT_EQ(head.next->value, 2);
    EXPECT_EQ(head.next->name, nullptr);
    ASSERT_NE(head.next->next, nullptr);
    EXPECT_EQ(head.next->next->value, 3);
    EXPECT_EQ(Text(head.next->next->name), "C");
    EXPECT_EQ(head.next->next->next, nullptr);

    // Release frees every node after the head and what each node owns; the
    // head keeps its own value.
    TestList::Release(head, &memMgr);
    EXPECT_EQ(memMgr.frees, 2);
    EXPECT_EQ(head.next, nullptr);
    EXPECT_EQ(head.name, nullptr);
    EXPECT_EQ(head.value, 1);
}

TEST(LinkedRecords, FailedReadLeavesAReleasableChain) {
    // The second node is cut short: it stays linked and is freed with the rest.
    Bytes reply = test::StreamHeader();
    test::AppendBytes(reply, test::Hex("01000000 04000000 41000000 01000000 "
                                       "02000000 06000000 4200"));
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    test::AttachReply(in, reply);
    TestNode head = {};
    EXPECT_THROW(TestList::Read(in, head), ATL::CAtlException);
    ASSERT_NE(head.next, nullptr);
    EXPECT_EQ(head.next->value, 2);
    TestList::Release(head, &memMgr);
    EXPECT_EQ(memMgr.frees, memMgr.allocations);
}

}  // namespace
}  // namespace ql
