// Helpers of the tests generated from the catalogue: argument patterns that
// the generator reproduces byte for byte, garbage for [out] variables the
// proxies must not read, and a fake DCOM object that records what reaches
// it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <vector>

#include "bytes.h"
#include "support/base/com_types.h"

namespace ql::test {

// What an [out] variable holds before the call: nothing the proxy may free
// or read.
template <class T>
T* GarbagePointer() noexcept {
    return reinterpret_cast<T*>(static_cast<std::uintptr_t>(0xCDCDCDCDCDCDCDCDull));
}
inline void FillGarbage(void* target, std::size_t size) { std::memset(target, 0xCD, size); }

// count zeroed elements from the COM task allocator (the reply may
// reallocate them).
template <class T>
T* AllocZeroed(std::size_t count) {
    void* block = CoTaskMemAlloc(count * sizeof(T));
    if (block != nullptr) std::memset(block, 0, count * sizeof(T));
    return static_cast<T*>(block);
}

inline std::u16string BstrText(BSTR value) {
    std::u16string text;
    for (const OLECHAR* c = value; c != nullptr && *c != 0; ++c)
        text.push_back(static_cast<char16_t>(*c));
    return text;
}

// A stand-in for a pointer argument on the DCOM path: never dereferenced.
template <class T>
T FakePointer(unsigned index) noexcept {
    return reinterpret_cast<T>(static_cast<std::uintptr_t>(0x10000u + 0x10u * index));
}

// A digest of one argument as it reached the remote object: the address of
// a pointer, the value of a number, the bytes of a record passed by value.
template <class T>
std::uint64_t ArgDigest(const T& value) noexcept {
    if constexpr (std::is_pointer_v<T>) {
        return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(value));
    } else if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T>) {
        return static_cast<std::uint64_t>(value);
    } else {
        std::uint64_t hash = 1469598103934665603ull;
        const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
        for (std::size_t i = 0; i < sizeof value; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
        return hash;
    }
}

// The calls a fake remote object received.
struct RemoteCallLog {
    int calls = 0;
    int slot = -1;
    std::vector<std::uint64_t> args;
    void Record(int calledSlot, std::initializer_list<std::uint64_t> digests) {
        ++calls;
        slot = calledSlot;
        args.assign(digests);
    }
};

// The HRESULT a fake remote method returns: a success code naming its slot.
inline HRESULT FakeRemoteResult(int slot) noexcept {
    return static_cast<HRESULT>(0x00040000 + slot);
}

// IUnknown of a fake remote object living on the test's stack.
template <class I>
class FakeRemoteBase : public I {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_refs); }

    RemoteCallLog log;

protected:
    ~FakeRemoteBase() = default;

private:
    long m_refs = 1;
};

}  // namespace ql::test
