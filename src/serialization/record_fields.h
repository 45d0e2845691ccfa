// Field helpers of the generated record codecs: unique pointers, sized
// arrays whose count is a field of the record, and byte blocks. Readers
// run on a record that was zeroed first and allocate from the
// deserializer's memory manager; what they allocate stays in the record
// (a failed read leaves it there for Release).
#pragma once

#include <cstddef>
#include <cstring>
#include <limits>

#include "serialization/marshal_holders.h"

namespace ql::wire::field {

// A copy of a member of a byte-packed record (writers bind references to
// it, never to the member, which may be misaligned).
template <class T>
T Copy(T value) noexcept {
    return value;
}

// A member of a byte-packed record copied to an aligned local and stored
// back when the scope ends, also when a read fails halfway.
template <class T>
class PackedMember {
public:
    PackedMember(void* record, std::size_t offset) noexcept
        : m_address(static_cast<unsigned char*>(record) + offset) {
        std::memcpy(static_cast<void*>(&m_value), m_address, sizeof(T));
    }
    ~PackedMember() { std::memcpy(m_address, static_cast<const void*>(&m_value), sizeof(T)); }
    PackedMember(const PackedMember&) = delete;
    PackedMember& operator=(const PackedMember&) = delete;
    T& operator*() noexcept { return m_value; }

private:
    unsigned char* m_address;
    T m_value;
};

template <class W>
void WriteUnique(CBinarySerializer& out, const typename W::type* pointee) {
    out.WritePresentFlag(pointee != nullptr);
    if (pointee != nullptr) W::Write(out, *pointee);
}

template <class W>
void ReadUnique(CBinaryDeserializer& in, typename W::type*& pointee) {
    using T = typename W::type;
    pointee = nullptr;
    if (!in.ReadPresentFlag()) return;
    pointee = static_cast<T*>(in.AllocateZeroed(sizeof(T)));
    W::Read(in, *pointee);
}

template <class W>
void ReleaseUnique(typename W::type*& pointee, ATL::IAtlMemMgr* memMgr) noexcept {
    if (pointee == nullptr) return;
    W::Release(*pointee, memMgr);
    memMgr->Free(pointee);
    pointee = nullptr;
}

// capacity = length = count on the wire.
template <class W, class Count>
void WriteArray(CBinarySerializer& out, const typename W::type* elements, Count count) {
    ULONG length = count;
    if (length != 0 && elements == nullptr) ATL::AtlThrow(hr::kPointer);
    out.WriteArrayHead(length, length);
    if constexpr (W::kBlockElement) {
        out.WriteScalarBlock(elements, length, sizeof(typename W::type));
    } else {
        for (ULONG i = 0; i < length; ++i) W::Write(out, elements[i]);
    }
}

// The array may grow; a count field narrower than 32 bits refuses a
// received capacity or length it cannot hold.
template <class W, class Count>
void ReadArray(CBinaryDeserializer& in, typename W::type*& elements, Count& count) {
    static_assert(std::is_unsigned_v<Count>);
    ULONG cells = 0;
    ArrayHolder<W> holder(in.MemMgr(), &elements, &cells, nullptr, true);
    if constexpr (sizeof(Count) < sizeof(ULONG))
        holder.SetCountLimit(std::numeric_limits<Count>::max());
    try {
        holder.Read(in);
    } catch (...) {
        count = static_cast<Count>(elements != nullptr ? cells : 0);
        throw;
    }
    count = static_cast<Count>(cells);
}

template <class W, class Count>
void ReleaseArray(typename W::type*& elements, Count& count, ATL::IAtlMemMgr* memMgr) noexcept {
    if (elements != nullptr) {
        for (ULONG i = 0; i < ULONG{count}; ++i) W::Release(elements[i], memMgr);
        memMgr->Free(elements);
    }
    elements = nullptr;
    count = 0;
}

template <class Size>
void ReleaseBlock(BYTE*& data, Size& size, ATL::IAtlMemMgr* memMgr) noexcept {
    if (data != nullptr) memMgr->Free(data);
    data = nullptr;
    size = 0;
}

}  // namespace ql::wire::field
