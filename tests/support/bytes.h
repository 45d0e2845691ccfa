// Byte-vector helpers for tests that check bodies byte for byte.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/base/com_types.h"

namespace ql::test {

using Bytes = std::vector<std::uint8_t>;

// Bytes from hexadecimal text; blanks and line breaks are ignored.
Bytes Hex(const std::string& text);
// Space-separated upper-case hexadecimal, for failure messages.
std::string ToHex(const Bytes& bytes);

// Little-endian pieces for building expected bodies.
void AppendLe32(Bytes& out, std::uint32_t value);
void AppendLe16(Bytes& out, std::uint16_t value);
void AppendBytes(Bytes& out, const Bytes& more);
// The encoding of a wide text as a string value without tags: byte count
// with terminator, UTF-16LE text, terminator.
void AppendWireText(Bytes& out, std::u16string_view text);
void AppendGuid(Bytes& out, const GUID& guid);
// The 12-byte stream header.
Bytes StreamHeader(std::uint32_t size = 12, std::uint32_t version = 0x00060001,
                   std::int32_t threshold = 255);

}  // namespace ql::test
