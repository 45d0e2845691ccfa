#include "reply_writer.h"

#include "serialization/wire_tags.h"

namespace ql::vault {

ReplyWriter::ReplyWriter(HRESULT result) {
    m_out.SetHeader(wire::kRequestTagThreshold, wire::kProtocolVersion);
    m_out.Attach(&m_stream);
    m_out.WriteLong(result);
}

std::string ReplyWriter::Bytes() const {
    const BYTE* data = m_stream.GetBuffer();
    return data == nullptr ? std::string()
                           : std::string(reinterpret_cast<const char*>(data), m_stream.GetLength());
}

}  // namespace ql::vault
