// Reads random reply bytes as a sequence of typical out-arguments. The
// first input byte chooses where in the sequence reading starts and whether
// the reply's length is known (as from memory or a Content-Length) or not (a
// chunked reply); the rest is the reply body. Every failure must be a
// CAtlException; every value read is used (strings to their terminator,
// arrays to their length) and written again, and must come out as the bytes
// it was read from; everything the reader allocated must be released again
// (LeakSanitizer checks). The reader's own limits keep memory in check: the
// fuzzer runs with a low malloc limit and the plain COM task allocator.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "memory_read_stream.h"
#include "serialization/binary_serializer.h"
#include "serialization/linked_records.h"
#include "serialization/marshal_holders.h"
#include "serialization/read_write_binary_stream.h"
#include "serialization/rnsm_event.h"

namespace {

using namespace ql;

struct Node {
    LONG value;
    BSTR name;
    Node* next;
};

struct NodeCodec {
    using type = Node;
    static Node* GetNext(const Node& node) { return node.next; }
    static void SetNext(Node& node, Node* next) { node.next = next; }
    static void WriteNode(CBinarySerializer& out, const Node& node) {
        out.WriteTag(130);
        out.WriteLong(node.value);
        out.WriteBstr(node.name);
    }
    static void ReadNode(CBinaryDeserializer& in, Node& node) {
        std::memset(&node, 0, sizeof node);
        in.ReadTag(130);
        node.value = in.ReadLong();
        in.ReadBstr(node.name);
    }
    static void ReleaseNode(Node& node, ATL::IAtlMemMgr*) noexcept {
        SysFreeString(node.name);
        node.name = nullptr;
    }
};

struct Reply {
    CBinaryDeserializer& in;
    test::MemoryReadStream& stream;
    const std::uint8_t* bytes;  // the reply body, header included
    ATL::IAtlMemMgr* memMgr;
};

[[noreturn]] void Finding() { __builtin_trap(); }

// A string is used to its terminator, which must sit at its length.
void Touch(BSTR text) {
    if (text == nullptr) return;
    UINT length = SysStringLen(text);
    UINT i = 0;
    while (text[i] != 0) ++i;
    if (i > length || text[length] != 0) Finding();
}

// Writes again, with the reply's threshold, what write writes, and expects
// exactly the bytes the reader consumed since from (whole) or their last
// bytes (tail: an array's elements, whose head the reader may have cut).
template <class F>
void ExpectSameBytes(Reply& r, std::size_t from, bool tail, F&& write) {
    CReadWriteBinaryStream stream;
    CBinarySerializer out;
    out.SetHeader(r.in.Threshold(), r.in.Version());
    out.Attach(&stream);
    write(out);
    std::size_t written = stream.GetLength() - wire::kHeaderSize;
    std::size_t consumed = r.stream.Position() - from;
    if (written > consumed || (!tail && written != consumed)) Finding();
    if (std::memcmp(stream.GetBuffer() + wire::kHeaderSize, r.bytes + from + consumed - written,
                    written) != 0)
        Finding();
}

template <class W>
void ExpectSameElements(Reply& r, std::size_t from, const typename W::type* elements,
                        ULONG length) {
    ExpectSameBytes(r, from, true, [&](CBinarySerializer& out) {
        if constexpr (W::kBlockElement) {
            out.WriteScalarBlock(elements, length, sizeof(typename W::type));
        } else {
            for (ULONG i = 0; i < length; ++i) W::Write(out, elements[i]);
        }
    });
}

void TouchEvent(const _RNSM_EVENT* node) {
    for (int n = 0; node != nullptr; node = node->pNext, ++n) {
        if (n > wire::kMaxEventNodes || node->NumParamStrings > wire::kEventParamSlots) Finding();
        Touch(node->BstringFileName);
        for (USHORT i = 0; i < node->NumParamStrings; ++i) Touch(node->aParamStrings[i]);
    }
}

constexpr int kSteps = 12;

void ReadStep(int step, Reply& r) {
    CBinaryDeserializer& in = r.in;
    ATL::IAtlMemMgr* memMgr = r.memMgr;
    const std::size_t from = r.stream.Position();
    switch (step) {
        case 0: {
            LONG a = in.ReadLong();
            ULONG b = in.ReadULong();
            SHORT c = in.ReadShort();
            USHORT d = in.ReadUShort();
            LONGLONG e = 0;
            in.ReadScalar(wire::kTagInt64, e);
            ExpectSameBytes(r, from, false, [&](CBinarySerializer& out) {
                out.WriteLong(a);
                out.WriteULong(b);
                out.WriteScalar(wire::kTagShort, c);
                out.WriteScalar(wire::kTagUShort, d);
                out.WriteScalar(wire::kTagInt64, e);
            });
            break;
        }
        case 1: {
            BSTR text = nullptr;
            try {
                in.ReadBstr(text);
            } catch (...) {
                if (text != nullptr) Finding();  // a refused string leaves nothing
                throw;
            }
            Touch(text);
            ExpectSameBytes(r, from, false, [&](CBinarySerializer& out) { out.WriteBstr(text); });
            SysFreeString(text);
            break;
        }
        case 2: {
            GUID guid;
            SYSTEMTIME time;
            in.ReadGuid(guid);
            in.ReadSystemTime(time);
            ExpectSameBytes(r, from, false, [&](CBinarySerializer& out) {
                out.WriteGuid(guid);
                out.WriteSystemTime(time);
            });
            break;
        }
        case 3: {
            VARIANT value;
            VariantInit(&value);
            try {
                in.ReadVariant(value);
            } catch (...) {
                VariantClear(&value);
                throw;
            }
            if (value.vt == VT_BSTR) Touch(value.bstrVal);
            ExpectSameBytes(r, from, false,
                            [&](CBinarySerializer& out) { out.WriteVariant(value); });
            VariantClear(&value);
            break;
        }
        case 4: {
            LONG caller = 7;
            auto holder = ParameterHolder<wire::Long>::ForCallerPointer(memMgr, &caller);
            holder.Read(in);
            // Any non-zero present flag means present, so only the pointee
            // is compared.
            const std::size_t second = r.stream.Position();
            auto temporary = ParameterHolder<wire::Long>::ForCallerPointer(memMgr, nullptr);
            temporary.Read(in);
            ExpectSameBytes(r, second, true, [&](CBinarySerializer& out) {
                if (temporary.Pointee() != nullptr) out.WriteLong(*temporary.Pointee());
            });
            break;
        }
        case 5: {
            auto* elements = static_cast<LONG*>(CoTaskMemAlloc(4 * sizeof(LONG)));
            ULONG count = 4;
            try {
                ArrayHolder<wire::Long> holder(memMgr, &elements, &count, nullptr, true);
                holder.Read(in);
            } catch (...) {
                CoTaskMemFree(elements);
                throw;
            }
            ExpectSameElements<wire::Long>(r, from, elements, count);
            CoTaskMemFree(elements);
            break;
        }
        case 6: {
            // Owned cell: the holder frees what it read.
            ArrayHolder<wire::Bstr> strings(memMgr, nullptr, nullptr, nullptr, true);
            strings.Read(in);
            for (ULONG i = 0; i < strings.Length(); ++i) Touch(strings.Array()[i]);
            ExpectSameElements<wire::Bstr>(r, from, strings.Array(), strings.Length());
            break;
        }
        case 7: {
            LONGLONG fixed[8] = {};
            LONGLONG* cell = fixed;
            ULONG count = 8;
            ArrayHolder<wire::Int64> holder(memMgr, &cell, &count, nullptr, false);
            holder.Read(in);
            if (cell != fixed || count > 8) Finding();
            ExpectSameElements<wire::Int64>(r, from, fixed, count);
            break;
        }
        case 8: {
            ArrayHolder<wire::Guid> guids(memMgr, nullptr, nullptr, nullptr, true);
            guids.Read(in);
            ExpectSameElements<wire::Guid>(r, from, guids.Array(), guids.Length());
            break;
        }
        case 9: {
            ULONG size = in.ReadULong();
            BYTE* data = nullptr;
            try {
                in.ReadByteBlock(size, data);
            } catch (...) {
                memMgr->Free(data);
                throw;
            }
            ExpectSameBytes(r, from, false, [&](CBinarySerializer& out) {
                out.WriteULong(size);
                out.WriteByteBlock(size, data);
            });
            memMgr->Free(data);
            break;
        }
        case 10: {
            _RNSM_EVENT head{};
            {
                auto holder = ParameterHolder<wire::Event>::ForCallerPointer(memMgr, &head);
                try {
                    holder.Read(in);
                } catch (...) {
                    wire::Event::Release(head, memMgr);
                    throw;
                }
                TouchEvent(holder.Pointee());
            }
            wire::Event::Release(head, memMgr);
            // Present flags are normalised on writing (any non-zero value
            // means present), so chains are used, not compared.
            auto temporary = ParameterHolder<wire::Event>::ForCallerPointer(memMgr, nullptr);
            temporary.Read(in);
            TouchEvent(temporary.Pointee());
            break;
        }
        case 11: {
            auto holder =
                ParameterHolder<wire::LinkedList<NodeCodec>>::ForCallerPointer(memMgr, nullptr);
            holder.Read(in);
            for (const Node* node = holder.Pointee(); node != nullptr; node = node->next)
                Touch(node->name);
            break;
        }
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    int start = data[0] % kSteps;
    bool lengthKnown = (data[0] & 0x80) == 0;
    test::MemoryReadStream stream(data + 1, size - 1);
    {
        CBinaryDeserializer in(SharedMemMgr());
        Reply reply{in, stream, data + 1, SharedMemMgr()};
        try {
            if (lengthKnown)
                in.Attach(&stream, size - 1);
            else
                in.Attach(&stream);
            for (int i = 0; i < kSteps; ++i) ReadStep((start + i) % kSteps, reply);
        } catch (const ATL::CAtlException&) {
        }
    }
    if (stream.References() != 0) __builtin_trap();  // the reader must let go of the reply
    return 0;
}
