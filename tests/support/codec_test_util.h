// Helpers shared by the codec tests: thrown results, hex expectations,
// reply bodies, a serializer writing into memory and a reader with a
// counting memory manager.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <string>

#include "bytes.h"
#include "serialization/binary_deserializer.h"
#include "serialization/binary_serializer.h"
#include "serialization/read_write_binary_stream.h"
#include "support/base/wide_string.h"

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
inline bool AtEnd(CBinaryDeserializer& in) {
    BYTE extra = 0;
    return ThrownBy([&] { in.ReadRaw(&extra, 1); }) == static_cast<HRESULT>(0x8007001Eu);
}

// Normalised hex text, so expectations can be spaced for reading.
inline std::string H(const std::string& text) { return ToHex(Hex(text)); }
// The UTF-8 text of a BSTR, embedded zeros included.
inline std::string Text(BSTR value) { return ToUtf8(WStringView(value, SysStringLen(value))); }

// The UTF-16 text of a BSTR, up to its first zero.
inline std::u16string BstrText(BSTR value) {
    std::u16string text;
    for (const OLECHAR* c = value; c != nullptr && *c != 0; ++c)
        text.push_back(static_cast<char16_t>(*c));
    return text;
}

// A plain record with every byte zero.
template <class T>
T Zeroed() {
    T value;
    std::memset(static_cast<void*>(&value), 0, sizeof value);
    return value;
}

// A reply body: the stream header, then the payload (bytes or hex text).
inline Bytes Reply(LONG threshold, const Bytes& payload, ULONG version = wire::kProtocolVersion) {
    Bytes body = StreamHeader(wire::kHeaderSize, version, threshold);
    AppendBytes(body, payload);
    return body;
}
inline Bytes Reply(LONG threshold, const std::string& payload,
                   ULONG version = wire::kProtocolVersion) {
    return Reply(threshold, Hex(payload), version);
}

// A serializer over a memory stream, prepared the way the transport
// prepares it.
struct Writer {
    explicit Writer(LONG threshold, ULONG version = wire::kProtocolVersion) {
        out.SetHeader(threshold, version);
        out.Attach(&stream);
    }
    // The whole body as hex, stream header included.
    std::string All() const {
        return ToHex(Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetLength()));
    }
    // What follows the stream header, as bytes and as hex.
    Bytes Payload() const {
        return Bytes(stream.GetBuffer() + wire::kHeaderSize,
                     stream.GetBuffer() + stream.GetLength());
    }
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

    void* Allocate(std::size_t bytes) override {
        ++allocations;
        lastSize = bytes;
        return Fresh(bytes);
    }
    void Free(void* block) override {
        if (block == nullptr) return;
        ++frees;
        m_sizes.erase(block);
        CoTaskMemFree(block);
    }
    // A block this manager did not hand out goes to the task allocator as it is.
    void* Reallocate(void* block, std::size_t bytes) override {
        ++reallocations;
        auto known = m_sizes.find(block);
        if (known == m_sizes.end()) return CoTaskMemRealloc(block, bytes);
        void* grown = Fresh(bytes);
        if (grown == nullptr) return nullptr;
        std::memcpy(grown, block, std::min(bytes, known->second));
        m_sizes.erase(known);
        CoTaskMemFree(block);
        return grown;
    }

    int allocations = 0;
    int reallocations = 0;
    int frees = 0;
    std::size_t lastSize = 0;

private:
    void* Fresh(std::size_t bytes) {
        void* block = CoTaskMemAlloc(bytes);
        if (block != nullptr) m_sizes[block] = bytes;
        return block == nullptr ? nullptr : std::memset(block, 0xCD, bytes);
    }
    std::map<void*, std::size_t> m_sizes;
};

// Binds a deserializer to a reply body held in memory.
inline void AttachReply(CBinaryDeserializer& in, const Bytes& reply) {
    auto* stream = new CReadWriteBinaryStream();
    DWORD written = 0;
    stream->WriteStream(reinterpret_cast<LPCSTR>(reply.data()), static_cast<int>(reply.size()),
                        &written);
    try {
        in.Attach(stream, reply.size());
    } catch (...) {
        stream->Release();
        throw;
    }
    stream->Release();
}

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
