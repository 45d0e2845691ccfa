// The body of a successful reply: the stream header the server writes
// (version 0x00060001, tag threshold 255: no type tags), the method's
// HRESULT, then the out-values through Out().
#pragma once

#include <string>

#include "serialization/binary_serializer.h"

namespace ql::vault {

class ReplyWriter {
public:
    explicit ReplyWriter(HRESULT result);
    ReplyWriter(const ReplyWriter&) = delete;
    ReplyWriter& operator=(const ReplyWriter&) = delete;
    ~ReplyWriter() { m_out.Detach(); }

    CBinarySerializer& Out() noexcept { return m_out; }
    // The bytes written so far.
    const std::string& Bytes() const noexcept { return m_stream.bytes; }

private:
    // Appends to a string: replies are small and built once per request, so
    // they stay off the library's zero-filling shared heap.
    struct StringStream final : ATL::IWriteStream {
        HRESULT WriteStream(LPCSTR data, int count, LPDWORD written) override;
        HRESULT FlushStream() override { return S_OK; }
        std::string bytes;
    };

    StringStream m_stream;
    CBinarySerializer m_out;
};

}  // namespace ql::vault
