// The read-only stream through which the deserializer reads a reply body
// straight from the HTTP library. The transport owns it for its whole life:
// reference counting does nothing, and only Read does anything.
#pragma once

#include "support/base/com_types.h"
#include "transport/http_types.h"

namespace ql {

class CAbsReadStreamOnInternet : public IStream {
public:
    CAbsReadStreamOnInternet() = default;
    CAbsReadStreamOnInternet(const CAbsReadStreamOnInternet&) = delete;
    CAbsReadStreamOnInternet& operator=(const CAbsReadStreamOnInternet&) = delete;

    // IUnknown, IStream and ISequentialStream, without an added reference.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    // Always 1: the stream is never deleted through its interface.
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // One read of the library on the current request. S_OK whatever number of
    // bytes it delivered (0 at the end of the body); on failure
    // RPC_E_DISCONNECTED for a time-out (12002), else ERROR_READ_FAULT.
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    // The stream only reads forward: everything else is E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
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
    virtual ~CAbsReadStreamOnInternet() = default;

    void SetRequest(HttpHandle request) noexcept { m_hRequest = request; }
    HttpHandle Request() const noexcept { return m_hRequest; }
    // Called when the transport closes request: a closed handle is never read.
    void ForgetRequest(HttpHandle request) noexcept {
        if (m_hRequest == request) m_hRequest = nullptr;
    }

protected:
    // The library's read: TRUE on success with *read set (0 at the end of the
    // body); FALSE with the error as the thread's last error.
    virtual BOOL ReadFromRequest(HttpHandle request, void* buffer, ULONG count, ULONG* read) = 0;
    // Traces a failed read of the library at level 1.
    virtual void TraceReadFailure(DWORD error) = 0;

private:
    HttpHandle m_hRequest = nullptr;
};

}  // namespace ql
