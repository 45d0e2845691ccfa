#include "byte_stream.h"

#include <cstring>

namespace ql::vault {

HRESULT ByteReadStream::QueryInterface(REFIID, void** ppv) {
    if (ppv != nullptr) *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT ByteReadStream::Read(void* pv, ULONG cb, ULONG* pcbRead) {
    std::size_t n = m_bytes.size() - m_position;
    if (cb < n) n = cb;
    if (n != 0) std::memcpy(pv, m_bytes.data() + m_position, n);
    m_position += n;
    if (pcbRead != nullptr) *pcbRead = static_cast<ULONG>(n);
    return S_OK;
}

}  // namespace ql::vault
