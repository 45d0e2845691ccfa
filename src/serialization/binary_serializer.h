// Writes values into a request body: one call per value, little-endian, no
// padding, each value preceded by its type tag when the tag reaches the
// body's threshold. Every failure is thrown as ATL::CAtlException.
#pragma once

#include "serialization/wire_tags.h"
#include "support/base/atl_types.h"
#include "support/base/com_types.h"

namespace ql {

class CBinarySerializer {
public:
    CBinarySerializer() noexcept = default;
    CBinarySerializer(const CBinarySerializer&) = delete;
    CBinarySerializer& operator=(const CBinarySerializer&) = delete;

    // Fixes threshold and version once; later calls change nothing and
    // return false.
    bool SetHeader(LONG threshold, ULONG version) noexcept;
    // Binds to a stream (not reference-counted) and writes the 12-byte
    // stream header. A null stream throws E_POINTER.
    void Attach(ATL::IWriteStream* stream);
    void Detach() noexcept { m_pStream = nullptr; }

    LONG Threshold() const noexcept { return m_lThreshold; }
    ULONG Version() const noexcept { return m_dwVersion; }

    // The two primitives every encoder is built from.
    void WriteTag(ULONG tag);
    void WriteRaw(const void* bytes, ULONG count);

    template <class T>
    void WriteScalar(ULONG tag, const T& value) {
        WriteTag(tag);
        WriteRaw(&value, sizeof value);
    }
    void WriteULong(ULONG value) { WriteScalar(wire::kTagULong, value); }
    void WriteLong(LONG value) { WriteScalar(wire::kTagLong, value); }
    void WriteUShort(USHORT value) { WriteScalar(wire::kTagUShort, value); }
    void WriteShort(SHORT value) { WriteScalar(wire::kTagShort, value); }

    // A null BSTR is count 0; otherwise the byte count with the terminator,
    // then the bytes.
    void WriteBstr(BSTR value);
    // A zero-terminated wide string in the same encoding as a BSTR holding it
    // (null writes count 0).
    void WriteWideString(LPCWSTR value);
    void WriteGuid(const GUID& value);
    void WriteSystemTime(const SYSTEMTIME& value);
    void WriteFileTime(const FILETIME& value);
    void WriteVariant(const VARIANT& value);

    // Unique pointer head: tag 0 and the present flag.
    void WritePresentFlag(bool present);
    // Sized array head: tag 1, capacity, length.
    // Refuses a capacity or length of 2^31 or more (E_INVALIDARG).
    void WriteArrayHead(ULONG capacity, ULONG length);
    // Scalar array elements as one run: tag 16 and count * elementSize bytes,
    // nothing when count is 0.
    void WriteScalarBlock(const void* elements, ULONG count, ULONG elementSize);
    // The data run of a record's byte block of the given size: nothing when
    // size is 0, else tag 16 and size + 4 bytes from data.
    void WriteByteBlock(ULONG size, const void* data);

private:
    void RequireReady() const;

    bool m_bHeaderSet = false;
    ULONG m_dwVersion = wire::kProtocolVersion;
    LONG m_lThreshold = wire::kRequestTagThreshold;
    ATL::IWriteStream* m_pStream = nullptr;
};

}  // namespace ql
