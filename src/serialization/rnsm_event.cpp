#include "serialization/rnsm_event.h"

#include <cstddef>
#include <cstring>

#include "serialization/record_fields.h"
#include "support/base/hresults.h"
#include "support/trace/trace.h"

namespace ql::wire {

namespace {

USHORT UsedStringSlots(const _RNSM_EVENT& node) {
    return node.NumParamStrings < kEventParamSlots ? node.NumParamStrings : kEventParamSlots;
}

void ReleaseStrings(_RNSM_EVENT& node) noexcept {
    SysFreeString(node.BstringFileName);
    node.BstringFileName = nullptr;
    for (USHORT i = 0; i < UsedStringSlots(node); ++i) {
        SysFreeString(node.aParamStrings[i]);
        node.aParamStrings[i] = nullptr;
    }
}

}  // namespace

void Event::Write(CBinarySerializer& out, const type& head) {
    const _RNSM_EVENT* node = &head;
    for (int written = 0; node != nullptr; ++written, node = node->pNext) {
        if (written == kMaxEventNodes) {
            TqlTraceDefault(
                OLESTR("CBinarySerializer& operator <<(RNSM_EVENT)- Unexpected big nest level of "
                       "RNSM_EVENT. Thowing E_INVALIDARG..."));
            ATL::AtlThrow(hr::kInvalidArg);
        }
        if (node->NumParamStrings > kEventParamSlots) {
            TqlTraceDefault(
                OLESTR("CBinarySerializer& operator <<(RNSM_EVENT)- Unexpected big "
                       "'NumParamStrings'. Thowing E_INVALIDARG..."));
            ATL::AtlThrow(hr::kInvalidArg);
        }
        out.WriteTag(kTagEvent);
        out.WriteULong(node->DwordOurCode);
        out.WriteULong(node->DwordSystemCode);
        out.WriteULong(node->LogDestination);
        out.WriteBstr(node->BstringFileName);
        out.WriteULong(node->DwordLineNumber);
        out.WriteULong(node->MessageStatus);
        out.WriteUShort(node->NumParamStrings);
        for (USHORT i = 0; i < node->NumParamStrings; ++i) out.WriteBstr(node->aParamStrings[i]);
        out.WritePresentFlag(node->pNext != nullptr);
    }
}

void Event::Read(CBinaryDeserializer& in, type& head) {
    _RNSM_EVENT* node = &head;
    for (int count = 1;; ++count) {
        std::memset(node, 0, sizeof *node);
        in.ReadTag(kTagEvent);
        node->DwordOurCode = in.ReadULong();
        node->DwordSystemCode = in.ReadULong();
        node->LogDestination = in.ReadULong();
        {
            field::PackedMember<BSTR> file(node, offsetof(_RNSM_EVENT, BstringFileName));
            in.ReadBstr(*file);
        }
        node->DwordLineNumber = in.ReadULong();
        node->MessageStatus = in.ReadULong();
        node->NumParamStrings = in.ReadUShort();
        if (node->NumParamStrings > kEventParamSlots) {
            TqlTraceDefault(
                OLESTR("CBinaryDeserializer& operator >>(RNSM_EVENT)- Unexpected big "
                       "'NumParamStrings'. Thowing E_INVALIDARG..."));
            ATL::AtlThrow(hr::kInvalidArg);
        }
        for (USHORT i = 0; i < node->NumParamStrings; ++i) {
            field::PackedMember<BSTR> slot(node,
                                           offsetof(_RNSM_EVENT, aParamStrings) + i * sizeof(BSTR));
            in.ReadBstr(*slot);
        }
        if (!in.ReadPresentFlag()) return;
        node->pNext = static_cast<_RNSM_EVENT*>(in.AllocateZeroed(sizeof(_RNSM_EVENT)));
        if (count == kMaxEventNodes) {
            // The 33rd node stays linked (zeroed) and is released with the
            // chain.
            TqlTraceDefault(
                OLESTR("CBinaryDeserializer& operator >>(RNSM_EVENT)- Unexpected big nest level "
                       "of RNSM_EVENT. Thowing E_INVALIDARG..."));
            ATL::AtlThrow(hr::kInvalidArg);
        }
        node = node->pNext;
    }
}

void Event::Release(type& head, ATL::IAtlMemMgr* memMgr) noexcept {
    ReleaseStrings(head);
    _RNSM_EVENT* node = head.pNext;
    head.pNext = nullptr;
    while (node != nullptr) {
        _RNSM_EVENT* next = node->pNext;
        ReleaseStrings(*node);
        memMgr->Free(node);
        node = next;
    }
}

}  // namespace ql::wire
