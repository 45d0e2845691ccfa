// Reads values from a reply body in the order the writer wrote them. The
// reader distrusts its input: every received count and length is checked
// against the limits of wire_limits.h before anything is allocated or
// copied, and, when the reply's length is known, against what is left of
// it.
// Everything it allocates for the caller comes from its memory manager
// (strings from SysAllocString*). Every failure is thrown as
// ATL::CAtlException.
#pragma once

#include "serialization/wire_tags.h"
#include "support/base/atl_types.h"
#include "support/base/com_types.h"

namespace ql {

class CBinaryDeserializer {
public:
    explicit CBinaryDeserializer(ATL::IAtlMemMgr* memMgr) noexcept : m_pMemMgr(memMgr) {}
    CBinaryDeserializer(const CBinaryDeserializer&) = delete;
    CBinaryDeserializer& operator=(const CBinaryDeserializer&) = delete;
    ~CBinaryDeserializer() { Detach(); }

    bool SetHeader(LONG threshold, ULONG version) noexcept;
    static constexpr ULONGLONG kUnknownLength = ~ULONGLONG{0};

    // Takes a reference on the stream, then reads and checks its 12-byte
    // header; version and threshold govern the rest of this reply.
    // bodyLength is the reply's length, header included, when it is known
    // (an in-memory reply, a Content-Length): a value announced larger than
    // what is left of it is then refused before anything is allocated.
    void Attach(IStream* stream, ULONGLONG bodyLength = kUnknownLength);
    // Releases the stream and forgets the header.
    void Detach() noexcept;

    ATL::IAtlMemMgr* MemMgr() const noexcept { return m_pMemMgr; }
    LONG Threshold() const noexcept { return m_lThreshold; }
    ULONG Version() const noexcept { return m_dwVersion; }
    bool IsAttached() const noexcept { return m_pStream != nullptr; }

    void ReadTag(ULONG expected);
    void ReadRaw(void* buffer, ULONG count);

    bool LengthKnown() const noexcept { return m_remaining != kUnknownLength; }
    // Throws ERROR_READ_FAULT, as a short reply would, when the reply's
    // length is known and fewer than bytes are left of it.
    void RequireAvailable(unsigned long long bytes) const;

    template <class T>
    void ReadScalar(ULONG tag, T& target) {
        ReadTag(tag);
        ReadRaw(&target, sizeof target);
    }
    ULONG ReadULong() {
        ULONG value = 0;
        ReadScalar(wire::kTagULong, value);
        return value;
    }
    LONG ReadLong() {
        LONG value = 0;
        ReadScalar(wire::kTagLong, value);
        return value;
    }
    USHORT ReadUShort() {
        USHORT value = 0;
        ReadScalar(wire::kTagUShort, value);
        return value;
    }
    SHORT ReadShort() {
        SHORT value = 0;
        ReadScalar(wire::kTagShort, value);
        return value;
    }

    // Frees the string the target holds, then reads; count 0 leaves null.
    // An odd count or a string not ending in its zero terminator is refused
    // (E_INVALIDARG) and leaves the target null.
    void ReadBstr(BSTR& target);
    void ReadGuid(GUID& target);
    void ReadSystemTime(SYSTEMTIME& target);
    // Clears the target, then reads; an unsupported type leaves only the
    // four leading words in it.
    void ReadVariant(VARIANT& target);

    // Unique pointer head: tag 0 and the present flag.
    bool ReadPresentFlag();
    // Sized array head: tag 1, capacity and length. A capacity or length
    // above limit, or of 2^31 or more, is refused; a length above the
    // capacity is then cut to it.
    void ReadArrayHead(ULONG& capacity, ULONG& length, ULONG limit = wire::kMaxCount);
    // Scalar elements as one run into elements (count * elementSize bytes).
    void ReadScalarBlock(void* elements, ULONG count, ULONG elementSize);
    // A record's byte block of the given size: allocates size + 4 bytes
    // from the memory manager, stores them in data and reads the run.
    // Nothing is read when size is 0 (data is then null).
    void ReadByteBlock(ULONG size, BYTE*& data);

    // Allocates zeroed memory from the memory manager; throws E_OUTOFMEMORY.
    void* AllocateZeroed(std::size_t bytes);

private:
    void RequireReady() const;
    // Reads a run of count bytes that the reply announced into memory from
    // allocate (null: E_OUTOFMEMORY); release frees it again if the read
    // fails. When the reply's length is known the count is checked against
    // what is left before anything is allocated; otherwise a large run is
    // gathered in steps of kReadStepBytes as it arrives and allocated only
    // once it is all there.
    template <class Allocate, class Release>
    void* ReadAnnouncedRun(ULONG count, Allocate allocate, Release release);

    bool m_bHeaderSet = false;
    ULONG m_dwVersion = wire::kProtocolVersion;
    LONG m_lThreshold = wire::kRequestTagThreshold;
    IStream* m_pStream = nullptr;
    // Bytes of the reply not yet read, or kUnknownLength.
    ULONGLONG m_remaining = kUnknownLength;
    ATL::IAtlMemMgr* m_pMemMgr;
};

}  // namespace ql
