#include "serialization/binary_serializer.h"

#include "support/base/hresults.h"
#include "support/base/wide_string.h"

namespace ql {

bool CBinarySerializer::SetHeader(LONG threshold, ULONG version) noexcept {
    if (m_bHeaderSet) return false;
    m_lThreshold = threshold;
    m_dwVersion = version;
    m_bHeaderSet = true;
    return true;
}

void CBinarySerializer::Attach(ATL::IWriteStream* stream) {
    m_pStream = nullptr;
    if (stream == nullptr) ATL::AtlThrow(hr::kPointer);
    m_pStream = stream;
    const ULONG header[3] = {wire::kHeaderSize, m_dwVersion, static_cast<ULONG>(m_lThreshold)};
    WriteRaw(header, sizeof header);
}

void CBinarySerializer::RequireReady() const {
    if (!m_bHeaderSet || m_pStream == nullptr) ATL::AtlThrow(hr::kNotReady);
}

void CBinarySerializer::WriteTag(ULONG tag) {
    RequireReady();
    if (m_lThreshold > static_cast<LONG>(tag)) return;
    WriteRaw(&tag, sizeof tag);
}

void CBinarySerializer::WriteRaw(const void* bytes, ULONG count) {
    RequireReady();
    if (count > static_cast<ULONG>(0x7FFFFFFF)) ATL::AtlThrow(hr::kInvalidArg);
    DWORD written = 0;
    HRESULT result =
        m_pStream->WriteStream(static_cast<LPCSTR>(bytes), static_cast<int>(count), &written);
    if (FAILED(result)) ATL::AtlThrow(result);
    if (written != count) ATL::AtlThrow(hr::kWriteFault);
}

void CBinarySerializer::WriteBstr(BSTR value) {
    WriteTag(wire::kTagBstr);
    if (value == nullptr) {
        WriteULong(0);
        return;
    }
    ULONG bytes = SysStringByteLen(value);
    if (bytes > 0xFFFFFFFFu - sizeof(OLECHAR)) ATL::AtlThrow(hr::kInvalidArg);
    ULONG count = bytes + sizeof(OLECHAR);
    WriteULong(count);
    WriteTag(wire::kTagByteRun);
    WriteRaw(value, count);
}

void CBinarySerializer::WriteWideString(LPCWSTR value) {
    WriteTag(wire::kTagBstr);
    if (value == nullptr) {
        WriteULong(0);
        return;
    }
    std::size_t chars = WideLength(value);
    if (chars > (0x7FFFFFFFu / sizeof(OLECHAR)) - 1) ATL::AtlThrow(hr::kInvalidArg);
    auto count = static_cast<ULONG>((chars + 1) * sizeof(OLECHAR));
    WriteULong(count);
    WriteTag(wire::kTagByteRun);
    WriteRaw(value, count);
}

void CBinarySerializer::WriteGuid(const GUID& value) {
    WriteTag(wire::kTagGuid);
    WriteRaw(&value, sizeof value);
}

void CBinarySerializer::WriteSystemTime(const SYSTEMTIME& value) {
    WriteTag(wire::kTagSystemTime);
    WriteRaw(&value, sizeof value);
}

void CBinarySerializer::WriteFileTime(const FILETIME& value) {
    WriteTag(wire::kTagFileTime);
    WriteRaw(&value, sizeof value);
}

void CBinarySerializer::WriteVariant(const VARIANT& value) {
    WriteTag(wire::kTagVariant);
    WriteUShort(value.vt);
    WriteUShort(value.wReserved1);
    WriteUShort(value.wReserved2);
    WriteUShort(value.wReserved3);
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            break;
        case VT_I2:
        case VT_BOOL:
            WriteShort(value.iVal);
            break;
        case VT_I4:
        case VT_ERROR:
            WriteLong(value.lVal);
            break;
        case VT_DATE:
            WriteScalar(wire::kTagDouble, value.date);
            break;
        case VT_BSTR:
            WriteBstr(value.bstrVal);
            break;
        case VT_I1:
            WriteScalar(wire::kTagChar, value.cVal);
            break;
        case VT_UI1:
            WriteScalar(wire::kTagUChar, value.bVal);
            break;
        case VT_UI2:
            WriteUShort(value.uiVal);
            break;
        case VT_UI4:
            WriteULong(value.ulVal);
            break;
        case VT_I8:
            WriteScalar(wire::kTagInt64, value.llVal);
            break;
        case VT_UI8:
            WriteScalar(wire::kTagUInt64, value.ullVal);
            break;
        case VT_INT:
            WriteScalar(wire::kTagInt, value.intVal);
            break;
        case VT_UINT:
            WriteScalar(wire::kTagUInt, value.uintVal);
            break;
        default:
            ATL::AtlThrow(hr::kUnsupportedType);
    }
}

void CBinarySerializer::WritePresentFlag(bool present) {
    WriteTag(wire::kTagUniquePointer);
    WriteULong(present ? 1 : 0);
}

void CBinarySerializer::WriteArrayHead(ULONG capacity, ULONG length) {
    // A caller's negative LONG count arrives here as 2^31 or more; refused
    // before a byte of the array is written.
    if (capacity > wire::kMaxCount || length > wire::kMaxCount) ATL::AtlThrow(hr::kInvalidArg);
    WriteTag(wire::kTagSizedArray);
    WriteULong(capacity);
    WriteULong(length);
}

void CBinarySerializer::WriteScalarBlock(const void* elements, ULONG count, ULONG elementSize) {
    if (count == 0) return;
    unsigned long long bytes = static_cast<unsigned long long>(count) * elementSize;
    if (bytes > wire::kMaxBufferBytes) ATL::AtlThrow(hr::kInvalidArg);
    if (elements == nullptr) ATL::AtlThrow(hr::kPointer);
    WriteTag(wire::kTagByteRun);
    WriteRaw(elements, static_cast<ULONG>(bytes));
}

void CBinarySerializer::WriteByteBlock(ULONG size, const void* data) {
    if (size == 0) return;
    if (size > 0xFFFFFFFFu - 4) ATL::AtlThrow(hr::kInvalidArg);
    if (data == nullptr) ATL::AtlThrow(hr::kPointer);
    WriteTag(wire::kTagByteRun);
    WriteRaw(data, size + 4);
}

}  // namespace ql
