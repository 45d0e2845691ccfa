// Holders through which pointer and array arguments reach the encoding for
// the length of one call. A holder supplies a zeroed temporary where the
// caller gave no variable, and frees on destruction exactly what it
// allocated itself; what the reader produced into the caller's variables
// stays with the caller.
#pragma once

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "serialization/wire_types.h"
#include "support/base/hresults.h"

namespace ql {

// A unique pointer (tag 0, present flag, pointee).
template <class W>
class ParameterHolder {
public:
    using T = typename W::type;
    static_assert(std::is_trivially_default_constructible_v<T>,
                  "pointees are allocated as zeroed memory");

    // The proxy's single pointer argument ([in], [in,out] record, scalar or
    // event): the holder works on its own copy of the pointer. The caller's
    // pointee is never freed; one the reader had to allocate is.
    static ParameterHolder ForCallerPointer(ATL::IAtlMemMgr* memMgr, T* callerPointer) {
        return ParameterHolder(memMgr, nullptr, callerPointer);
    }
    // The caller's own pointer variable (a pointer-to-pointer argument): the
    // reader replaces or frees its pointee, which must come from memMgr. A
    // null variable gets a cell of the holder's own.
    static ParameterHolder ForPointerVariable(ATL::IAtlMemMgr* memMgr, T** variable) {
        return ParameterHolder(memMgr, variable, nullptr);
    }

    ParameterHolder(ParameterHolder&& other) noexcept
        : m_pMemMgr(other.m_pMemMgr),
          m_ownCell(other.m_ownCell),
          m_callerPointee(other.m_callerPointee),
          m_bOwnsCell(other.m_bOwnsCell) {
        m_cell = other.m_cell == &other.m_ownCell ? &m_ownCell : other.m_cell;
        other.m_ownCell = nullptr;
        other.m_cell = &other.m_ownCell;
        other.m_bOwnsCell = true;
        other.m_callerPointee = nullptr;
    }
    ParameterHolder(const ParameterHolder&) = delete;
    ParameterHolder& operator=(const ParameterHolder&) = delete;
    ParameterHolder& operator=(ParameterHolder&&) = delete;

    ~ParameterHolder() {
        T* pointee = *m_cell;
        if (pointee == nullptr || pointee == m_callerPointee || !m_bOwnsCell) return;
        W::Release(*pointee, m_pMemMgr);
        m_pMemMgr->Free(pointee);
        *m_cell = nullptr;
    }

    T* Pointee() const noexcept { return *m_cell; }

    void Write(CBinarySerializer& out) const {
        T* pointee = *m_cell;
        out.WritePresentFlag(pointee != nullptr);
        if (pointee != nullptr) W::Write(out, *pointee);
    }

    void Read(CBinaryDeserializer& in) {
        T* pointee = *m_cell;
        if (pointee != nullptr) W::Release(*pointee, m_pMemMgr);
        if (in.ReadPresentFlag()) {
            if (pointee == nullptr) {
                pointee = static_cast<T*>(in.AllocateZeroed(sizeof(T)));
                *m_cell = pointee;
            }
            W::Read(in, *pointee);
        } else if (pointee != nullptr) {
            if (pointee == m_callerPointee) {
                // The caller keeps this address: leave it valid and empty.
                std::memset(static_cast<void*>(pointee), 0, sizeof(T));
            } else {
                m_pMemMgr->Free(pointee);
                *m_cell = nullptr;
            }
        }
    }

private:
    ParameterHolder(ATL::IAtlMemMgr* memMgr, T** variable, T* callerPointer) noexcept
        : m_pMemMgr(memMgr) {
        if (variable != nullptr) {
            m_cell = variable;
            m_bOwnsCell = false;
        } else {
            m_ownCell = callerPointer;
            m_callerPointee = callerPointer;
            m_cell = &m_ownCell;
            m_bOwnsCell = true;
        }
    }

    ATL::IAtlMemMgr* m_pMemMgr;
    T* m_ownCell = nullptr;
    T** m_cell = &m_ownCell;
    // The caller's pointee when the cell is a copy of the caller's pointer.
    T* m_callerPointee = nullptr;
    bool m_bOwnsCell = true;
};

// A sized array (tag 1, capacity, length, elements).
template <class W>
class ArrayHolder {
public:
    using T = typename W::type;
    static_assert(std::is_trivially_default_constructible_v<T>,
                  "elements are allocated as zeroed memory");

    // arrayCell: the caller's array pointer variable, or null for a cell of
    // the holder's own (which may grow and is freed at the end). lengthCell
    // may be the capacity cell, or null to share it; a null capacity cell
    // gets a count of the holder's own, set to 0. A null array sets both
    // counts to 0. mayGrow: the reader may replace the caller's array by a
    // larger one allocated from memMgr.
    ArrayHolder(ATL::IAtlMemMgr* memMgr, T** arrayCell, ULONG* capacityCell, ULONG* lengthCell,
                bool mayGrow) noexcept
        : m_pMemMgr(memMgr), m_bMayGrow(mayGrow) {
        if (arrayCell != nullptr) {
            m_arrayCell = arrayCell;
            m_bOwnsArray = false;
        } else {
            m_bMayGrow = true;
        }
        m_capacityCell = capacityCell != nullptr ? capacityCell : &m_ownCapacity;
        m_lengthCell = lengthCell != nullptr ? lengthCell : m_capacityCell;
        if (*m_arrayCell == nullptr) {
            *m_capacityCell = 0;
            *m_lengthCell = 0;
        }
        m_presentCapacity = *m_capacityCell;
    }
    ArrayHolder(const ArrayHolder&) = delete;
    ArrayHolder& operator=(const ArrayHolder&) = delete;

    ~ArrayHolder() {
        if (!m_bOwnsArray || *m_arrayCell == nullptr) return;
        ReleaseElements(*m_lengthCell);
        m_pMemMgr->Free(*m_arrayCell);
        *m_arrayCell = nullptr;
    }

    // A received capacity or length above limit is refused before anything
    // is allocated (counts held in fewer than 32 bits).
    void SetCountLimit(ULONG limit) noexcept { m_countLimit = limit; }

    T* Array() const noexcept { return *m_arrayCell; }
    ULONG Length() const noexcept { return *m_lengthCell; }
    ULONG Capacity() const noexcept { return m_presentCapacity; }

    void Write(CBinarySerializer& out) const { WriteWithLength(out, *m_lengthCell); }

    // Writes with a length other than the length cell's (a second array that
    // shares the first array's count).
    void WriteWithLength(CBinarySerializer& out, ULONG length) const {
        const T* elements = *m_arrayCell;
        if (length != 0 && elements == nullptr) ATL::AtlThrow(hr::kPointer);
        ULONG capacity = m_lengthCell == m_capacityCell ? length : *m_capacityCell;
        out.WriteArrayHead(capacity, length);
        if constexpr (W::kBlockElement) {
            out.WriteScalarBlock(elements, length, sizeof(T));
        } else {
            for (ULONG i = 0; i < length; ++i) W::Write(out, elements[i]);
        }
    }

    void Read(CBinaryDeserializer& in) {
        // A caller's count of 2^31 or more (a negative LONG) describes no
        // array: nothing of it is released or grown.
        if (m_presentCapacity > wire::kMaxCount) ATL::AtlThrow(hr::kInvalidArg);
        if (*m_arrayCell != nullptr) {
            ReleaseElements(*m_lengthCell);
            *m_lengthCell = 0;
        }
        ULONG capacity = 0;
        ULONG length = 0;
        in.ReadArrayHead(capacity, length, m_countLimit);
        if (static_cast<unsigned long long>(capacity) * sizeof(T) > wire::kMaxBufferBytes)
            ATL::AtlThrow(hr::kInvalidArg);
        const bool grows = capacity > m_presentCapacity;
        if (grows && !m_bMayGrow) ATL::AtlThrow(hr::kInvalidUserBuffer);
        // Memory the reply backs with data: its elements must fit in what is
        // left of it; the capacity beyond them is bounded slack.
        if (grows && std::size_t{capacity - length} * sizeof(T) > wire::kMaxUnfilledArrayBytes)
            ATL::AtlThrow(hr::kInvalidArg);
        in.RequireAvailable(static_cast<unsigned long long>(length) *
                            (W::kBlockElement ? sizeof(T) : wire::kMinElementWireBytes));

        // Elements are read in batches, each into memory that already holds
        // it. The length cell never counts more elements than the array
        // holds, so a failure leaves the caller a consistent array. With the
        // reply's length known there is one batch; otherwise the array grows
        // in steps, at most doubling, as the data arrives.
        const ULONG step =
            in.LengthKnown()
                ? length
                : std::max<ULONG>(1, static_cast<ULONG>(wire::kReadStepBytes / sizeof(T)));
        T* elements = *m_arrayCell;
        for (ULONG done = 0; done < length;) {
            ULONG batch = std::max(step, done);  // doubles: reallocations stay few
            ULONG next = length - done > batch ? done + batch : length;
            if (next > m_presentCapacity)
                elements = Grow(grows && next == length ? capacity : next);
            *m_lengthCell = next;
            if constexpr (W::kBlockElement) {
                in.ReadScalarBlock(elements + done, next - done, sizeof(T));
            } else {
                for (ULONG i = done; i < next; ++i) W::Read(in, elements[i]);
            }
            done = next;
        }
        if (grows && capacity > m_presentCapacity) Grow(capacity);
        *m_lengthCell = length;
    }

private:
    // Enlarges the array to capacity elements, the new ones zeroed; the
    // array never shrinks.
    T* Grow(ULONG capacity) {
        std::size_t bytes = std::size_t{capacity} * sizeof(T);
        void* grown = *m_arrayCell == nullptr ? m_pMemMgr->Allocate(bytes)
                                              : m_pMemMgr->Reallocate(*m_arrayCell, bytes);
        if (grown == nullptr) ATL::AtlThrow(hr::kOutOfMemory);
        auto* elements = static_cast<T*>(grown);
        std::memset(static_cast<void*>(elements + m_presentCapacity), 0,
                    (std::size_t{capacity} - m_presentCapacity) * sizeof(T));
        *m_arrayCell = elements;
        if (m_capacityCell != m_lengthCell) *m_capacityCell = capacity;
        m_presentCapacity = capacity;
        return elements;
    }

    void ReleaseElements(ULONG count) noexcept {
        T* elements = *m_arrayCell;
        if (elements == nullptr) return;
        if (count > m_presentCapacity) count = m_presentCapacity;
        for (ULONG i = 0; i < count; ++i) W::Release(elements[i], m_pMemMgr);
    }

    ATL::IAtlMemMgr* m_pMemMgr;
    T* m_ownArray = nullptr;
    T** m_arrayCell = &m_ownArray;
    ULONG m_ownCapacity = 0;
    ULONG* m_capacityCell = nullptr;
    ULONG* m_lengthCell = nullptr;
    // Elements the array holds now; kept apart from the caller's cells,
    // which may be one count shared with the length.
    ULONG m_presentCapacity = 0;
    ULONG m_countLimit = wire::kMaxCount;
    bool m_bMayGrow;
    bool m_bOwnsArray = true;
};

}  // namespace ql
