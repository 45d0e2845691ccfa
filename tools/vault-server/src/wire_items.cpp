#include "wire_items.h"

#include <cstring>
#include <vector>

#include "serialization/rnsm_event.h"
#include "server/record_peer.h"
#include "support/base/unique_bstr.h"

namespace ql::vault {
namespace {

using catalog::ItemKind;
using catalog::WireItem;

struct ScalarInfo {
    const char* name;
    ULONG tag;
    ULONG size;
};

// Never renumber: the tags are the wire's.
constexpr ScalarInfo kScalars[] = {
    {"long", wire::kTagLong, 4},
    {"unsigned long", wire::kTagULong, 4},
    {"short", wire::kTagShort, 2},
    {"unsigned short", wire::kTagUShort, 2},
    {"__int64", wire::kTagInt64, 8},
    {"unsigned __int64", wire::kTagUInt64, 8},
    {"unsigned char", wire::kTagUChar, 1},
    {"char", wire::kTagChar, 1},
    {"int", wire::kTagInt, 4},
    {"unsigned int", wire::kTagUInt, 4},
    {"double", wire::kTagDouble, 8},
};

bool Is(const char* wire, const char* name) { return std::strcmp(wire, name) == 0; }

const wire::RecordOps& RecordOf(const WireItem& item) {
    const wire::RecordOps* ops = wire::FindRecordOps(item.wire);
    if (ops == nullptr) ATL::AtlThrow(E_INVALIDARG);
    return *ops;
}

void WriteZeroValue(CBinarySerializer& out, const WireItem& item) {
    ULONG tag = 0;
    ULONG size = 0;
    if (item.recordTag != 0) {
        RecordOf(item).writeZero(out);
    } else if (ScalarWire(item.wire, tag, size)) {
        const unsigned char zeros[8] = {};
        out.WriteTag(tag);
        out.WriteRaw(zeros, size);
    } else if (Is(item.wire, "BSTR")) {
        out.WriteBstr(nullptr);
    } else if (Is(item.wire, "GUID")) {
        out.WriteGuid(GUID{});
    } else if (Is(item.wire, "VARIANT")) {
        VARIANT empty;
        std::memset(&empty, 0, sizeof empty);
        out.WriteVariant(empty);
    } else if (Is(item.wire, "_SYSTEMTIME")) {
        out.WriteSystemTime(SYSTEMTIME{});
    } else if (Is(item.wire, "_FILETIME")) {
        out.WriteFileTime(FILETIME{});
    } else {
        ATL::AtlThrow(E_INVALIDARG);
    }
}

void SkipValue(CBinaryDeserializer& in, const WireItem& item) {
    ULONG tag = 0;
    ULONG size = 0;
    if (item.recordTag != 0) {
        RecordOf(item).readAndDiscard(in);
    } else if (ScalarWire(item.wire, tag, size)) {
        unsigned char value[8];
        in.ReadTag(tag);
        in.ReadRaw(value, size);
    } else if (Is(item.wire, "BSTR")) {
        BSTR text = nullptr;
        in.ReadBstr(text);
        CUniqueBstr owner(text);
    } else if (Is(item.wire, "GUID")) {
        GUID guid;
        in.ReadGuid(guid);
    } else if (Is(item.wire, "VARIANT")) {
        VARIANT value;
        std::memset(&value, 0, sizeof value);
        try {
            in.ReadVariant(value);
        } catch (...) {
            VariantClear(&value);
            throw;
        }
        VariantClear(&value);
    } else if (Is(item.wire, "_SYSTEMTIME")) {
        SYSTEMTIME time;
        in.ReadSystemTime(time);
    } else if (Is(item.wire, "_FILETIME")) {
        FILETIME time;
        in.ReadTag(wire::kTagFileTime);
        in.ReadRaw(&time, sizeof time);
    } else {
        ATL::AtlThrow(E_INVALIDARG);
    }
}

void SkipArray(CBinaryDeserializer& in, const WireItem& item) {
    ULONG capacity = 0;
    ULONG length = 0;
    in.ReadArrayHead(capacity, length);
    ULONG tag = 0;
    ULONG size = 0;
    if (item.recordTag == 0 && ScalarWire(item.wire, tag, size)) {
        if (length == 0) return;
        // Checked against the body before the buffer is sized from it.
        in.RequireAvailable(static_cast<unsigned long long>(length) * size);
        std::vector<unsigned char> elements(static_cast<std::size_t>(length) * size);
        in.ReadScalarBlock(elements.data(), length, size);
        return;
    }
    for (ULONG i = 0; i < length; ++i) SkipValue(in, item);
}

}  // namespace

void SkipEvent(CBinaryDeserializer& in) {
    if (!in.ReadPresentFlag()) return;
    _RNSM_EVENT head;
    std::memset(static_cast<void*>(&head), 0, sizeof head);
    try {
        wire::Event::Read(in, head);
    } catch (...) {
        wire::Event::Release(head, in.MemMgr());
        throw;
    }
    wire::Event::Release(head, in.MemMgr());
}

bool ScalarWire(const char* wire, ULONG& tag, ULONG& size) noexcept {
    for (const ScalarInfo& scalar : kScalars) {
        if (Is(wire, scalar.name)) {
            tag = scalar.tag;
            size = scalar.size;
            return true;
        }
    }
    return false;
}

void WriteZeroItem(CBinarySerializer& out, const WireItem& item) {
    switch (item.kind) {
        case ItemKind::kPlain:
            WriteZeroValue(out, item);
            return;
        case ItemKind::kUnique:
        case ItemKind::kEvent:
            out.WritePresentFlag(false);
            return;
        case ItemKind::kArray:
            out.WriteArrayHead(0, 0);
            return;
    }
    ATL::AtlThrow(E_INVALIDARG);
}

void SkipItem(CBinaryDeserializer& in, const WireItem& item) {
    switch (item.kind) {
        case ItemKind::kPlain:
            SkipValue(in, item);
            return;
        case ItemKind::kUnique:
            if (in.ReadPresentFlag()) SkipValue(in, item);
            return;
        case ItemKind::kArray:
            SkipArray(in, item);
            return;
        case ItemKind::kEvent:
            SkipEvent(in);
            return;
    }
    ATL::AtlThrow(E_INVALIDARG);
}

}  // namespace ql::vault
