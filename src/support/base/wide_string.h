// Wide (UTF-16) string helpers shared by the whole library.
#pragma once

#include <string>
#include <string_view>

#include "support/base/com_types.h"

namespace ql {

using WString = std::basic_string<WCHAR>;
using WStringView = std::basic_string_view<WCHAR>;

inline std::size_t WideLength(LPCWSTR text) {
    return text == nullptr ? 0 : std::char_traits<WCHAR>::length(text);
}

// ASCII-only widening, for texts the library itself composes.
inline WString WidenAscii(std::string_view text) { return WString(text.begin(), text.end()); }

// Appends one code point (up to U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string ToUtf8(WStringView text);
// UTF-8 to UTF-16; invalid sequences become U+FFFD.
WString FromUtf8(std::string_view text);

}  // namespace ql
