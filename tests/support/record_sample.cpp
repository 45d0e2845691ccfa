#include "record_sample.h"

namespace ql::test {

VARIANT LongVariant(LONG value) noexcept {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

long long VariantLong(const VARIANT& value) noexcept { return value.vt == VT_I4 ? value.lVal : -1; }

std::uint8_t* SampleArena::Zeroed(std::size_t size) {
    const std::size_t cells = (size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    m_blocks.push_back(std::make_unique<std::max_align_t[]>(cells == 0 ? 1 : cells));
    auto* bytes = reinterpret_cast<std::uint8_t*>(m_blocks.back().get());
    std::memset(bytes, 0, size);
    return bytes;
}

BSTR SampleArena::Text(const char16_t* text) {
    std::vector<OLECHAR> wide;
    for (const char16_t* c = text; *c != 0; ++c) wide.push_back(static_cast<OLECHAR>(*c));
    m_strings.emplace_back(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    return m_strings.back().Get();
}

}  // namespace ql::test
