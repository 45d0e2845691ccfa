// A read-only IStream over bytes held elsewhere, rewindable, for feeding
// replies to the deserializer without copying them.
#pragma once

#include <cstddef>
#include <cstring>

#include "support/base/com_types.h"

namespace ql::test {

class MemoryReadStream final : public IStream {
public:
    MemoryReadStream(const void* data, std::size_t size) noexcept
        : m_data(static_cast<const BYTE*>(data)), m_size(size) {}
    MemoryReadStream(const MemoryReadStream&) = delete;
    MemoryReadStream& operator=(const MemoryReadStream&) = delete;
    ~MemoryReadStream() = default;

    void Rewind() noexcept { m_position = 0; }
    std::size_t Position() const noexcept { return m_position; }
    // References taken by readers; the stream lives on the caller's stack.
    LONG References() const noexcept { return m_refs; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_refs); }
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        std::size_t n = m_size - m_position;
        if (cb < n) n = cb;
        if (n != 0) std::memcpy(pv, m_data + m_position, n);
        m_position += n;
        if (pcbRead != nullptr) *pcbRead = static_cast<ULONG>(n);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                     ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    const BYTE* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
    LONG m_refs = 0;
};

}  // namespace ql::test
