#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "codec_test_util.h"
#include "proxies/call_arguments.h"
#include "serialization/rnsm_event.h"
#include "support/base/unique_bstr.h"

namespace ql {
namespace {

using test::ReplyReader;
using test::Text;
using test::ThrownBy;
using test::V;
using test::Writer;
using test::Zeroed;

// count zeroed nodes linked one after the other; node i has DwordOurCode i.
std::vector<_RNSM_EVENT> Chain(int count, BSTR fileName) {
    std::vector<_RNSM_EVENT> nodes(count, Zeroed<_RNSM_EVENT>());
    for (int i = 0; i < count; ++i) {
        nodes[i].DwordOurCode = static_cast<ULONG>(i);
        nodes[i].DwordLineNumber = 100u + i;
        nodes[i].BstringFileName = fileName;
        if (i + 1 < count) nodes[i].pNext = &nodes[i + 1];
    }
    return nodes;
}

// The nodes of a chain, head first.
std::vector<const _RNSM_EVENT*> Nodes(const _RNSM_EVENT& head) {
    std::vector<const _RNSM_EVENT*> nodes;
    for (const _RNSM_EVENT* node = &head; node != nullptr; node = node->pNext)
        nodes.push_back(node);
    return nodes;
}

_RNSM_EVENT* AllocatedNode(ULONG code, LPCOLESTR text) {
    auto* node = static_cast<_RNSM_EVENT*>(CoTaskMemAlloc(sizeof(_RNSM_EVENT)));
    *node = Zeroed<_RNSM_EVENT>();
    node->DwordOurCode = code;
    node->BstringFileName = SysAllocString(text);
    node->NumParamStrings = 1;
    node->aParamStrings[0] = SysAllocString(text);
    return node;
}

TEST(EventChain, NodeLayout) {
    CUniqueBstr file(SysAllocString(OLESTR("A")));
    CUniqueBstr param(SysAllocString(OLESTR("B")));
    auto node = Zeroed<_RNSM_EVENT>();
    node.DwordOurCode = 1;
    node.DwordSystemCode = 2;
    node.LogDestination = 3;
    node.BstringFileName = file.Get();
    node.DwordLineNumber = 4;
    node.MessageStatus = 5;
    node.NumParamStrings = 2;
    node.aParamStrings[0] = param.Get();
    Writer w(0);
    wire::Event::Write(w.out, node);
    test::Wire expected(0);
    expected.Tag(129).ULong(1).ULong(2).ULong(3).Bstr(u"A").ULong(4).ULong(5).UShort(2);
    expected.Bstr(u"B").NullBstr().Present(false);
    EXPECT_EQ(w.Body(), test::ToHex(expected.bytes));
}

TEST(EventChain, ThirtyTwoNodesRoundTrip) {
    CUniqueBstr file(SysAllocString(OLESTR("file.cpp")));
    std::vector<_RNSM_EVENT> nodes = Chain(32, file.Get());
    nodes[31].NumParamStrings = 9;
    for (USHORT i = 0; i < 9; ++i) nodes[31].aParamStrings[i] = file.Get();
    Writer w(0);
    wire::Event::Write(w.out, nodes[0]);
    ReplyReader reply(test::Reply(0, w.Payload()));
    auto head = Zeroed<_RNSM_EVENT>();
    wire::Event::Read(reply.in, head);

    const std::vector<const _RNSM_EVENT*> read = Nodes(head);
    ASSERT_EQ(read.size(), 32u);
    for (ULONG i = 0; i < 32; ++i) {
        EXPECT_EQ(V(read[i]->DwordOurCode), i);
        EXPECT_EQ(V(read[i]->DwordLineNumber), 100u + i);
        EXPECT_EQ(Text(read[i]->BstringFileName), "file.cpp");
    }
    ASSERT_EQ(V(read.back()->NumParamStrings), 9);
    for (USHORT i = 0; i < 9; ++i) EXPECT_EQ(Text(read.back()->aParamStrings[i]), "file.cpp");
    wire::Event::Release(head, &reply.memMgr);
    EXPECT_EQ(V(head.pNext), nullptr);
    EXPECT_EQ(V(head.BstringFileName), nullptr);
    EXPECT_EQ(reply.memMgr.allocations, 31);
    EXPECT_EQ(reply.memMgr.frees, 31);
}

TEST(EventChain, ThirtyThirdNodeIsRefused) {
    std::vector<_RNSM_EVENT> nodes = Chain(33, nullptr);
    Writer all(255);
    EXPECT_EQ(ThrownBy([&] { wire::Event::Write(all.out, nodes[0]); }), E_INVALIDARG);

    // What was written before the refusal: 32 nodes, the last announcing a
    // next one. The reader allocates the 33rd node, leaves it linked and
    // zeroed, and refuses it; releasing the chain frees it too.
    ReplyReader reply(test::Reply(255, all.Payload()));
    auto head = Zeroed<_RNSM_EVENT>();
    EXPECT_EQ(ThrownBy([&] { wire::Event::Read(reply.in, head); }), E_INVALIDARG);
    const std::vector<const _RNSM_EVENT*> read = Nodes(head);
    ASSERT_EQ(read.size(), 33u);
    auto zero = Zeroed<_RNSM_EVENT>();
    EXPECT_EQ(std::memcmp(read.back(), &zero, sizeof zero), 0);
    wire::Event::Release(head, &reply.memMgr);
    EXPECT_EQ(reply.memMgr.frees, 32);
}

TEST(EventChain, TenParameterStringsAreRefused) {
    // The writer refuses such a node before any of its bytes.
    auto node = Zeroed<_RNSM_EVENT>();
    node.NumParamStrings = 10;
    Writer w(255);
    EXPECT_EQ(ThrownBy([&] { wire::Event::Write(w.out, node); }), E_INVALIDARG);
    EXPECT_EQ(w.Body(), "");

    // The reader stops right after the count, before any string.
    std::string payload = "01000000 02000000 03000000 00000000 04000000 05000000 0A00";
    for (int i = 0; i < 11; ++i) payload += " 00000000";
    ReplyReader reply(255, payload);
    auto head = Zeroed<_RNSM_EVENT>();
    EXPECT_EQ(ThrownBy([&] { wire::Event::Read(reply.in, head); }), E_INVALIDARG);
    BYTE strings[11 * 4];
    reply.in.ReadRaw(strings, sizeof strings);
    EXPECT_TRUE(test::AtEnd(reply.in));
    wire::Event::Release(head, &reply.memMgr);
}

TEST(EventChain, ReadingReplacesTheCallersChain) {
    // A two-node reply with strings, then an absent one.
    CUniqueBstr file(SysAllocString(OLESTR("reply")));
    std::vector<_RNSM_EVENT> two = Chain(2, file.Get());
    two[0].DwordOurCode = 8;
    two[1].DwordOurCode = 9;
    Writer w(255);
    w.out.WritePresentFlag(true);
    wire::Event::Write(w.out, two[0]);
    w.out.WritePresentFlag(false);
    ReplyReader reply(test::Reply(255, w.Payload()));

    // The last reply is absent: the head stays the caller's, empty.
    const std::vector<std::string> expected[] = {{"8reply", "9reply"}, {"0-"}};
    for (const auto& chain : expected) {
        SCOPED_TRACE(chain[0]);
        // The caller's head with two allocated nodes behind it; all of their
        // strings and both nodes are freed by the read (LeakSanitizer watches).
        auto head = Zeroed<_RNSM_EVENT>();
        head.BstringFileName = SysAllocString(OLESTR("head"));
        head.pNext = AllocatedNode(2, OLESTR("second"));
        head.pNext->pNext = AllocatedNode(3, OLESTR("third"));

        auto event = call::Event(&head);
        event.Prepare(&reply.memMgr);
        event.Read(reply.in);
        event.Finish();
        std::vector<std::string> read;
        for (const _RNSM_EVENT* node : Nodes(head)) {
            BSTR name = V(node->BstringFileName);
            read.push_back(std::to_string(V(node->DwordOurCode)) + (name ? Text(name) : "-"));
        }
        EXPECT_EQ(read, chain);
        // Nodes the reply added belong to the caller.
        wire::Event::Release(head, &reply.memMgr);
    }
}

}  // namespace
}  // namespace ql
