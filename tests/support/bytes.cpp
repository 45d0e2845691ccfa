#include "bytes.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace ql::test {

Bytes Hex(const std::string& text) {
    Bytes out;
    int pending = -1;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        int value;
        if (c >= '0' && c <= '9')
            value = c - '0';
        else if (c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        else
            throw std::invalid_argument("not hexadecimal: " + text);
        if (pending < 0) {
            pending = value;
        } else {
            out.push_back(static_cast<std::uint8_t>(pending * 16 + value));
            pending = -1;
        }
    }
    if (pending >= 0) throw std::invalid_argument("odd number of digits: " + text);
    return out;
}

std::string ToHex(const Bytes& bytes) {
    std::string out;
    char buffer[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02X", bytes[i]);
        if (i != 0) out += ' ';
        out += buffer;
    }
    return out;
}

void AppendLe32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void AppendLe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendBytes(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

void AppendWireText(Bytes& out, std::u16string_view text) {
    AppendLe32(out, static_cast<std::uint32_t>((text.size() + 1) * 2));
    for (char16_t c : text) AppendLe16(out, static_cast<std::uint16_t>(c));
    AppendLe16(out, 0);
}

void AppendGuid(Bytes& out, const GUID& guid) {
    std::uint8_t raw[16];
    std::memcpy(raw, &guid, sizeof raw);
    out.insert(out.end(), raw, raw + 16);
}

Bytes StreamHeader(std::uint32_t size, std::uint32_t version, std::int32_t threshold) {
    Bytes out;
    AppendLe32(out, size);
    AppendLe32(out, version);
    AppendLe32(out, static_cast<std::uint32_t>(threshold));
    return out;
}

}  // namespace ql::test
