// Builds reply bodies with the library's own writer, with any header.
#pragma once

#include "bytes.h"
#include "serialization/binary_serializer.h"
#include "serialization/read_write_binary_stream.h"

namespace ql::test {

class ReplyBuilder {
public:
    explicit ReplyBuilder(LONG threshold = 255, ULONG version = 0x00060001);
    ~ReplyBuilder();
    ReplyBuilder(const ReplyBuilder&) = delete;
    ReplyBuilder& operator=(const ReplyBuilder&) = delete;

    CBinarySerializer& Out() { return m_out; }
    Bytes Body() const;

private:
    CReadWriteBinaryStream* m_stream;
    CBinarySerializer m_out;
};

}  // namespace ql::test
