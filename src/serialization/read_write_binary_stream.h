// The growable in-memory buffer into which a request body is written. It is
// read back through IStream::Read and appended to through
// ATL::IWriteStream; every other IStream operation answers E_NOTIMPL.
#pragma once

#include "support/base/atl_types.h"
#include "support/base/com_types.h"

namespace ql {

class CReadWriteBinaryStream final : public IStream, public ATL::IWriteStream {
public:
    // Capacity granularity; the capacity is always a multiple of it.
    static constexpr ULONG kGrowthUnit = 0x10000;

    CReadWriteBinaryStream() noexcept = default;
    CReadWriteBinaryStream(const CReadWriteBinaryStream&) = delete;
    CReadWriteBinaryStream& operator=(const CReadWriteBinaryStream&) = delete;
    ~CReadWriteBinaryStream();

    // IUnknown. The object starts with one reference.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ISequentialStream
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;

    // IStream
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* newPosition) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override;
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override;
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Revert() override;
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb,
                                         DWORD lockType) override;
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb,
                                           DWORD lockType) override;
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;

    // ATL::IWriteStream. A negative count means data is a zero-terminated
    // narrow string.
    HRESULT WriteStream(LPCSTR data, int count, LPDWORD written) override;
    HRESULT FlushStream() override;

    // Frees the buffer; length, capacity and read position return to 0.
    void ResetBuffer() noexcept;
    // Empties the stream and keeps its buffer for the next writes.
    void Rewind() noexcept {
        m_cbLength = 0;
        m_cbReadPosition = 0;
    }
    // Makes room for extra more bytes after the current length. S_OK, or
    // E_OUTOFMEMORY with everything unchanged.
    HRESULT EnsureCapacity(ULONG extra) noexcept;

    const BYTE* GetBuffer() const noexcept { return m_pBuffer; }
    ULONG GetLength() const noexcept { return m_cbLength; }
    ULONG GetCapacity() const noexcept { return m_cbCapacity; }

private:
    LONG m_cRef = 1;
    ULONG m_cbGrowthUnit = kGrowthUnit;
    BYTE* m_pBuffer = nullptr;
    ULONG m_cbCapacity = 0;
    ULONG m_cbLength = 0;
    ULONG m_cbReadPosition = 0;
};

}  // namespace ql
