// Reads random reply bytes as a sequence of typical out-arguments. The
// first input byte chooses where in the sequence reading starts; the rest is
// the reply body. Every failure must be a CAtlException, and everything the
// reader allocated must be released again (LeakSanitizer checks).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "memory_read_stream.h"
#include "serialization/linked_records.h"
#include "serialization/marshal_holders.h"
#include "serialization/rnsm_event.h"

namespace {

using namespace ql;

// The COM task allocator with a ceiling, so that announced sizes the
// reader must honour cannot exhaust the fuzzing machine; a refusal is a
// legitimate outcome (E_OUTOFMEMORY).
class CappedMemMgr final : public ATL::IAtlMemMgr {
public:
    static constexpr std::size_t kLimit = 4u << 20;
    void* Allocate(std::size_t bytes) override {
        return bytes > kLimit ? nullptr : CoTaskMemAlloc(bytes);
    }
    void Free(void* p) override { CoTaskMemFree(p); }
    void* Reallocate(void* p, std::size_t bytes) override {
        return bytes > kLimit ? nullptr : CoTaskMemRealloc(p, bytes);
    }
};

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

struct Record {
    ULONG size;
    BYTE* data;
};

constexpr int kSteps = 12;

void ReadStep(int step, CBinaryDeserializer& in, ATL::IAtlMemMgr* memMgr) {
    switch (step) {
        case 0: {
            in.ReadLong();
            in.ReadULong();
            in.ReadShort();
            in.ReadUShort();
            LONGLONG big = 0;
            in.ReadScalar(wire::kTagInt64, big);
            break;
        }
        case 1: {
            BSTR text = nullptr;
            try {
                in.ReadBstr(text);
            } catch (...) {
                SysFreeString(text);
                throw;
            }
            SysFreeString(text);
            break;
        }
        case 2: {
            GUID guid;
            SYSTEMTIME time;
            in.ReadGuid(guid);
            in.ReadSystemTime(time);
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
            VariantClear(&value);
            break;
        }
        case 4: {
            LONG caller = 7;
            auto holder = ParameterHolder<wire::Long>::ForCallerPointer(memMgr, &caller);
            holder.Read(in);
            auto temporary = ParameterHolder<wire::Long>::ForCallerPointer(memMgr, nullptr);
            temporary.Read(in);
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
            CoTaskMemFree(elements);
            break;
        }
        case 6: {
            // Owned cell: the holder frees what it read.
            ArrayHolder<wire::Bstr> strings(memMgr, nullptr, nullptr, nullptr, true);
            strings.Read(in);
            break;
        }
        case 7: {
            LONGLONG fixed[8] = {};
            LONGLONG* cell = fixed;
            ULONG count = 8;
            ArrayHolder<wire::Int64> holder(memMgr, &cell, &count, nullptr, false);
            holder.Read(in);
            break;
        }
        case 8: {
            ArrayHolder<wire::Guid> guids(memMgr, nullptr, nullptr, nullptr, true);
            guids.Read(in);
            break;
        }
        case 9: {
            Record record{};
            record.size = in.ReadULong();
            try {
                in.ReadByteBlock(record.size, record.data);
            } catch (...) {
                memMgr->Free(record.data);
                throw;
            }
            memMgr->Free(record.data);
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
            }
            wire::Event::Release(head, memMgr);
            auto temporary = ParameterHolder<wire::Event>::ForCallerPointer(memMgr, nullptr);
            temporary.Read(in);
            break;
        }
        case 11: {
            auto holder =
                ParameterHolder<wire::LinkedList<NodeCodec>>::ForCallerPointer(memMgr, nullptr);
            holder.Read(in);
            break;
        }
        default:
            break;
    }
}

}  // namespace

// Strings are allocated by the system allocator, which the reader trusts up
// to 2^31 bytes; here it refuses more than 64 MiB (a null result reads as
// E_OUTOFMEMORY) so that runs stay fast and within the machine's memory.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=64";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static CappedMemMgr memMgr;
    int start = data[0] % kSteps;
    test::MemoryReadStream reply(data + 1, size - 1);
    {
        CBinaryDeserializer in(&memMgr);
        try {
            in.Attach(&reply);
            for (int i = 0; i < kSteps; ++i) ReadStep((start + i) % kSteps, in, &memMgr);
        } catch (const ATL::CAtlException&) {
        }
    }
    if (reply.References() != 0) __builtin_trap();  // the reader must let go of the reply
    return 0;
}
