#include "serialization/binary_deserializer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "support/base/hresults.h"

namespace ql {

bool CBinaryDeserializer::SetHeader(LONG threshold, ULONG version) noexcept {
    if (m_bHeaderSet) return false;
    m_lThreshold = threshold;
    m_dwVersion = version;
    m_bHeaderSet = true;
    return true;
}

void CBinaryDeserializer::Attach(IStream* stream, ULONGLONG bodyLength) {
    Detach();
    if (stream == nullptr) ATL::AtlThrow(hr::kPointer);
    stream->AddRef();
    m_pStream = stream;
    m_remaining = bodyLength;

    ULONG headerSize = 0;
    ReadRaw(&headerSize, sizeof headerSize);
    if (headerSize < wire::kHeaderSize) ATL::AtlThrow(hr::kIncompatibleStreamVersion);
    ULONG versionAndThreshold[2] = {};
    ReadRaw(versionAndThreshold, sizeof versionAndThreshold);
    // Compared as signed numbers, as the peers do.
    if (static_cast<LONG>(versionAndThreshold[0]) > static_cast<LONG>(wire::kProtocolVersion))
        ATL::AtlThrow(hr::kIncompatibleStreamVersion);
    SetHeader(static_cast<LONG>(versionAndThreshold[1]), versionAndThreshold[0]);
}

void CBinaryDeserializer::Detach() noexcept {
    if (m_pStream != nullptr) m_pStream->Release();
    m_pStream = nullptr;
    m_bHeaderSet = false;
    m_remaining = kUnknownLength;
}

void CBinaryDeserializer::RequireReady() const {
    if (!m_bHeaderSet || m_pStream == nullptr) ATL::AtlThrow(hr::kNotReady);
}

void CBinaryDeserializer::ReadTag(ULONG expected) {
    RequireReady();
    if (m_lThreshold > static_cast<LONG>(expected)) return;
    ULONG tag = 0;
    ReadRaw(&tag, sizeof tag);
    if (tag != expected) ATL::AtlThrow(hr::kDatatypeMismatch);
}

void CBinaryDeserializer::ReadRaw(void* buffer, ULONG count) {
    if (m_pStream == nullptr) ATL::AtlThrow(hr::kNotReady);
    // A stream may deliver fewer bytes than asked whenever a packet, a TLS
    // record or a chunk ends: read until the value is whole, the body ends
    // (a read of 0 bytes) or the stream fails.
    auto* target = static_cast<BYTE*>(buffer);
    ULONG filled = 0;
    while (filled < count) {
        ULONG read = 0;
        HRESULT result = m_pStream->Read(target + filled, count - filled, &read);
        if (FAILED(result)) ATL::AtlThrow(result);
        if (read > count - filled) ATL::AtlThrow(hr::kReadFault);
        if (LengthKnown()) m_remaining -= read < m_remaining ? read : m_remaining;
        if (read == 0) ATL::AtlThrow(hr::kReadFault);
        filled += read;
    }
}

void CBinaryDeserializer::RequireAvailable(unsigned long long bytes) const {
    if (LengthKnown() && bytes > m_remaining) ATL::AtlThrow(hr::kReadFault);
}

template <class Allocate, class Release>
void* CBinaryDeserializer::ReadAnnouncedRun(ULONG count, Allocate allocate, Release release) {
    if (LengthKnown() || count <= wire::kReadStepBytes) {
        RequireAvailable(count);
        void* block = allocate(count);
        if (block == nullptr) ATL::AtlThrow(hr::kOutOfMemory);
        try {
            ReadRaw(block, count);
        } catch (...) {
            release(block);
            throw;
        }
        return block;
    }
    // The length is unknown: gather the bytes as they arrive, so a lying
    // count costs at most one step more than what was really received.
    std::vector<BYTE> run;
    while (run.size() < count) {
        std::size_t done = run.size();
        run.resize(done + std::min<std::size_t>(wire::kReadStepBytes, count - done));
        ReadRaw(run.data() + done, static_cast<ULONG>(run.size() - done));
    }
    void* block = allocate(count);
    if (block == nullptr) ATL::AtlThrow(hr::kOutOfMemory);
    std::memcpy(block, run.data(), count);
    return block;
}

void CBinaryDeserializer::ReadBstr(BSTR& target) {
    ReadTag(wire::kTagBstr);
    SysFreeString(target);
    target = nullptr;
    ULONG count = ReadULong();
    if (count == 0) return;
    // The count is whole characters and includes the 2-byte terminator.
    if (count < sizeof(OLECHAR) || count % sizeof(OLECHAR) != 0 || count > wire::kMaxCount)
        ATL::AtlThrow(hr::kInvalidArg);
    ReadTag(wire::kTagByteRun);
    // The string is allocated with room for its terminator and the run,
    // terminator included, is read into it.
    auto* text = static_cast<BSTR>(ReadAnnouncedRun(
        count,
        [](ULONG bytes) -> void* {
            return SysAllocStringByteLen(nullptr, bytes - static_cast<ULONG>(sizeof(OLECHAR)));
        },
        [](void* block) { SysFreeString(static_cast<BSTR>(block)); }));
    // Callers, traces and wcslen rely on the terminator being there.
    if (text[count / sizeof(OLECHAR) - 1] != 0) {
        SysFreeString(text);
        ATL::AtlThrow(hr::kInvalidArg);
    }
    target = text;
}

void CBinaryDeserializer::ReadGuid(GUID& target) {
    std::memset(&target, 0, sizeof target);
    ReadTag(wire::kTagGuid);
    ReadRaw(&target, sizeof target);
}

void CBinaryDeserializer::ReadSystemTime(SYSTEMTIME& target) {
    std::memset(&target, 0, sizeof target);
    ReadTag(wire::kTagSystemTime);
    ReadRaw(&target, sizeof target);
}

void CBinaryDeserializer::ReadVariant(VARIANT& target) {
    ReadTag(wire::kTagVariant);
    VariantClear(&target);
    std::memset(&target, 0, sizeof target);
    target.vt = ReadUShort();
    target.wReserved1 = ReadUShort();
    target.wReserved2 = ReadUShort();
    target.wReserved3 = ReadUShort();
    switch (target.vt) {
        case VT_EMPTY:
        case VT_NULL:
            break;
        case VT_I2:
        case VT_BOOL:
            target.iVal = ReadShort();
            break;
        case VT_I4:
        case VT_ERROR:
            target.lVal = ReadLong();
            break;
        case VT_DATE:
            ReadScalar(wire::kTagDouble, target.date);
            break;
        case VT_BSTR:
            ReadBstr(target.bstrVal);
            break;
        case VT_I1:
            ReadScalar(wire::kTagChar, target.cVal);
            break;
        case VT_UI1:
            ReadScalar(wire::kTagUChar, target.bVal);
            break;
        case VT_UI2:
            target.uiVal = ReadUShort();
            break;
        case VT_UI4:
            target.ulVal = ReadULong();
            break;
        case VT_I8:
            ReadScalar(wire::kTagInt64, target.llVal);
            break;
        case VT_UI8:
            ReadScalar(wire::kTagUInt64, target.ullVal);
            break;
        case VT_INT:
            ReadScalar(wire::kTagInt, target.intVal);
            break;
        case VT_UINT:
            ReadScalar(wire::kTagUInt, target.uintVal);
            break;
        default:
            ATL::AtlThrow(hr::kUnsupportedType);
    }
}

bool CBinaryDeserializer::ReadPresentFlag() {
    ReadTag(wire::kTagUniquePointer);
    return ReadULong() != 0;
}

void CBinaryDeserializer::ReadArrayHead(ULONG& capacity, ULONG& length, ULONG limit) {
    ReadTag(wire::kTagSizedArray);
    capacity = ReadULong();
    length = ReadULong();
    if (limit > wire::kMaxCount) limit = wire::kMaxCount;
    if (capacity > limit || length > limit) ATL::AtlThrow(hr::kInvalidArg);
    if (length > capacity) length = capacity;
}

void CBinaryDeserializer::ReadScalarBlock(void* elements, ULONG count, ULONG elementSize) {
    if (count == 0) return;
    unsigned long long bytes = static_cast<unsigned long long>(count) * elementSize;
    if (bytes > wire::kMaxBufferBytes) ATL::AtlThrow(hr::kInvalidArg);
    ReadTag(wire::kTagByteRun);
    ReadRaw(elements, static_cast<ULONG>(bytes));
}

void CBinaryDeserializer::ReadByteBlock(ULONG size, BYTE*& data) {
    data = nullptr;
    if (size == 0) return;
    if (size > 0xFFFFFFFFu - 4) ATL::AtlThrow(hr::kInvalidArg);
    ReadTag(wire::kTagByteRun);
    data = static_cast<BYTE*>(ReadAnnouncedRun(
        size + 4, [this](ULONG bytes) { return m_pMemMgr->Allocate(bytes); },
        [this](void* block) { m_pMemMgr->Free(block); }));
}

void* CBinaryDeserializer::AllocateZeroed(std::size_t bytes) {
    void* block = m_pMemMgr->Allocate(bytes);
    if (block == nullptr) ATL::AtlThrow(hr::kOutOfMemory);
    std::memset(block, 0, bytes);
    return block;
}

}  // namespace ql
