// Helpers of the record round trips generated from the catalogue: sample
// values built member by member through their offsets (members of the
// byte-packed records may be misaligned, so they are copied, never bound
// to), the bytes a record writes, and a reader that checks that the record
// took its whole reply and that releasing it gives back every block.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/record_codecs.h"
#include "codec_test_util.h"
#include "support/base/unique_bstr.h"

namespace ql::test {

template <class T>
void Store(void* at, T value) noexcept {
    std::memcpy(at, static_cast<const void*>(&value), sizeof value);
}

template <class T>
T Load(const void* at) noexcept {
    T value;
    std::memcpy(static_cast<void*>(&value), at, sizeof value);
    return value;
}

inline Bytes BytesAt(const void* at, std::size_t size) {
    const auto* first = static_cast<const std::uint8_t*>(at);
    return at == nullptr ? Bytes{} : Bytes(first, first + size);
}

inline VARIANT LongVariant(LONG value) noexcept {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}
// The value of a VT_I4 variant; -1 for any other type.
inline long long VariantLong(const VARIANT& value) noexcept {
    return value.vt == VT_I4 ? value.lVal : -1;
}

// The memory and strings a sample points into, freed with the test.
class SampleArena {
public:
    std::uint8_t* Zeroed(std::size_t size) {
        m_blocks.emplace_back(size / sizeof(std::max_align_t) + 1);
        return static_cast<std::uint8_t*>(std::memset(m_blocks.back().data(), 0, size));
    }
    BSTR Text(const char16_t* text) {
        static_assert(sizeof(OLECHAR) == sizeof(char16_t));
        m_strings.emplace_back(SysAllocString(reinterpret_cast<const OLECHAR*>(text)));
        return m_strings.back().Get();
    }

private:
    std::vector<std::vector<std::max_align_t>> m_blocks;
    std::vector<CUniqueBstr> m_strings;
};

// The hexadecimal payload a record writes after the stream header.
template <class T>
std::string Written(const T& value, LONG threshold) {
    return Encode(threshold, [&](CBinarySerializer& out) { wire::Record<T>::Write(out, value); });
}

// Reads one record from a reply of exactly the given payload.
template <class T>
class RecordReader {
public:
    RecordReader(LONG threshold, const char* payloadHex)
        : m_reader(threshold, payloadHex), m_value(Zeroed<T>()) {}
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;
    ~RecordReader() {
        wire::Record<T>::Release(m_value, &m_reader.memMgr);
        EXPECT_EQ(m_reader.memMgr.allocations, m_reader.memMgr.frees)
            << "release left blocks of the reader behind";
    }

    // The record's bytes, or null when the read failed or left bytes over.
    const std::uint8_t* Read() {
        HRESULT hr = ThrownBy([&] { wire::Record<T>::Read(m_reader.in, m_value); });
        EXPECT_EQ(S_OK, hr);
        EXPECT_TRUE(AtEnd(m_reader.in)) << "bytes left after the record";
        if (hr != S_OK) return nullptr;
        return reinterpret_cast<const std::uint8_t*>(&m_value);
    }

private:
    ReplyReader m_reader;
    T m_value;
};

}  // namespace ql::test
