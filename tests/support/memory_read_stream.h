// A read-only IStream over bytes held elsewhere, rewindable, for feeding
// replies to the deserializer without copying them: the transport's reply
// stream, reading from memory instead of from the HTTP library.
#pragma once

#include <cstddef>
#include <cstring>

#include "transport/read_stream_on_internet.h"

namespace ql::test {

class MemoryReadStream final : public CAbsReadStreamOnInternet {
public:
    MemoryReadStream(const void* data, std::size_t size) noexcept
        : m_data(static_cast<const BYTE*>(data)), m_size(size) {
        SetRequest(this);
    }

    void Rewind() noexcept { m_position = 0; }
    std::size_t Position() const noexcept { return m_position; }
    // References taken by readers; the stream lives on the caller's stack.
    LONG References() const noexcept { return m_refs; }

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_refs); }

protected:
    BOOL ReadFromRequest(HttpHandle, void* buffer, ULONG count, ULONG* read) override {
        std::size_t n = count < m_size - m_position ? count : m_size - m_position;
        if (n != 0) std::memcpy(buffer, m_data + m_position, n);
        m_position += n;
        *read = static_cast<ULONG>(n);
        return TRUE;
    }
    void TraceReadFailure(DWORD) override {}

private:
    const BYTE* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
    LONG m_refs = 0;
};

}  // namespace ql::test
