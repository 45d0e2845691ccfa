// Conversion between wide (UTF-16) and narrow text, with the arguments and
// results of the system's conversion functions (WideCharToMultiByte,
// MultiByteToWideChar): a length of -1 means a null-terminated source whose
// terminator is converted and counted too; an output size of 0 asks for the
// size needed; 0 is returned on failure with the thread's last error
// (_GetLastError): 87 for bad arguments or an unknown code page, 122 for an
// output buffer that is too small, 1004 for flags the code page does not
// take, 1113 for invalid input when the caller asked for that check.
//
// On POSIX the narrow text is UTF-8 in every code page that names the
// system's text (the ANSI, OEM and thread code pages and UTF-8 itself). A
// wide character that UTF-8 cannot carry (an unpaired surrogate) becomes
// U+FFFD in the UTF-8 code page and the default character in the others.
#pragma once

#include "support/base/com_types.h"

namespace ql {

// The code page argument that means the calling thread's code page. This
// system never sets one, so it is the system's default narrow code page.
inline constexpr UINT kTqlThreadCodePage = static_cast<UINT>(-1);
inline constexpr UINT kTqlCodePageAnsi = 0;      // CP_ACP
inline constexpr UINT kTqlCodePageOem = 1;       // CP_OEMCP
inline constexpr UINT kTqlCodePageUtf8 = 65001;  // CP_UTF8
// Flags with the values Windows gives them.
inline constexpr DWORD kTqlWcErrInvalidChars = 0x80;  // WC_ERR_INVALID_CHARS
inline constexpr DWORD kTqlMbErrInvalidChars = 0x08;  // MB_ERR_INVALID_CHARS

int TqlWideToNarrow(UINT codePage, DWORD flags, LPCWSTR wide, int wideChars, LPSTR narrow,
                    int narrowBytes, LPCSTR defaultChar, BOOL* usedDefaultChar) noexcept;
int TqlNarrowToWide(UINT codePage, DWORD flags, LPCSTR narrow, int narrowBytes, LPWSTR wide,
                    int wideChars) noexcept;

}  // namespace ql
