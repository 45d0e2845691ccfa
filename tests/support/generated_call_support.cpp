#include "generated_call_support.h"

namespace ql::test {

void FillGarbage(void* target, std::size_t size) { std::memset(target, 0xCD, size); }

std::u16string BstrText(BSTR value) {
    if (value == nullptr) return {};
    std::u16string text;
    for (const OLECHAR* c = value; *c != 0; ++c) text.push_back(static_cast<char16_t>(*c));
    return text;
}

}  // namespace ql::test
