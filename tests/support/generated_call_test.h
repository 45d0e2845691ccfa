// The fixture of the tests generated from the catalogue: a repository on a
// scripted transport, with what the generated per-method helpers need:
// argument patterns that the generator reproduces byte for byte, garbage for
// [out] variables the proxies must not read, and a fake DCOM object that
// records what reaches it.
#pragma once

#include <cstdint>
#include <cstring>
#include <future>
#include <initializer_list>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

#include "proxies/call_frame.h"
#include "repository_fixture.h"

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

class GeneratedCallTest : public RepositoryTest {
public:
    CScriptedTransport& Transport() { return *m_transport; }
    CSoapRepository* Repository() { return m_repository; }

    // The call header a request of this family carries before the object
    // has a server object.
    static Bytes FamilyCallHeader(const RemoteFamily& family, std::u16string_view method) {
        return CallHeader(family.clsid, family.iid, method);
    }
    static Bytes ReplyHead(HRESULT result) { return RepositoryTest::ReplyHead(result); }

    // The family interface the object answers for iid (one reference).
    template <class I>
    I* QueryFamily(const IID& iid) {
        void* found = nullptr;
        EXPECT_EQ(S_OK, m_repository->QueryInterface(iid, &found));
        return static_cast<I*>(found);
    }
};

// Holds a lock on a thread of its own until Release, so that a caller that
// tried to take it would wait.
class CallLockHolder {
public:
    explicit CallLockHolder(CCriticalSection& lock)
        : m_thread([this, &lock] {
              lock.Enter();
              m_held.set_value();
              m_release.get_future().wait();
              lock.Leave();
          }) {
        m_held.get_future().wait();
    }
    CallLockHolder(const CallLockHolder&) = delete;
    CallLockHolder& operator=(const CallLockHolder&) = delete;
    ~CallLockHolder() { Release(); }

    void Release() {
        if (!m_thread.joinable()) return;
        m_release.set_value();
        m_thread.join();
    }

private:
    std::promise<void> m_held;
    std::promise<void> m_release;
    std::thread m_thread;  // last: it starts once the promises exist
};

}  // namespace ql::test
