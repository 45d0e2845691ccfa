#include "call_reader.h"

#include "support/base/unique_bstr.h"
#include "support/base/wide_string.h"

namespace ql::vault {

std::string ReadUtf8String(CBinaryDeserializer& in) {
    CUniqueBstr text;
    in.ReadBstr(*text.Address());
    if (text.IsNull()) return {};
    return ToUtf8(WStringView(text.Get(), SysStringLen(text.Get())));
}

CallReader::CallReader(std::span<const unsigned char> body)
    : m_stream(body), m_size(body.size()), m_in(SharedMemMgr()) {
    m_in.Attach(&m_stream, body.size());
    m_header.objectId = ReadUtf8String(m_in);
    m_in.ReadGuid(m_header.clsid);
    m_in.ReadGuid(m_header.iid);
    m_header.method = ReadUtf8String(m_in);
}

}  // namespace ql::vault
