// Argument descriptors of the call frame. A proxy wraps each argument as
// the descriptor of its direction and shape; the frame then calls, on the
// HTTP path only and in declaration order:
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

// A single pointer sent as a unique pointer, and read back as one when
// kReadBack ([in,out]). The caller's pointee is never freed; a null pointer
// travels as absent and whatever the reply carries lands in a temporary.
template <class W, bool kReadBack>
class UniquePointerArg {
public:
    using T = typename W::type;
    explicit UniquePointerArg(T* pointer) noexcept : m_pointer(pointer) {}
    void Prepare(ATL::IAtlMemMgr* memMgr) {
        m_holder.emplace(ParameterHolder<W>::ForCallerPointer(memMgr, m_pointer));
    }
    void Write(CBinarySerializer& out) { m_holder->Write(out); }
    void Read(CBinaryDeserializer& in) {
        if constexpr (kReadBack) m_holder->Read(in);
    }
    void Finish() noexcept { m_holder.reset(); }

private:
    T* m_pointer;
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

// An array with its count, travelling as one sized array. [in]: the
// caller's elements, never grown. [in,out]: the caller's array pointer and
// count variables; the reply may replace the array by a larger one from the
// call's memory manager.
template <class W>
class ArrayInArg {
public:
    using T = typename W::type;
    ArrayInArg(const T* elements, ULONG count) noexcept
        : m_elements(const_cast<T*>(elements)), m_count(count) {}
    void Prepare(ATL::IAtlMemMgr* memMgr) {
        m_holder.emplace(memMgr, &m_elements, &m_count, nullptr, false);
    }
    void Write(CBinarySerializer& out) { m_holder->Write(out); }
    void Read(CBinaryDeserializer&) noexcept {}
    void Finish() noexcept { m_holder.reset(); }

private:
    T* m_elements;
    ULONG m_count;
    std::optional<ArrayHolder<W>> m_holder;
};

template <class W>
class ArrayInOutArg {
public:
    using T = typename W::type;
    ArrayInOutArg(T** elements, ULONG* count) noexcept : m_elements(elements), m_count(count) {}
    void Prepare(ATL::IAtlMemMgr* memMgr) {
        m_holder.emplace(memMgr, m_elements, m_count, nullptr, true);
    }
    void Write(CBinarySerializer& out) { m_holder->Write(out); }
    void Read(CBinaryDeserializer& in) { m_holder->Read(in); }
    void Finish() noexcept { m_holder.reset(); }

private:
    T** m_elements;
    ULONG* m_count;
    std::optional<ArrayHolder<W>> m_holder;
};

template <class W>
InArg<W> In(const typename W::type& value) {
    return InArg<W>(value);
}
inline InWideStringArg InWideString(LPCWSTR value) { return InWideStringArg(value); }
// [in] record or scalar passed by pointer.
template <class W>
UniquePointerArg<W, false> InPtr(const typename W::type* pointer) {
    return UniquePointerArg<W, false>(const_cast<typename W::type*>(pointer));
}
// [in,out] record or scalar passed by pointer.
template <class W>
UniquePointerArg<W, true> InOut(typename W::type* pointer) {
    return UniquePointerArg<W, true>(pointer);
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
ArrayInArg<W> ArrayIn(const typename W::type* elements, ULONG count) {
    return ArrayInArg<W>(elements, count);
}
template <class W>
ArrayInOutArg<W> ArrayInOut(typename W::type** elements, ULONG* count) {
    return ArrayInOutArg<W>(elements, count);
}
// The event chain, the last [in,out] argument of almost every method. The
// caller's head node is kept; the nodes it had behind it are freed and the
// reply's further nodes become the caller's.
inline UniquePointerArg<wire::Event, true> Event(_RNSM_EVENT* head) {
    return UniquePointerArg<wire::Event, true>(head);
}

}  // namespace ql::call
