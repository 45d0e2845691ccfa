// Request bodies written with the client's own serializer, and replies read
// with its deserializer, for the vault-server tests.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "byte_stream.h"
#include "bytes.h"
#include "reply_writer.h"
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

// The bytes write puts on the wire, without a stream header (requests and
// replies carry no type tags).
inline ql::test::Bytes Encoded(const std::function<void(CBinarySerializer&)>& write) {
    ReplyWriter writer(S_OK);
    write(writer.Out());
    return ql::test::Bytes(writer.Bytes().begin() + 16, writer.Bytes().end());  // after S_OK
}

// Reads a reply body: read gets the HRESULT after the stream header and
// takes what follows; whether it used the body up exactly.
inline bool ReadsExactly(const std::string& body,
                         const std::function<void(HRESULT, CBinaryDeserializer&)>& read) {
    ByteReadStream stream(Span(body));
    CBinaryDeserializer in(SharedMemMgr());
    in.Attach(&stream, body.size());
    read(in.ReadLong(), in);
    return stream.Position() == body.size();
}

}  // namespace ql::vault::test
