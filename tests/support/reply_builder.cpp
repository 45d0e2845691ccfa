#include "reply_builder.h"

namespace ql::test {

ReplyBuilder::ReplyBuilder(LONG threshold, ULONG version) : m_stream(new CReadWriteBinaryStream()) {
    m_out.SetHeader(threshold, version);
    m_out.Attach(m_stream);
}

ReplyBuilder::~ReplyBuilder() { m_stream->Release(); }

Bytes ReplyBuilder::Body() const {
    return Bytes(m_stream->GetBuffer(), m_stream->GetBuffer() + m_stream->GetLength());
}

}  // namespace ql::test
