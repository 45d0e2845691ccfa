#include "reply_writer.h"

#include <cstring>

#include "serialization/wire_tags.h"

namespace ql::vault {

HRESULT ReplyWriter::StringStream::WriteStream(LPCSTR data, int count, LPDWORD written) {
    // A negative count means a zero-terminated text.
    std::size_t size = count < 0 ? std::strlen(data) : static_cast<std::size_t>(count);
    bytes.append(data, size);
    if (written != nullptr) *written = static_cast<DWORD>(size);
    return S_OK;
}

ReplyWriter::ReplyWriter(HRESULT result) {
    m_out.SetHeader(wire::kRequestTagThreshold, wire::kProtocolVersion);
    m_out.Attach(&m_stream);
    m_out.WriteLong(result);
}

}  // namespace ql::vault
