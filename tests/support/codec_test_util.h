// Helpers shared by the codec tests: thrown results, hex expectations,
// reply bodies, a serializer writing into memory and a reader with a
// counting memory manager.
#pragma once

#include <cstddef>
#include <cstring>
#include <map>
#include <string>

#include "bytes.h"
#include "scripted_transport.h"
#include "serialization/binary_deserializer.h"
#include "serialization/binary_serializer.h"
#include "serialization/read_write_binary_stream.h"

namespace ql::test {

// The result an action throws as ATL::CAtlException; S_OK if it returns.
template <class F>
HRESULT ThrownBy(F&& action) {
    try {
        action();
    } catch (const ATL::CAtlException& e) {
        return e.Result();
    }
    return S_OK;
}

// Whether a reader has consumed its reply to the last byte.
bool AtEnd(CBinaryDeserializer& in);

// Normalised hex text, so expectations can be spaced for reading.
std::string H(const std::string& text);
// The UTF-8 text of a BSTR, embedded zeros included.
std::string Text(BSTR value);

// A plain record with every byte zero.
template <class T>
T Zeroed() {
    T value;
    std::memset(static_cast<void*>(&value), 0, sizeof value);
    return value;
}

// A reply body: the stream header, then the payload (bytes or hex text).
Bytes Reply(LONG threshold, const Bytes& payload, ULONG version = wire::kProtocolVersion);
Bytes Reply(LONG threshold, const std::string& payload, ULONG version = wire::kProtocolVersion);

// A serializer over a memory stream, prepared the way the transport
// prepares it.
struct Writer {
    explicit Writer(LONG threshold, ULONG version = wire::kProtocolVersion);
    // The whole body as hex, stream header included.
    std::string All() const;
    // What follows the stream header, as bytes and as hex.
    Bytes Payload() const;
    std::string Body() const { return ToHex(Payload()); }

    CReadWriteBinaryStream stream;
    CBinarySerializer out;
};

// The hex payload that `write` puts on a fresh Writer.
template <class F>
std::string Encode(LONG threshold, F&& write) {
    Writer w(threshold);
    write(w.out);
    return w.Body();
}

// The COM task allocator with counts. Fresh memory, including what growth
// adds, is filled with 0xCD so that missing zeroing shows.
class CountingMemMgr final : public ATL::IAtlMemMgr {
public:
    CountingMemMgr() = default;
    CountingMemMgr(const CountingMemMgr&) = delete;
    CountingMemMgr& operator=(const CountingMemMgr&) = delete;

    void* Allocate(std::size_t bytes) override;
    void Free(void* block) override;
    void* Reallocate(void* block, std::size_t bytes) override;

    int allocations = 0;
    int reallocations = 0;
    int frees = 0;
    std::size_t lastSize = 0;

private:
    void* Fresh(std::size_t bytes);
    std::map<void*, std::size_t> m_sizes;
};

// A deserializer attached to a reply, allocating through its own counting
// memory manager.
struct ReplyReader {
    explicit ReplyReader(const Bytes& reply) : in(&memMgr) { AttachReply(in, reply); }
    ReplyReader(LONG threshold, const std::string& payload)
        : ReplyReader(Reply(threshold, payload)) {}

    CountingMemMgr memMgr;
    CBinaryDeserializer in;
};

// A GUID whose bytes differ in every field.
inline const GUID kTestGuid = {
    0x7DAEE74C, 0xCC99, 0x4443, {0xAE, 0xE2, 0xBE, 0xE1, 0xCF, 0xAB, 0x10, 0x3D}};
// Its encoding.
inline constexpr const char* kTestGuidHex = "4CE7AE7D 99CC 4344 AEE2BEE1CFAB103D";

}  // namespace ql::test
