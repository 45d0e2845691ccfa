#include "bytes.h"

#include <gtest/gtest.h>

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

void AppendBytes(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes StreamHeader(std::uint32_t size, std::uint32_t version, std::int32_t threshold) {
    return Image({Le(size, 4), Le(version, 4), Le(static_cast<std::uint32_t>(threshold), 4)}, 12);
}

Bytes Le(std::uint64_t value, std::size_t size) {
    Bytes out;
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}

Bytes Image(std::initializer_list<Bytes> fields, std::size_t size) {
    Bytes out;
    for (const Bytes& f : fields) AppendBytes(out, f);
    EXPECT_EQ(size, out.size()) << "image built with the wrong size";
    return out;
}

Bytes TimeBytes(const SYSTEMTIME& t) {
    return Image({Le(t.wYear, 2), Le(t.wMonth, 2), Le(t.wDayOfWeek, 2), Le(t.wDay, 2),
                  Le(t.wHour, 2), Le(t.wMinute, 2), Le(t.wSecond, 2), Le(t.wMilliseconds, 2)},
                 16);
}

Bytes GuidBytes(const GUID& g) {
    Bytes out = Image({Le(g.Data1, 4), Le(g.Data2, 2), Le(g.Data3, 2)}, 8);
    out.insert(out.end(), g.Data4, g.Data4 + 8);
    return out;
}

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + 31u * i);
    return bytes;
}

void FillPattern(void* target, std::size_t size, unsigned seed) {
    Bytes bytes = Pattern(size, seed);
    if (size != 0) std::memcpy(target, bytes.data(), size);
}

Wire& Wire::Tag(std::uint32_t tag) {
    if (static_cast<std::int32_t>(tag) >= m_threshold) Put(Le(tag, 4));
    return *this;
}

Wire& Wire::Put(const Bytes& raw) {
    AppendBytes(bytes, raw);
    return *this;
}

Wire& Wire::Bstr(std::u16string_view text) {
    Tag(64).ULong(static_cast<std::uint32_t>(text.size() * 2 + 2)).Tag(16);
    for (char16_t c : text) Put(Le(c, 2));
    return Put(Le(0, 2));
}

Wire& Wire::EmptyEvent() {
    Present(true).Tag(129).ULong(0).ULong(0).ULong(0).NullBstr().ULong(0).ULong(0);
    return UShort(0).Present(false);
}

}  // namespace ql::test
