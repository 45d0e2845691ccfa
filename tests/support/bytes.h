// Byte vectors for tests that check bodies byte for byte, and a builder of
// expected message bodies written from the wire rules (tag numbers, widths,
// flags), independently of the library's writer.
#pragma once

#include <cstdint>
#include <initializer_list>
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
Bytes Hex(const std::string& text);
// Space-separated upper-case hexadecimal, for failure messages.
std::string ToHex(const Bytes& bytes);

void AppendBytes(Bytes& out, const Bytes& more);
// The 12-byte stream header.
Bytes StreamHeader(std::uint32_t size = 12, std::uint32_t version = 0x00060001,
                   std::int32_t threshold = 255);

// value as `size` little-endian bytes.
Bytes Le(std::uint64_t value, std::size_t size);
// A packed image from its fields in offset order; fails the test when the
// fields do not add up to `size`.
Bytes Image(std::initializer_list<Bytes> fields, std::size_t size);
Bytes TimeBytes(const SYSTEMTIME& time);
Bytes GuidBytes(const GUID& guid);
// Byte i of a pattern is (seed + 31 i) mod 256; the generator computes the
// same bytes for what it expects on the wire.
Bytes Pattern(std::size_t size, unsigned seed);
void FillPattern(void* target, std::size_t size, unsigned seed);

// Values after a header, each preceded by its tag when the tag number
// reaches the threshold (255 in requests, so none there; replies may use 0,
// so that every value shows its tag and a wrong wire type fails the read).
class Wire {
public:
    explicit Wire(std::int32_t threshold) : m_threshold(threshold) {}
    std::int32_t Threshold() const { return m_threshold; }

    Wire& Tag(std::uint32_t tag);
    Wire& Put(const Bytes& raw);
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
    Wire& Bstr(std::u16string_view text);
    Wire& NullBstr() { return Tag(64).ULong(0); }
    Wire& Guid(const GUID& g) { return Tag(96).Put(GuidBytes(g)); }
    Wire& Time(const SYSTEMTIME& t) { return Tag(97).Put(TimeBytes(t)); }
    Wire& Present(bool present) { return Tag(0).ULong(present ? 1 : 0); }
    Wire& ArrayHead(std::uint32_t capacity, std::uint32_t length) {
        return Tag(1).ULong(capacity).ULong(length);
    }
    // A run of bytes: a byte block or an array of plain values.
    Wire& Block(const Bytes& run) { return Tag(16).Put(run); }
    // A record carried as a raw block: its tag, then its packed image.
    Wire& RawRecord(std::uint32_t tag, const Bytes& image) { return Tag(tag).Put(image); }
    // A VARIANT's type and three reserved words; its value follows.
    Wire& VariantHead(std::uint16_t vt) { return Tag(65).UShort(vt).UShort(0).UShort(0).UShort(0); }
    // An event chain of one zeroed node, as a caller sends it.
    Wire& EmptyEvent();

    Bytes bytes;

private:
    std::int32_t m_threshold;
};

}  // namespace ql::test
