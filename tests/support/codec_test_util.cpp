#include "codec_test_util.h"

#include <algorithm>

#include "support/base/wide_string.h"

namespace ql::test {

bool AtEnd(CBinaryDeserializer& in) {
    BYTE extra = 0;
    return ThrownBy([&] { in.ReadRaw(&extra, 1); }) == static_cast<HRESULT>(0x8007001Eu);
}

std::string H(const std::string& text) { return ToHex(Hex(text)); }

std::string Text(BSTR value) { return ToUtf8(WStringView(value, SysStringLen(value))); }

Bytes Reply(LONG threshold, const Bytes& payload, ULONG version) {
    Bytes body = StreamHeader(wire::kHeaderSize, version, threshold);
    AppendBytes(body, payload);
    return body;
}

Bytes Reply(LONG threshold, const std::string& payload, ULONG version) {
    return Reply(threshold, Hex(payload), version);
}

Writer::Writer(LONG threshold, ULONG version) {
    out.SetHeader(threshold, version);
    out.Attach(&stream);
}

std::string Writer::All() const {
    return ToHex(Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetLength()));
}

Bytes Writer::Payload() const {
    return Bytes(stream.GetBuffer() + wire::kHeaderSize, stream.GetBuffer() + stream.GetLength());
}

void* CountingMemMgr::Allocate(std::size_t bytes) {
    ++allocations;
    lastSize = bytes;
    return Fresh(bytes);
}

void CountingMemMgr::Free(void* block) {
    if (block == nullptr) return;
    ++frees;
    m_sizes.erase(block);
    CoTaskMemFree(block);
}

void* CountingMemMgr::Reallocate(void* block, std::size_t bytes) {
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

void* CountingMemMgr::Fresh(std::size_t bytes) {
    void* block = CoTaskMemAlloc(bytes);
    if (block == nullptr) return nullptr;
    std::memset(block, 0xCD, bytes);
    m_sizes[block] = bytes;
    return block;
}

}  // namespace ql::test
