#include "support/platform/text_conversion.h"

#include <climits>
#include <cstddef>
#include <string>

#include "support/base/wide_string.h"
#include "support/base/win32_errors.h"
#include "support/platform/system_wrappers.h"

namespace ql {

namespace {

constexpr UINT kCodePageThreadAnsi = 3;  // CP_THREAD_ACP
constexpr WCHAR kReplacement = 0xFFFD;

// The flags each direction takes in the system's code pages; the composition
// flags have nothing to do on UTF-8 text and are accepted as they are.
constexpr DWORD kWideFlagsAnsi = 0x10 | 0x20 | 0x40 | 0x200 | 0x400;
constexpr DWORD kNarrowFlagsAnsi = 0x1 | 0x2 | 0x4 | kTqlMbErrInvalidChars;

enum class CodePage { kUtf8, kAnsi, kUnknown };

CodePage Classify(UINT codePage) {
    if (codePage == kTqlCodePageUtf8) return CodePage::kUtf8;
    if (codePage == kTqlThreadCodePage || codePage == kTqlCodePageAnsi ||
        codePage == kTqlCodePageOem || codePage == kCodePageThreadAnsi)
        return CodePage::kAnsi;
    return CodePage::kUnknown;
}

int Fail(DWORD error) {
    _SetLastError(error);
    return 0;
}

bool IsHighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Decodes one well-formed UTF-8 sequence at text[i]; returns its length, or
// the length of the maximal ill-formed prefix (at least 1) with *valid false.
std::size_t DecodeUtf8(const unsigned char* text, std::size_t size, std::size_t i, char32_t* cp,
                       bool* valid) {
    unsigned char lead = text[i];
    *valid = false;
    if (lead < 0x80) {
        *cp = lead;
        *valid = true;
        return 1;
    }
    std::size_t extra;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        *cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        *cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        *cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;   // no overlong forms
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 1;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        if (i + k >= size) return k;
        unsigned char next = text[i + k];
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return k;
        *cp = (*cp << 6) | (next & 0x3F);
    }
    *valid = true;
    return extra + 1;
}

}  // namespace

int TqlWideToNarrow(UINT codePage, DWORD flags, LPCWSTR wide, int wideChars, LPSTR narrow,
                    int narrowBytes, LPCSTR defaultChar, BOOL* usedDefaultChar) noexcept {
    CodePage kind = Classify(codePage);
    if (kind == CodePage::kUnknown || wide == nullptr || wideChars == 0 || wideChars < -1 ||
        narrowBytes < 0 || (narrow == nullptr && narrowBytes > 0))
        return Fail(ERROR_INVALID_PARAMETER);
    if (kind == CodePage::kUtf8) {
        if ((flags & ~kTqlWcErrInvalidChars) != 0) return Fail(kTqlErrorInvalidFlags);
        if (defaultChar != nullptr || usedDefaultChar != nullptr)
            return Fail(ERROR_INVALID_PARAMETER);
    } else if ((flags & ~kWideFlagsAnsi) != 0) {
        return Fail(kTqlErrorInvalidFlags);
    }
    try {
        std::size_t count = wideChars == -1 ? std::char_traits<WCHAR>::length(wide) + 1
                                            : static_cast<std::size_t>(wideChars);
        std::string out;
        bool usedDefault = false;
        for (std::size_t i = 0; i < count; ++i) {
            WCHAR c = wide[i];
            if (IsHighSurrogate(c) && i + 1 < count && IsLowSurrogate(wide[i + 1])) {
                AppendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
                ++i;
            } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
                if (kind == CodePage::kUtf8) {
                    if ((flags & kTqlWcErrInvalidChars) != 0)
                        return Fail(kTqlErrorNoUnicodeTranslation);
                    AppendUtf8(out, kReplacement);
                } else {
                    out += defaultChar != nullptr ? *defaultChar : '?';
                    usedDefault = true;
                }
            } else {
                AppendUtf8(out, c);
            }
        }
        if (out.size() > static_cast<std::size_t>(INT_MAX)) return Fail(ERROR_INVALID_PARAMETER);
        if (usedDefaultChar != nullptr) *usedDefaultChar = usedDefault ? TRUE : FALSE;
        if (narrowBytes == 0) return static_cast<int>(out.size());
        if (out.size() > static_cast<std::size_t>(narrowBytes))
            return Fail(kTqlErrorInsufficientBuffer);
        out.copy(narrow, out.size());
        return static_cast<int>(out.size());
    } catch (...) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

int TqlNarrowToWide(UINT codePage, DWORD flags, LPCSTR narrow, int narrowBytes, LPWSTR wide,
                    int wideChars) noexcept {
    CodePage kind = Classify(codePage);
    if (kind == CodePage::kUnknown || narrow == nullptr || narrowBytes == 0 || narrowBytes < -1 ||
        wideChars < 0 || (wide == nullptr && wideChars > 0))
        return Fail(ERROR_INVALID_PARAMETER);
    DWORD allowed = kind == CodePage::kUtf8 ? kTqlMbErrInvalidChars : kNarrowFlagsAnsi;
    // Precomposed and composite forms exclude each other.
    if ((flags & ~allowed) != 0 || (flags & 0x3) == 0x3) return Fail(kTqlErrorInvalidFlags);
    try {
        std::size_t size = narrowBytes == -1 ? std::char_traits<char>::length(narrow) + 1
                                             : static_cast<std::size_t>(narrowBytes);
        const auto* bytes = reinterpret_cast<const unsigned char*>(narrow);
        std::basic_string<WCHAR> out;
        for (std::size_t i = 0; i < size;) {
            char32_t cp = 0;
            bool valid = false;
            i += DecodeUtf8(bytes, size, i, &cp, &valid);
            if (!valid) {
                if ((flags & kTqlMbErrInvalidChars) != 0)
                    return Fail(kTqlErrorNoUnicodeTranslation);
                cp = kReplacement;
            }
            if (cp >= 0x10000) {
                out += static_cast<WCHAR>(0xD800 + ((cp - 0x10000) >> 10));
                out += static_cast<WCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                out += static_cast<WCHAR>(cp);
            }
        }
        if (out.size() > static_cast<std::size_t>(INT_MAX)) return Fail(ERROR_INVALID_PARAMETER);
        if (wideChars == 0) return static_cast<int>(out.size());
        if (out.size() > static_cast<std::size_t>(wideChars))
            return Fail(kTqlErrorInsufficientBuffer);
        out.copy(wide, out.size());
        return static_cast<int>(out.size());
    } catch (...) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

}  // namespace ql
