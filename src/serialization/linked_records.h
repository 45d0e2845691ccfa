// Lists of records linked by a next pointer: each node is written as its
// record, followed by tag 0 and the next-present flag. The reader allocates
// further nodes (zeroed) from its memory manager. The node codec N gives:
//
//   using type = ...;
//   static type* GetNext(const type&);        by value: records are byte-packed
//   static void SetNext(type&, type*);
//   static void WriteNode(CBinarySerializer&, const type&);   record and fields
//   static void ReadNode(CBinaryDeserializer&, type&);        clears, then reads
//   static void ReleaseNode(type&, ATL::IAtlMemMgr*) noexcept; what one node owns
#pragma once

#include "serialization/wire_types.h"

namespace ql::wire {

template <class N>
struct LinkedList {
    using type = typename N::type;
    static constexpr bool kBlockElement = false;

    static void Write(CBinarySerializer& out, const type& head) {
        for (const type* node = &head; node != nullptr; node = N::GetNext(*node)) {
            N::WriteNode(out, *node);
            out.WritePresentFlag(N::GetNext(*node) != nullptr);
        }
    }

    static void Read(CBinaryDeserializer& in, type& head) {
        type* node = &head;
        for (;;) {
            N::ReadNode(in, *node);
            N::SetNext(*node, nullptr);
            if (!in.ReadPresentFlag()) return;
            type* next = static_cast<type*>(in.AllocateZeroed(sizeof(type)));
            N::SetNext(*node, next);
            node = next;
        }
    }

    static void Release(type& head, ATL::IAtlMemMgr* memMgr) noexcept {
        N::ReleaseNode(head, memMgr);
        type* node = N::GetNext(head);
        N::SetNext(head, nullptr);
        while (node != nullptr) {
            type* next = N::GetNext(*node);
            N::ReleaseNode(*node, memMgr);
            memMgr->Free(node);
            node = next;
        }
    }
};

}  // namespace ql::wire
