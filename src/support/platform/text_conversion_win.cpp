#include "support/platform/text_conversion.h"

namespace ql {

namespace {

UINT SystemCodePage(UINT codePage) { return codePage == kTqlThreadCodePage ? CP_ACP : codePage; }

}  // namespace

int TqlWideToNarrow(UINT codePage, DWORD flags, LPCWSTR wide, int wideChars, LPSTR narrow,
                    int narrowBytes, LPCSTR defaultChar, BOOL* usedDefaultChar) noexcept {
    return WideCharToMultiByte(SystemCodePage(codePage), flags, wide, wideChars, narrow,
                               narrowBytes, defaultChar, usedDefaultChar);
}

int TqlNarrowToWide(UINT codePage, DWORD flags, LPCSTR narrow, int narrowBytes, LPWSTR wide,
                    int wideChars) noexcept {
    return MultiByteToWideChar(SystemCodePage(codePage), flags, narrow, narrowBytes, wide,
                               wideChars);
}

}  // namespace ql
