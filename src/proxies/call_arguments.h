// Argument descriptors of the call frame. A proxy passes one descriptor per
// value a request carries, in wire order, then one per value its reply
// carries; the frame then calls, on the HTTP path only and in that order:
//   Prepare(memMgr)  build the holders (nothing touches caller memory before)
//   Write(out)       what is sent ([in] and [in,out])
//   Read(in)         what comes back ([out] and [in,out])
//   Finish()         release the holders, before the call lock is left
// On the DCOM path the caller's arguments pass unchanged and the
// descriptors are never used.
#pragma once

#include <cstring>
#include <optional>

#include "serialization/marshal_holders.h"
#include "serialization/rnsm_event.h"
#include "serialization/wire_types.h"

namespace ql::call {

// A value passed by value: its plain encoding.
template <class W>
class InArg {
public:
    using T = typename W::type;
    explicit InArg(const T& value) noexcept : m_value(value) {}
    void Prepare(ATL::IAtlMemMgr*) noexcept {}
    void Write(CBinarySerializer& out) { W::Write(out, m_value); }
    void Read(CBinaryDeserializer&) noexcept {}
    void Finish() noexcept {}

private:
    const T& m_value;
};

// A zero-terminated wide string argument, sent like a BSTR holding it.
class InWideStringArg {
public:
    explicit InWideStringArg(LPCWSTR value) noexcept : m_value(value) {}
    void Prepare(ATL::IAtlMemMgr*) noexcept {}
    void Write(CBinarySerializer& out) { out.WriteWideString(m_value); }
    void Read(CBinaryDeserializer&) noexcept {}
    void Finish() noexcept {}

private:
    LPCWSTR m_value;
};

// Where a sent array's elements and count come from. Pointer-to-pointer
// and count-by-pointer arguments are read only when the request is
// written: the DCOM path never touches the caller's memory.
template <class T>
class ElementsSource {
public:
    static ElementsSource Direct(const T* elements) noexcept {
        return ElementsSource(const_cast<T*>(elements), nullptr, false);
    }
    static ElementsSource At(T* const* variable) noexcept {
        return ElementsSource(nullptr, variable, true);
    }
    T* Get() const noexcept {
        if (!m_bAt) return m_direct;
        return m_variable != nullptr ? *m_variable : nullptr;
    }

private:
    ElementsSource(T* direct, T* const* variable, bool at) noexcept
        : m_direct(direct), m_variable(variable), m_bAt(at) {}
    T* m_direct;
    T* const* m_variable;
    bool m_bAt;
};

class CountSource {
public:
    static CountSource Value(ULONG count) noexcept { return CountSource(count, nullptr, false); }
    static CountSource At(const ULONG* count) noexcept { return CountSource(0, count, true); }
    static CountSource At(const LONG* count) noexcept {
        return CountSource(0, reinterpret_cast<const ULONG*>(count), true);
    }
    // A null pointer counts nothing.
    ULONG Get() const noexcept {
        if (m_bAt) return m_pointer != nullptr ? *m_pointer : 0;
        return m_value;
    }

private:
    CountSource(ULONG value, const ULONG* pointer, bool at) noexcept
        : m_value(value), m_pointer(pointer), m_bAt(at) {}
    ULONG m_value;
    const ULONG* m_pointer;
    bool m_bAt;
};

// A value sent in its plain encoding from the caller's pointer; a null
// pointer sends the zero value.
template <class W>
class InValueAtArg {
public:
    using T = typename W::type;
    explicit InValueAtArg(const T* pointer) noexcept : m_pointer(pointer) {}
    void Prepare(ATL::IAtlMemMgr*) noexcept {}
    void Write(CBinarySerializer& out) {
        if (m_pointer != nullptr) {
            W::Write(out, *m_pointer);
            return;
        }
        T zero;
        std::memset(static_cast<void*>(&zero), 0, sizeof zero);
        W::Write(out, zero);
    }
    void Read(CBinaryDeserializer&) noexcept {}
    void Finish() noexcept {}

private:
    const T* m_pointer;
};

// A single pointer travelling as a unique pointer: written when kWrite,
// read back when kRead. The caller's pointee is never freed; a null pointer
// travels as absent and whatever the reply carries lands in a temporary.
template <class W, bool kWrite, bool kRead>
class UniquePointerArg {
public:
    using T = typename W::type;
    explicit UniquePointerArg(T* pointer) noexcept
        : m_pointer(ElementsSource<T>::Direct(pointer)) {}
    // The pointee of a caller's pointer variable, read when the call is made.
    explicit UniquePointerArg(ElementsSource<T> pointer) noexcept : m_pointer(pointer) {}
    void Prepare(ATL::IAtlMemMgr* memMgr) {
        m_holder.emplace(ParameterHolder<W>::ForCallerPointer(memMgr, m_pointer.Get()));
    }
    void Write(CBinarySerializer& out) {
        if constexpr (kWrite) m_holder->Write(out);
    }
    void Read(CBinaryDeserializer& in) {
        if constexpr (kRead) m_holder->Read(in);
    }
    void Finish() noexcept { m_holder.reset(); }

private:
    ElementsSource<T> m_pointer;
    std::optional<ParameterHolder<W>> m_holder;
};

// The caller's pointer variable read as a unique pointer: a received
// pointee replaces (and frees) the one the variable held. An [out]
// variable (kClearFirst) holds nothing yet and is set to null first. A null
// variable reads into a cell of the holder's own, freed afterwards.
template <class W>
class UniqueVariableArg {
public:
    using T = typename W::type;
    UniqueVariableArg(T** variable, bool clearFirst) noexcept
        : m_variable(variable), m_bClearFirst(clearFirst) {}
    void Prepare(ATL::IAtlMemMgr* memMgr) noexcept { m_pMemMgr = memMgr; }
    void Write(CBinarySerializer&) noexcept {}
    void Read(CBinaryDeserializer& in) {
        if (m_variable != nullptr && m_bClearFirst) *m_variable = nullptr;
        m_holder.emplace(ParameterHolder<W>::ForPointerVariable(m_pMemMgr, m_variable));
        m_holder->Read(in);
    }
    void Finish() noexcept { m_holder.reset(); }

private:
    T** m_variable;
    bool m_bClearFirst;
    ATL::IAtlMemMgr* m_pMemMgr = nullptr;
    std::optional<ParameterHolder<W>> m_holder;
};

// An [out] value read as its plain encoding into the caller's memory. The
// target is cleared first ([out] memory holds nothing the callee may free);
// a null pointer reads into a temporary that is released afterwards.
template <class W, bool kClearFirst = true>
class OutArg {
public:
    using T = typename W::type;
    explicit OutArg(T* target) noexcept : m_target(target) {}
    void Prepare(ATL::IAtlMemMgr* memMgr) noexcept { m_pMemMgr = memMgr; }
    void Write(CBinarySerializer&) noexcept {}
    void Read(CBinaryDeserializer& in) {
        T* target = m_target;
        if (target == nullptr) {
            std::memset(static_cast<void*>(&m_temporary), 0, sizeof m_temporary);
            m_bUsedTemporary = true;
            target = &m_temporary;
        } else if constexpr (kClearFirst) {
            std::memset(static_cast<void*>(target), 0, sizeof(T));
        }
        W::Read(in, *target);
    }
    void Finish() noexcept {
        if (m_bUsedTemporary) W::Release(m_temporary, m_pMemMgr);
        m_bUsedTemporary = false;
    }

private:
    T* m_target;
    T m_temporary;
    bool m_bUsedTemporary = false;
    ATL::IAtlMemMgr* m_pMemMgr = nullptr;
};

// An array with its count, travelling as one sized array: the caller's
// elements, never grown. A second array that shares the first one's count
// (kZeroWhenNull) is sent with length 0 when the caller gives none.
template <class W>
class ArrayInArg {
public:
    using T = typename W::type;
    ArrayInArg(ElementsSource<T> elements, CountSource count, bool zeroWhenNull) noexcept
        : m_source(elements), m_countSource(count), m_bZeroWhenNull(zeroWhenNull) {}
    void Prepare(ATL::IAtlMemMgr* memMgr) {
        m_elements = m_source.Get();
        m_count = m_countSource.Get();
        if (m_bZeroWhenNull && m_elements == nullptr) m_count = 0;
        m_holder.emplace(memMgr, &m_elements, &m_count, nullptr, false);
    }
    void Write(CBinarySerializer& out) { m_holder->Write(out); }
    void Read(CBinaryDeserializer&) noexcept {}
    void Finish() noexcept { m_holder.reset(); }

private:
    ElementsSource<T> m_source;
    CountSource m_countSource;
    bool m_bZeroWhenNull;
    T* m_elements = nullptr;
    ULONG m_count = 0;
    std::optional<ArrayHolder<W>> m_holder;
};

// A received sized array into the caller's array variable and count (a
// null count: the length is read and not handed back). The array may grow;
// [out] variables (kClearFirst) are emptied first, [in,out] ones keep their
// array and its capacity. An [in,out] array without a count variable of its
// own holds the elements it was sent with (held): those are its capacity, so
// it never shrinks, and what they own is released before the reply refills
// them. The holder is built only when the reply is read, so that what is
// sent before is the caller's own.
template <class W>
class RecvArrayArg {
public:
    using T = typename W::type;
    RecvArrayArg(T** elements, ULONG* count, bool clearFirst,
                 std::optional<CountSource> held = std::nullopt) noexcept
        : m_elements(elements), m_count(count), m_bClearFirst(clearFirst), m_heldSource(held) {}
    void Prepare(ATL::IAtlMemMgr* memMgr) noexcept {
        m_pMemMgr = memMgr;
        if (m_heldSource) m_held = m_heldSource->Get();
    }
    void Write(CBinarySerializer&) noexcept {}
    void Read(CBinaryDeserializer& in) {
        if (m_bClearFirst) {
            if (m_elements != nullptr) *m_elements = nullptr;
            if (m_count != nullptr) *m_count = 0;
        }
        ULONG* count = m_count;
        if (count == nullptr && !m_bClearFirst && m_heldSource) count = &m_held;
        m_holder.emplace(m_pMemMgr, m_elements, count, nullptr, true);
        m_holder->Read(in);
    }
    void Finish() noexcept { m_holder.reset(); }

private:
    T** m_elements;
    ULONG* m_count;
    bool m_bClearFirst;
    std::optional<CountSource> m_heldSource;
    ULONG m_held = 0;
    ATL::IAtlMemMgr* m_pMemMgr = nullptr;
    std::optional<ArrayHolder<W>> m_holder;
};

// A received sized array into a caller's buffer of fixed capacity (a
// single pointer argument): a reply longer than the buffer fails with
// ERROR_INVALID_USER_BUFFER. The count receives the length; an [out] count
// (kClearCount) is set to 0 first so that nothing in the buffer is taken for
// a previous result. A null count gets a zeroed length of the holder's own:
// the buffer's capacity says nothing about what it holds, and its
// uninitialised elements must not be released. A null buffer reads into a
// temporary.
template <class W>
class RecvArrayFixedArg {
public:
    using T = typename W::type;
    RecvArrayFixedArg(T* buffer, ULONG* count, CountSource capacity, bool clearCount) noexcept
        : m_buffer(buffer), m_count(count), m_capacitySource(capacity), m_bClearCount(clearCount) {}
    void Prepare(ATL::IAtlMemMgr* memMgr) noexcept { m_pMemMgr = memMgr; }
    void Write(CBinarySerializer&) noexcept {}
    void Read(CBinaryDeserializer& in) {
        m_capacity = m_buffer != nullptr ? m_capacitySource.Get() : 0;
        if (m_count != nullptr && m_bClearCount) *m_count = 0;
        m_length = 0;
        m_holder.emplace(m_pMemMgr, m_buffer != nullptr ? &m_buffer : nullptr, &m_capacity,
                         m_count != nullptr ? m_count : &m_length, false);
        m_holder->Read(in);
    }
    void Finish() noexcept { m_holder.reset(); }

private:
    T* m_buffer;
    ULONG* m_count;
    CountSource m_capacitySource;
    ULONG m_capacity = 0;
    ULONG m_length = 0;
    bool m_bClearCount;
    ATL::IAtlMemMgr* m_pMemMgr = nullptr;
    std::optional<ArrayHolder<W>> m_holder;
};

// Sources of sent arrays and unique pointers (see ElementsSource).
template <class T>
ElementsSource<T> Elements(const T* elements) noexcept {
    return ElementsSource<T>::Direct(elements);
}
template <class T>
ElementsSource<T> ElementsAt(T* const* variable) noexcept {
    return ElementsSource<T>::At(variable);
}
inline CountSource Count(ULONG count) noexcept { return CountSource::Value(count); }
inline CountSource Count(LONG count) noexcept {
    return CountSource::Value(static_cast<ULONG>(count));
}
inline CountSource CountAt(const ULONG* count) noexcept { return CountSource::At(count); }
inline CountSource CountAt(const LONG* count) noexcept { return CountSource::At(count); }
// A buffer capacity given as a signed count; a negative one holds nothing.
inline CountSource Capacity(LONG count) noexcept {
    return CountSource::Value(count > 0 ? static_cast<ULONG>(count) : 0u);
}
// A caller's 32-bit count variable as the holders' count cell.
inline ULONG* CountCell(ULONG* count) noexcept { return count; }
inline ULONG* CountCell(LONG* count) noexcept { return reinterpret_cast<ULONG*>(count); }

template <class W>
InArg<W> In(const typename W::type& value) {
    return InArg<W>(value);
}
inline InWideStringArg InWideString(LPCWSTR value) { return InWideStringArg(value); }
template <class W>
InValueAtArg<W> InValueAt(const typename W::type* pointer) {
    return InValueAtArg<W>(pointer);
}
// [in] record or scalar passed by pointer.
template <class W>
UniquePointerArg<W, true, false> InPtr(const typename W::type* pointer) {
    return UniquePointerArg<W, true, false>(const_cast<typename W::type*>(pointer));
}
// Read back as a unique pointer into the caller's pointee only.
template <class W>
UniquePointerArg<W, false, true> RecvUnique(typename W::type* pointer) {
    return UniquePointerArg<W, false, true>(pointer);
}
template <class W>
UniqueVariableArg<W> RecvUniqueVariable(typename W::type** variable, bool clearFirst) {
    return UniqueVariableArg<W>(variable, clearFirst);
}
template <class W>
RecvArrayArg<W> RecvArray(typename W::type** elements, ULONG* count, bool clearFirst) {
    return RecvArrayArg<W>(elements, count, clearFirst);
}
// An [in,out] array variable without a count of its own, sent with held
// elements.
template <class W>
RecvArrayArg<W> RecvArrayHolding(typename W::type** elements, CountSource held) {
    return RecvArrayArg<W>(elements, nullptr, false, held);
}
template <class W>
RecvArrayFixedArg<W> RecvArrayFixed(typename W::type* buffer, ULONG* count, CountSource capacity,
                                    bool clearCount) {
    return RecvArrayFixedArg<W>(buffer, count, capacity, clearCount);
}
template <class W>
OutArg<W> Out(typename W::type* target) {
    return OutArg<W>(target);
}
// [out] value whose target already holds a valid value that the reader
// releases before replacing it (a BSTR the object owns, for example).
template <class W>
OutArg<W, false> OutReplacing(typename W::type* target) {
    return OutArg<W, false>(target);
}
template <class W>
ArrayInArg<W> ArrayIn(ElementsSource<typename W::type> elements, CountSource count) {
    return ArrayInArg<W>(elements, count, false);
}
// A second array sent with the first array's count.
template <class W>
ArrayInArg<W> ArrayInSharedCount(ElementsSource<typename W::type> elements, CountSource count) {
    return ArrayInArg<W>(elements, count, true);
}
// [in] pointee of a caller's pointer variable, as a unique pointer.
template <class W>
UniquePointerArg<W, true, false> InPtrAt(typename W::type* const* variable) {
    return UniquePointerArg<W, true, false>(ElementsSource<typename W::type>::At(variable));
}
// The event chain, the last [in,out] argument of almost every method. The
// caller's head node is kept; the nodes it had behind it are freed and the
// reply's further nodes become the caller's.
inline UniquePointerArg<wire::Event, true, true> Event(_RNSM_EVENT* head) {
    return UniquePointerArg<wire::Event, true, true>(head);
}
// The same chain, sent and read back by two descriptors (the send list and
// the receive list of a generated proxy).
inline UniquePointerArg<wire::Event, true, false> SendEvent(_RNSM_EVENT* head) {
    return UniquePointerArg<wire::Event, true, false>(head);
}
inline UniquePointerArg<wire::Event, false, true> RecvEvent(_RNSM_EVENT* head) {
    return UniquePointerArg<wire::Event, false, true>(head);
}

}  // namespace ql::call
