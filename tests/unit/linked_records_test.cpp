#include "serialization/linked_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "codec_test_util.h"

namespace ql {
namespace {

using test::ReplyReader;

struct TestNode {
    LONG value;
    BSTR name;
    TestNode* next;
};

// Whether each node after the head reached ReadNode zeroed.
std::vector<bool> g_arrivedZeroed;

struct TestNodeCodec {
    using type = TestNode;
    static type* GetNext(const type& node) { return node.next; }
    static void SetNext(type& node, type* next) { node.next = next; }
    static void WriteNode(CBinarySerializer& out, const type& node) {
        out.WriteLong(node.value);
        out.WriteBstr(node.name);
    }
    static void ReadNode(CBinaryDeserializer& in, type& node) {
        auto zero = test::Zeroed<type>();
        g_arrivedZeroed.push_back(std::memcmp(&node, &zero, sizeof node) == 0);
        node = zero;
        node.value = in.ReadLong();
        in.ReadBstr(node.name);
    }
    static void ReleaseNode(type& node, ATL::IAtlMemMgr*) noexcept {
        SysFreeString(node.name);
        node.name = nullptr;
    }
};

using TestList = wire::LinkedList<TestNodeCodec>;

TEST(LinkedRecords, ReaderLinksZeroedNodesFromTheMemoryManager) {
    ReplyReader reply(255,
                      "01000000 04000000 41000000 01000000 02000000 00000000 01000000 "
                      "03000000 04000000 43000000 00000000");
    g_arrivedZeroed.clear();
    TestNode head = {99, nullptr, nullptr};
    TestList::Read(reply.in, head);
    EXPECT_EQ(reply.memMgr.allocations, 2);
    EXPECT_EQ(g_arrivedZeroed, (std::vector<bool>{false, true, true}));

    std::vector<std::string> read;
    for (const TestNode* node = &head; node != nullptr; node = node->next)
        read.push_back(std::to_string(node->value) + (node->name ? test::Text(node->name) : "-"));
    EXPECT_EQ(read, (std::vector<std::string>{"1A", "2-", "3C"}));

    // Release frees every node after the head and what each node owns; the
    // head keeps its own value.
    TestList::Release(head, &reply.memMgr);
    EXPECT_EQ(reply.memMgr.frees, 2);
    EXPECT_EQ(head.next, nullptr);
    EXPECT_EQ(head.name, nullptr);
    EXPECT_EQ(head.value, 1);
}

TEST(LinkedRecords, FailedReadLeavesAReleasableChain) {
    // The second node is cut short: it stays linked and is freed with the rest.
    ReplyReader reply(255, "01000000 04000000 41000000 01000000 02000000 06000000 4200");
    TestNode head = {};
    EXPECT_THROW(TestList::Read(reply.in, head), ATL::CAtlException);
    ASSERT_NE(head.next, nullptr);
    EXPECT_EQ(head.next->value, 2);
    TestList::Release(head, &reply.memMgr);
    EXPECT_EQ(reply.memMgr.frees, reply.memMgr.allocations);
}

}  // namespace
}  // namespace ql
