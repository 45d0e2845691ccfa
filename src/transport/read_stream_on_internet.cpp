#include "transport/read_stream_on_internet.h"

#include "support/base/hresults.h"
#include "support/base/win32_errors.h"
#include "support/platform/system_wrappers.h"

namespace ql {

HRESULT CAbsReadStreamOnInternet::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return hr::kPointer;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStream) ||
        IsEqualIID(riid, IID_ISequentialStream)) {
        *ppv = static_cast<IStream*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return hr::kNoInterface;
}

ULONG CAbsReadStreamOnInternet::AddRef() { return 1; }

ULONG CAbsReadStreamOnInternet::Release() { return 1; }

HRESULT CAbsReadStreamOnInternet::Read(void* pv, ULONG cb, ULONG* pcbRead) {
    ULONG read = 0;
    if (pcbRead == nullptr) pcbRead = &read;
    *pcbRead = 0;
    if (m_hRequest == nullptr) {
        // The request was closed: nothing more can come from it.
        _SetLastError(kTqlErrorInvalidHandle);
        return hr::kReadFault;
    }
    if (ReadFromRequest(m_hRequest, pv, cb, pcbRead)) return S_OK;
    DWORD error = _GetLastError();
    TraceReadFailure(error);
    _SetLastError(error);
    *pcbRead = 0;
    return error == kTqlErrorWinHttpTimeout ? hr::kDisconnected : hr::kReadFault;
}

HRESULT CAbsReadStreamOnInternet::Write(const void*, ULONG, ULONG*) { return hr::kNotImpl; }
HRESULT CAbsReadStreamOnInternet::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) {
    return hr::kNotImpl;
}
HRESULT CAbsReadStreamOnInternet::SetSize(ULARGE_INTEGER) { return hr::kNotImpl; }
HRESULT CAbsReadStreamOnInternet::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                         ULARGE_INTEGER*) {
    return hr::kNotImpl;
}
HRESULT CAbsReadStreamOnInternet::Commit(DWORD) { return hr::kNotImpl; }
HRESULT CAbsReadStreamOnInternet::Revert() { return hr::kNotImpl; }
HRESULT CAbsReadStreamOnInternet::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return hr::kNotImpl;
}
HRESULT CAbsReadStreamOnInternet::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return hr::kNotImpl;
}
HRESULT CAbsReadStreamOnInternet::Stat(STATSTG*, DWORD) { return hr::kNotImpl; }
HRESULT CAbsReadStreamOnInternet::Clone(IStream**) { return hr::kNotImpl; }

}  // namespace ql
