// Byte vectors for tests that check bodies byte for byte, and a builder of
// expected message bodies written from the wire rules (tag numbers, widths,
// flags), independently of the library's writer.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/base/com_types.h"

namespace ql::test {

using Bytes = std::vector<std::uint8_t>;

// A copy of a value: members of the byte-packed records reach the checks
// through it, so that no reference is ever bound to a misaligned member.
template <class T>
T V(T value) {
    return value;
}

// Bytes from hexadecimal text; blanks and line breaks are ignored.
inline Bytes Hex(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
    if (digits.size() % 2 != 0 || digits.find_first_not_of("0123456789abcdefABCDEF") != digits.npos)
        throw std::invalid_argument("not whole hexadecimal bytes: " + text);
    Bytes out;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}
// Space-separated upper-case hexadecimal, for failure messages.
inline std::string ToHex(const Bytes& bytes) {
    std::string out;
    char buffer[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02X", bytes[i]);
        if (i != 0) out += ' ';
        out += buffer;
    }
    return out;
}

inline void AppendBytes(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}
// value as `size` little-endian bytes.
inline Bytes Le(std::uint64_t value, std::size_t size) {
    Bytes out;
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}
// A packed image from its fields in offset order; fails the test when the
// fields do not add up to `size`.
inline Bytes Image(std::initializer_list<Bytes> fields, std::size_t size) {
    Bytes out;
    for (const Bytes& f : fields) AppendBytes(out, f);
    EXPECT_EQ(size, out.size()) << "image built with the wrong size";
    return out;
}
// The 12-byte stream header.
inline Bytes StreamHeader(std::uint32_t size = 12, std::uint32_t version = 0x00060001,
                          std::int32_t threshold = 255) {
    return Image({Le(size, 4), Le(version, 4), Le(static_cast<std::uint32_t>(threshold), 4)}, 12);
}
// Byte i of a pattern is (seed + 31 i) mod 256; the generator computes the
// same bytes for what it expects on the wire.
inline void FillPattern(void* target, std::size_t size, unsigned seed) {
    auto* bytes = static_cast<std::uint8_t*>(target);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + 31u * i);
}
inline Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    FillPattern(bytes.data(), size, seed);
    return bytes;
}

// Values after a header, each preceded by its tag when the tag number
// reaches the threshold (255 in requests, so none there; replies may use 0,
// so that every value shows its tag and a wrong wire type fails the read).
class Wire {
public:
    explicit Wire(std::int32_t threshold) : m_threshold(threshold) {}

    Wire& Tag(std::uint32_t tag) {
        if (static_cast<std::int32_t>(tag) >= m_threshold) Put(Le(tag, 4));
        return *this;
    }
    Wire& Put(const Bytes& raw) {
        AppendBytes(bytes, raw);
        return *this;
    }
    Wire& ULong(std::uint32_t v) { return Tag(17).Put(Le(v, 4)); }
    Wire& UShort(std::uint16_t v) { return Tag(18).Put(Le(v, 2)); }
    Wire& Long(std::int32_t v) { return Tag(19).Put(Le(static_cast<std::uint32_t>(v), 4)); }
    Wire& Short(std::int16_t v) { return Tag(20).Put(Le(static_cast<std::uint16_t>(v), 2)); }
    Wire& Int64(std::int64_t v) { return Tag(21).Put(Le(static_cast<std::uint64_t>(v), 8)); }
    Wire& UChar(std::uint8_t v) { return Tag(22).Put(Le(v, 1)); }
    Wire& Int(std::int32_t v) { return Tag(23).Put(Le(static_cast<std::uint32_t>(v), 4)); }
    // An enumeration constant: 0x8C000000 + n, as int.
    Wire& Enum(std::uint32_t n) { return Int(static_cast<std::int32_t>(0x8C000000u + n)); }
    Wire& UInt64(std::uint64_t v) { return Tag(24).Put(Le(v, 8)); }
    // Byte count with terminator, then the UTF-16LE text and terminator.
    Wire& Bstr(std::u16string_view text) {
        Tag(64).ULong(static_cast<std::uint32_t>(text.size() * 2 + 2)).Tag(16);
        for (char16_t c : text) Put(Le(c, 2));
        return Put(Le(0, 2));
    }
    Wire& NullBstr() { return Tag(64).ULong(0); }
    Wire& Guid(const GUID& g) {
        Tag(96).Put(Image({Le(g.Data1, 4), Le(g.Data2, 2), Le(g.Data3, 2)}, 8));
        return Put(Bytes(g.Data4, g.Data4 + 8));
    }
    Wire& Time(const SYSTEMTIME& t) {
        return Tag(97).Put(
            Image({Le(t.wYear, 2), Le(t.wMonth, 2), Le(t.wDayOfWeek, 2), Le(t.wDay, 2),
                   Le(t.wHour, 2), Le(t.wMinute, 2), Le(t.wSecond, 2), Le(t.wMilliseconds, 2)},
                  16));
    }
    Wire& Present(bool present) { return Tag(0).ULong(present ? 1 : 0); }
    Wire& ArrayHead(std::uint32_t capacity, std::uint32_t length) {
        return Tag(1).ULong(capacity).ULong(length);
    }
    // A run of bytes: a byte block or an array of plain values.
    Wire& Block(const Bytes& run) { return Tag(16).Put(run); }
    // A record carried as a raw block: its tag, then its packed image.
    Wire& RawRecord(std::uint32_t tag, const Bytes& image) { return Tag(tag).Put(image); }

    Bytes bytes;

private:
    std::int32_t m_threshold;
};

}  // namespace ql::test
