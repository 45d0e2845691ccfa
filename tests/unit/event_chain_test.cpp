#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bytes.h"
#include "proxies/call_arguments.h"
#include "reply_builder.h"
#include "scripted_transport.h"
#include "serialization/marshal_holders.h"
#include "serialization/read_write_binary_stream.h"
#include "serialization/rnsm_event.h"
#include "support/hresults.h"
#include "support/unique_bstr.h"
#include "support/wide_string.h"

namespace ql {
namespace {

using test::Bytes;

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

std::string Text(BSTR value) { return ToUtf8(WStringView(value, SysStringLen(value))); }

struct Writer {
    explicit Writer(LONG threshold) {
        out.SetHeader(threshold, wire::kProtocolVersion);
        out.Attach(&stream);
    }
    Bytes Body() const {
        return Bytes(stream.GetBuffer() + wire::kHeaderSize,
                     stream.GetBuffer() + stream.GetLength());
    }
    CReadWriteBinaryStream stream;
    CBinarySerializer out;
};

Bytes WithHeader(const Bytes& payload) {
    Bytes body = test::StreamHeader();
    test::AppendBytes(body, payload);
    return body;
}

// count zeroed nodes linked one after the other; node i has DwordOurCode i.
std::vector<_RNSM_EVENT> Chain(int count, BSTR fileName) {
    std::vector<_RNSM_EVENT> nodes(count);
    std::memset(static_cast<void*>(nodes.data()), 0, nodes.size() * sizeof(_RNSM_EVENT));
    for (int i = 0; i < count; ++i) {
        nodes[i].DwordOurCode = static_cast<ULONG>(i);
        nodes[i].DwordLineNumber = 100u + i;
        nodes[i].BstringFileName = fileName;
        if (i + 1 < count) nodes[i].pNext = &nodes[i + 1];
    }
    return nodes;
}

int Length(const _RNSM_EVENT& head) {
    int count = 0;
    for (const _RNSM_EVENT* node = &head; node != nullptr; node = node->pNext) ++count;
    return count;
}

_RNSM_EVENT* AllocatedNode(ULONG code, LPCOLESTR text) {
    auto* node = static_cast<_RNSM_EVENT*>(CoTaskMemAlloc(sizeof(_RNSM_EVENT)));
    std::memset(static_cast<void*>(node), 0, sizeof *node);
    node->DwordOurCode = code;
    node->BstringFileName = SysAllocString(text);
    node->NumParamStrings = 1;
    node->aParamStrings[0] = SysAllocString(text);
    return node;
}

TEST(EventChain, NodeLayout) {
    CUniqueBstr file(SysAllocString(OLESTR("A")));
    CUniqueBstr param(SysAllocString(OLESTR("B")));
    _RNSM_EVENT node;
    std::memset(static_cast<void*>(&node), 0, sizeof node);
    node.DwordOurCode = 1;
    node.DwordSystemCode = 2;
    node.LogDestination = 3;
    node.BstringFileName = file.Get();
    node.DwordLineNumber = 4;
    node.MessageStatus = 5;
    node.NumParamStrings = 2;
    node.aParamStrings[0] = param.Get();
    node.aParamStrings[1] = nullptr;
    const char* fields =
        "01000000 02000000 03000000 04000000 41000000 04000000 05000000 0200 "
        "04000000 42000000 00000000 "
        "00000000";

    Writer plain(255);
    wire::Event::Write(plain.out, node);
    EXPECT_EQ(test::ToHex(plain.Body()), H(fields));
    // With threshold 128 only the node's own tag travels.
    Writer eventTagOnly(128);
    wire::Event::Write(eventTagOnly.out, node);
    EXPECT_EQ(test::ToHex(eventTagOnly.Body()), H((std::string("81000000") + fields).c_str()));

    Writer tagged(0);
    wire::Event::Write(tagged.out, node);
    EXPECT_EQ(test::ToHex(tagged.Body()),
              H("81000000 11000000 01000000 11000000 02000000 11000000 03000000 "
                "40000000 11000000 04000000 10000000 41000000 "
                "11000000 04000000 11000000 05000000 12000000 0200 "
                "40000000 11000000 04000000 10000000 42000000 "
                "40000000 11000000 00000000 "
                "00000000 11000000 00000000"));

    // As the call's last argument the chain is a unique pointer.
    Writer argument(255);
    auto event = call::Event(&node);
    event.Prepare(SharedMemMgr());
    event.Write(argument.out);
    event.Finish();
    auto none = call::Event(nullptr);
    none.Prepare(SharedMemMgr());
    none.Write(argument.out);
    none.Finish();
    EXPECT_EQ(test::ToHex(argument.Body()),
              H((std::string("01000000") + fields + "00000000").c_str()));
}

TEST(EventChain, ThirtyTwoNodesRoundTrip) {
    CUniqueBstr file(SysAllocString(OLESTR("file.cpp")));
    std::vector<_RNSM_EVENT> nodes = Chain(32, file.Get());
    nodes[31].NumParamStrings = 9;
    for (BSTR& slot : nodes[31].aParamStrings) slot = file.Get();

    test::ReplyBuilder reply(0);
    wire::Event::Write(reply.Out(), nodes[0]);
    CBinaryDeserializer in(SharedMemMgr());
    test::AttachReply(in, reply.Body());
    _RNSM_EVENT head;
    std::memset(static_cast<void*>(&head), 0, sizeof head);
    wire::Event::Read(in, head);

    ASSERT_EQ(Length(head), 32);
    const _RNSM_EVENT* node = &head;
    for (ULONG i = 0; i < 32; ++i, node = node->pNext) {
        EXPECT_EQ(node->DwordOurCode, i);
        EXPECT_EQ(node->DwordLineNumber, 100u + i);
        EXPECT_EQ(Text(node->BstringFileName), "file.cpp");
        EXPECT_NE(node->BstringFileName, file.Get());
    }
    const _RNSM_EVENT& last = nodes[31];
    node = &head;
    while (node->pNext != nullptr) node = node->pNext;
    ASSERT_EQ(node->NumParamStrings, last.NumParamStrings);
    for (BSTR text : node->aParamStrings) EXPECT_EQ(Text(text), "file.cpp");
    wire::Event::Release(head, SharedMemMgr());
    EXPECT_EQ(head.pNext, nullptr);
    EXPECT_EQ(head.BstringFileName, nullptr);
}

TEST(EventChain, ThirtyThirdNodeIsRefused) {
    std::vector<_RNSM_EVENT> nodes = Chain(33, nullptr);
    Writer all(255);
    EXPECT_EQ(ThrownBy([&] { wire::Event::Write(all.out, nodes[0]); }), E_INVALIDARG);

    // The 32 nodes before the refused one stay written; the last of them
    // announces a next node.
    Writer expected(255);
    nodes[31].pNext = nullptr;
    wire::Event::Write(expected.out, nodes[0]);
    Bytes expectedBody = expected.Body();
    expectedBody[expectedBody.size() - 4] = 1;
    EXPECT_EQ(test::ToHex(all.Body()), test::ToHex(expectedBody));

    // The reader allocates the 33rd node, leaves it linked and zeroed, and
    // refuses it; releasing the chain frees it too.
    CBinaryDeserializer in(SharedMemMgr());
    test::AttachReply(in, WithHeader(all.Body()));
    _RNSM_EVENT head;
    std::memset(static_cast<void*>(&head), 0, sizeof head);
    EXPECT_EQ(ThrownBy([&] { wire::Event::Read(in, head); }), E_INVALIDARG);
    ASSERT_EQ(Length(head), 33);
    const _RNSM_EVENT* node = &head;
    while (node->pNext != nullptr) node = node->pNext;
    _RNSM_EVENT zero;
    std::memset(static_cast<void*>(&zero), 0, sizeof zero);
    EXPECT_EQ(std::memcmp(node, &zero, sizeof zero), 0);
    wire::Event::Release(head, SharedMemMgr());
}

TEST(EventChain, TenParameterStringsAreRefused) {
    std::vector<_RNSM_EVENT> nodes = Chain(2, nullptr);
    nodes[1].NumParamStrings = 10;
    Writer out(255);
    EXPECT_EQ(ThrownBy([&] { wire::Event::Write(out.out, nodes[1]); }), E_INVALIDARG);
    EXPECT_EQ(test::ToHex(out.Body()), "");
    // Refused before anything of that node is written.
    EXPECT_EQ(ThrownBy([&] { wire::Event::Write(out.out, nodes[0]); }), E_INVALIDARG);
    EXPECT_EQ(test::ToHex(out.Body()),
              H("00000000 00000000 00000000 00000000 64000000 00000000 0000 01000000"));

    // The reader stops right after the count, before any string.
    Bytes reply = WithHeader(test::Hex(
        "01000000 02000000 03000000 00000000 04000000 05000000 0A00 "
        "00000000 00000000 00000000 00000000 00000000 00000000 00000000 00000000 00000000 "
        "00000000 00000000"));
    auto* stream = new CReadWriteBinaryStream();
    ASSERT_EQ(stream->WriteStream(reinterpret_cast<LPCSTR>(reply.data()),
                                  static_cast<int>(reply.size()), nullptr),
              S_OK);
    CBinaryDeserializer in(SharedMemMgr());
    in.Attach(stream);
    _RNSM_EVENT head;
    std::memset(static_cast<void*>(&head), 0, sizeof head);
    EXPECT_EQ(ThrownBy([&] { wire::Event::Read(in, head); }), E_INVALIDARG);
    EXPECT_EQ(head.NumParamStrings, 10);
    BYTE rest[64];
    ULONG unread = 0;
    ASSERT_EQ(stream->Read(rest, sizeof rest, &unread), S_OK);
    EXPECT_EQ(unread, 11u * 4);
    wire::Event::Release(head, SharedMemMgr());
    stream->Release();
}

TEST(EventChain, ReadingReplacesTheCallersChain) {
    // One reply node with strings, then a two-node reply, then an absent one.
    test::ReplyBuilder reply(255);
    CUniqueBstr file(SysAllocString(OLESTR("reply")));
    std::vector<_RNSM_EVENT> one = Chain(1, file.Get());
    one[0].DwordOurCode = 7;
    std::vector<_RNSM_EVENT> two = Chain(2, file.Get());
    two[0].DwordOurCode = 8;
    two[1].DwordOurCode = 9;
    reply.Out().WritePresentFlag(true);
    wire::Event::Write(reply.Out(), one[0]);
    reply.Out().WritePresentFlag(true);
    wire::Event::Write(reply.Out(), two[0]);
    reply.Out().WritePresentFlag(false);
    CBinaryDeserializer in(SharedMemMgr());
    test::AttachReply(in, reply.Body());

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        // The caller's head with two allocated nodes behind it; all of their
        // strings and both nodes are freed by the read (LeakSanitizer watches).
        _RNSM_EVENT head;
        std::memset(static_cast<void*>(&head), 0, sizeof head);
        head.BstringFileName = SysAllocString(OLESTR("head"));
        head.pNext = AllocatedNode(2, OLESTR("second"));
        head.pNext->pNext = AllocatedNode(3, OLESTR("third"));

        auto event = call::Event(&head);
        event.Prepare(SharedMemMgr());
        event.Read(in);
        event.Finish();
        if (round == 0) {
            EXPECT_EQ(head.DwordOurCode, 7u);
            EXPECT_EQ(Text(head.BstringFileName), "reply");
            EXPECT_EQ(head.pNext, nullptr);
        } else if (round == 1) {
            EXPECT_EQ(head.DwordOurCode, 8u);
            ASSERT_NE(head.pNext, nullptr);
            EXPECT_EQ(head.pNext->DwordOurCode, 9u);
            EXPECT_EQ(Text(head.pNext->BstringFileName), "reply");
        } else {
            // Absent: the head stays the caller's, empty.
            EXPECT_EQ(head.DwordOurCode, 0u);
            EXPECT_EQ(head.BstringFileName, nullptr);
            EXPECT_EQ(head.pNext, nullptr);
        }
        // Nodes the reply added belong to the caller.
        wire::Event::Release(head, SharedMemMgr());
    }
}

}  // namespace
}  // namespace ql
