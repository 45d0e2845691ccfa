#include "serialization/read_write_binary_stream.h"

#include <cstdint>
#include <cstring>

#include "support/base/hresults.h"
#include "support/shared_state/process_heap.h"

namespace ql {

CReadWriteBinaryStream::~CReadWriteBinaryStream() { ResetBuffer(); }

HRESULT CReadWriteBinaryStream::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return hr::kPointer;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStream) ||
        IsEqualIID(riid, IID_ISequentialStream)) {
        AddRef();
        *ppv = static_cast<IStream*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return hr::kNoInterface;
}

ULONG CReadWriteBinaryStream::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }

ULONG CReadWriteBinaryStream::Release() {
    LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT CReadWriteBinaryStream::Read(void* pv, ULONG cb, ULONG* pcbRead) {
    if (pv == nullptr) return hr::kInvalidArg;
    if (pcbRead != nullptr) *pcbRead = 0;
    if (m_cbReadPosition >= m_cbLength) return S_OK;
    ULONG n = m_cbLength - m_cbReadPosition;
    if (cb < n) n = cb;
    std::memcpy(pv, m_pBuffer + m_cbReadPosition, n);
    m_cbReadPosition += n;
    if (pcbRead != nullptr) *pcbRead = n;
    return S_OK;
}

HRESULT CReadWriteBinaryStream::Write(const void*, ULONG, ULONG*) { return hr::kNotImpl; }
HRESULT CReadWriteBinaryStream::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) { return hr::kNotImpl; }
HRESULT CReadWriteBinaryStream::SetSize(ULARGE_INTEGER) { return hr::kNotImpl; }
HRESULT CReadWriteBinaryStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) {
    return hr::kNotImpl;
}
HRESULT CReadWriteBinaryStream::Commit(DWORD) { return hr::kNotImpl; }
HRESULT CReadWriteBinaryStream::Revert() { return hr::kNotImpl; }
HRESULT CReadWriteBinaryStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return hr::kNotImpl;
}
HRESULT CReadWriteBinaryStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return hr::kNotImpl;
}
HRESULT CReadWriteBinaryStream::Stat(STATSTG*, DWORD) { return hr::kNotImpl; }
HRESULT CReadWriteBinaryStream::Clone(IStream**) { return hr::kNotImpl; }

HRESULT CReadWriteBinaryStream::WriteStream(LPCSTR data, int count, LPDWORD written) {
    if (data == nullptr) return hr::kInvalidArg;
    std::size_t length = count >= 0 ? static_cast<std::size_t>(count) : std::strlen(data);
    if (length > 0xFFFFFFFFu) return hr::kOutOfMemory;
    auto bytes = static_cast<ULONG>(length);
    if (FAILED(EnsureCapacity(bytes))) return hr::kOutOfMemory;
    if (bytes > 0) {
        std::memcpy(m_pBuffer + m_cbLength, data, bytes);
        m_cbLength += bytes;
    }
    if (written != nullptr) *written = bytes;
    return S_OK;
}

HRESULT CReadWriteBinaryStream::FlushStream() { return S_OK; }

void CReadWriteBinaryStream::ResetBuffer() noexcept {
    TqlFree(m_pBuffer);
    m_pBuffer = nullptr;
    m_cbCapacity = 0;
    m_cbLength = 0;
    m_cbReadPosition = 0;
}

HRESULT CReadWriteBinaryStream::EnsureCapacity(ULONG extra) noexcept {
    if (extra == 0) return S_OK;
    if (m_cbCapacity - m_cbLength >= extra) return S_OK;
    // Computed in 64 bits: a body that would pass 4 GiB cannot be built.
    const std::uint64_t unit = m_cbGrowthUnit;
    const std::uint64_t needed = std::uint64_t{m_cbLength} + extra;
    std::uint64_t newCapacity = (needed + unit - 1) / unit * unit;
    // Growing one unit at a time would copy a large body once per unit;
    // doubling keeps the copying linear in the body's size. The first
    // allocation is still exactly one unit and the 65,537th byte still
    // yields two.
    const std::uint64_t doubled = std::uint64_t{m_cbCapacity} * 2;
    if (doubled > newCapacity) newCapacity = doubled;
    constexpr std::uint64_t kMaxCapacity = 0xFFFF0000u;
    if (newCapacity > kMaxCapacity) newCapacity = (needed + unit - 1) / unit * unit;
    if (newCapacity > kMaxCapacity) return hr::kOutOfMemory;
    void* grown = TqlReAlloc(m_pBuffer, static_cast<std::size_t>(newCapacity));
    if (grown == nullptr) return hr::kOutOfMemory;
    m_pBuffer = static_cast<BYTE*>(grown);
    m_cbCapacity = static_cast<ULONG>(newCapacity);
    return S_OK;
}

}  // namespace ql
