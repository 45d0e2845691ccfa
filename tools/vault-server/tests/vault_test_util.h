// Request bodies written with the client's own serializer, and replies read
// with its deserializer, for the vault-server tests.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "byte_stream.h"
#include "catalogue/method_tables.h"
#include "serialization/binary_deserializer.h"
#include "serialization/binary_serializer.h"
#include "serialization/read_write_binary_stream.h"
#include "serialization/wire_tags.h"
#include "support/base/wide_string.h"

namespace ql::vault::test {

inline constexpr IID kPersist = {
    0x757F4FF4, 0x1FD0, 0x4B4A, {0x8C, 0xEE, 0x42, 0xFF, 0x31, 0xCD, 0x6A, 0x6D}};

inline std::span<const unsigned char> Span(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

// A call body: stream header, call header, then what args writes.
inline std::string CallBody(const std::string& objectId, const IID& iid, const std::string& method,
                            const std::function<void(CBinarySerializer&)>& args = {}) {
    CReadWriteBinaryStream stream;
    CBinarySerializer out;
    out.SetHeader(wire::kRequestTagThreshold, wire::kProtocolVersion);
    out.Attach(&stream);
    out.WriteWideString(objectId.empty() ? nullptr : WidenAscii(objectId).c_str());
    out.WriteGuid(CLSID{});
    out.WriteGuid(iid);
    out.WriteWideString(WidenAscii(method).c_str());
    if (args) args(out);
    out.Detach();
    return std::string(reinterpret_cast<const char*>(stream.GetBuffer()), stream.GetLength());
}

// Reads a reply body: header, HRESULT, then what read takes; fails the
// test (through the returned flag) unless the body is used up exactly.
class ReplyReader {
public:
    explicit ReplyReader(const std::string& body)
        : m_body(body), m_stream(Span(m_body)), m_in(SharedMemMgr()) {
        m_in.Attach(&m_stream, m_body.size());
        m_result = m_in.ReadLong();
    }
    ~ReplyReader() { m_in.Detach(); }
    HRESULT Result() const { return m_result; }
    CBinaryDeserializer& In() { return m_in; }
    bool AtEnd() const { return m_stream.Position() == m_body.size(); }

private:
    std::string m_body;
    ByteReadStream m_stream;
    CBinaryDeserializer m_in;
    HRESULT m_result = 0;
};

}  // namespace ql::vault::test
