#include "generated_call_support.h"

namespace ql::test {

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + 31u * i);
    return bytes;
}

void FillPattern(void* target, std::size_t size, unsigned seed) {
    Bytes bytes = Pattern(size, seed);
    if (size != 0) std::memcpy(target, bytes.data(), size);
}

void FillGarbage(void* target, std::size_t size) { std::memset(target, 0xCD, size); }

std::u16string BstrText(BSTR value) {
    if (value == nullptr) return {};
    std::u16string text;
    for (const OLECHAR* c = value; *c != 0; ++c) text.push_back(static_cast<char16_t>(*c));
    return text;
}

}  // namespace ql::test
