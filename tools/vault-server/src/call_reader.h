// The request side of one call: the body's stream header and call header,
// then the in-parameters through In(). Every malformed body surfaces as
// ATL::CAtlException from the constructor or a read.
#pragma once

#include <span>
#include <string>

#include "byte_stream.h"
#include "serialization/binary_deserializer.h"

namespace ql::vault {

struct CallHeader {
    std::string objectId;  // UTF-8; empty when the client holds none
    CLSID clsid{};
    IID iid{};
    std::string method;  // UTF-8
};

class CallReader {
public:
    // Reads and checks the 12-byte stream header and the call header.
    explicit CallReader(std::span<const unsigned char> body);
    CallReader(const CallReader&) = delete;
    CallReader& operator=(const CallReader&) = delete;

    const CallHeader& Header() const noexcept { return m_header; }
    CBinaryDeserializer& In() noexcept { return m_in; }
    // True when every byte of the body has been read.
    bool AtEnd() const noexcept { return m_stream.Position() == m_size; }

private:
    // Declared before the deserializer, which holds a reference to it.
    ByteReadStream m_stream;
    std::size_t m_size;
    CBinaryDeserializer m_in;
    CallHeader m_header;
};

// The text of a wire string as UTF-8 (null and empty give "").
std::string ReadUtf8String(CBinaryDeserializer& in);

}  // namespace ql::vault
