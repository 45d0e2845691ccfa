// The linked event record that almost every remote method takes as its
// last, [in,out] argument, and its wire encoding (tag 129 per node).
#pragma once

#include <cstddef>

#include "serialization/wire_types.h"

// A record of the type library, byte-packed like the others (see
// catalogue/records.h): its members may sit at any address, so references
// and pointers to them are never taken; reads go through aligned copies.
#pragma pack(push, 1)
struct _RNSM_EVENT {
    ULONG DwordOurCode;
    ULONG DwordSystemCode;
    _RNSM_EVENT* pNext;
    ULONG LogDestination;
    BSTR BstringFileName;
    ULONG DwordLineNumber;
    ULONG MessageStatus;
    USHORT NumParamStrings;
    BSTR aParamStrings[9];
};
#pragma pack(pop)
static_assert(sizeof(_RNSM_EVENT) == 22 + 11 * sizeof(void*));
static_assert(offsetof(_RNSM_EVENT, BstringFileName) == 12 + sizeof(void*));
static_assert(offsetof(_RNSM_EVENT, aParamStrings) == 22 + 2 * sizeof(void*));

namespace ql::wire {

// An event chain: at most 32 nodes and 9 parameter strings per node, in
// either direction. Nodes after the head are allocated from the reader's
// memory manager and belong to whoever owns the head.
struct Event {
    using type = _RNSM_EVENT;
    static constexpr bool kBlockElement = false;
    // Writes the chain from head; throws E_INVALIDARG at a 33rd node or at a
    // node with more than 9 strings, before writing that node.
    static void Write(CBinarySerializer& out, const type& head);
    // Reads a chain into head, linking further nodes behind it.
    static void Read(CBinaryDeserializer& in, type& head);
    // Frees the strings of every node and every node after the head; the
    // head keeps its numbers and is unlinked.
    static void Release(type& head, ATL::IAtlMemMgr* memMgr) noexcept;
};

}  // namespace ql::wire
