// The few ATL building blocks the call path is written against: the
// exception that carries an HRESULT, the memory-manager interface with its
// COM task allocator implementation, and the append-only write stream.
#pragma once

#include <cstddef>

#include "support/base/com_types.h"

namespace ATL {

// Thrown inside a remote call; caught and turned into the call's HRESULT at
// the proxy boundary. Never crosses a COM entry point.
class CAtlException {
public:
    explicit CAtlException(HRESULT hr) noexcept : m_hr(hr) {}
    operator HRESULT() const noexcept { return m_hr; }
    HRESULT Result() const noexcept { return m_hr; }

private:
    HRESULT m_hr;
};

[[noreturn]] inline void AtlThrow(HRESULT hr) { throw CAtlException(hr); }

struct IAtlMemMgr {
    virtual void* Allocate(std::size_t bytes) = 0;
    virtual void Free(void* p) = 0;
    virtual void* Reallocate(void* p, std::size_t bytes) = 0;

protected:
    ~IAtlMemMgr() = default;
};

// The COM task allocator: what it hands out is freed by callers with
// CoTaskMemFree.
class CComHeap final : public IAtlMemMgr {
public:
    void* Allocate(std::size_t bytes) override { return CoTaskMemAlloc(bytes); }
    void Free(void* p) override { CoTaskMemFree(p); }
    void* Reallocate(void* p, std::size_t bytes) override { return CoTaskMemRealloc(p, bytes); }
};

struct IWriteStream {
    virtual HRESULT WriteStream(LPCSTR data, int count, LPDWORD written) = 0;
    virtual HRESULT FlushStream() = 0;

protected:
    ~IWriteStream() = default;
};

}  // namespace ATL

namespace ql {

// The one process-wide memory manager of the call path.
ATL::IAtlMemMgr* SharedMemMgr();

}  // namespace ql
