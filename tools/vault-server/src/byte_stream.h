// A read-only IStream over bytes held elsewhere: how the server hands a
// request body to the deserializer without copying it.
#pragma once

#include <cstddef>
#include <span>

#include "support/base/com_types.h"

namespace ql::vault {

class ByteReadStream final : public IStream {
public:
    explicit ByteReadStream(std::span<const unsigned char> bytes) noexcept : m_bytes(bytes) {}
    ByteReadStream(const ByteReadStream&) = delete;
    ByteReadStream& operator=(const ByteReadStream&) = delete;
    ~ByteReadStream() = default;

    std::size_t Position() const noexcept { return m_position; }
    void SetPosition(std::size_t position) noexcept { m_position = position; }

    // The stream lives on the caller's stack; references are only counted.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_refs); }
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override;
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
    std::span<const unsigned char> m_bytes;
    std::size_t m_position = 0;
    LONG m_refs = 0;
};

}  // namespace ql::vault
