// The body of a successful reply: the stream header the server writes
// (version 0x00060001, tag threshold 255: no type tags), the method's
// HRESULT, then the out-values through Out().
#pragma once

#include <string>

#include "serialization/binary_serializer.h"
#include "serialization/read_write_binary_stream.h"

namespace ql::vault {

class ReplyWriter {
public:
    explicit ReplyWriter(HRESULT result);
    ReplyWriter(const ReplyWriter&) = delete;
    ReplyWriter& operator=(const ReplyWriter&) = delete;
    ~ReplyWriter() { m_out.Detach(); }

    CBinarySerializer& Out() noexcept { return m_out; }
    // The bytes written so far.
    std::string Bytes() const;

private:
    CReadWriteBinaryStream m_stream;
    CBinarySerializer m_out;
};

}  // namespace ql::vault
