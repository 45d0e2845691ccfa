#include "support/security/account_names.h"

#include <cstdio>
#include <cstring>

#include "support/platform/platform.h"

namespace ql {

namespace {

constexpr std::uint64_t kMaxAuthority = (std::uint64_t{1} << 48) - 1;

// Copies text (length characters) into buffer when it fits with its
// terminator; otherwise leaves buffer empty. Returns 0 or 122.
DWORD CopyWhole(const WCHAR* text, std::size_t length, LPWSTR buffer, DWORD size) {
    if (length >= size) {
        buffer[0] = 0;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    std::memcpy(buffer, text, length * sizeof(WCHAR));
    buffer[length] = 0;
    return 0;
}

std::size_t Length(const WCHAR* text) {
    std::size_t length = 0;
    while (text[length] != 0) ++length;
    return length;
}

bool SameText(const WCHAR* a, const WCHAR* b) {
    for (; *a != 0 && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

}  // namespace

bool TqlParseSid(const void* sid, TqlSidParts& parts) noexcept {
    auto* bytes = static_cast<const BYTE*>(sid);
    if (bytes == nullptr || bytes[0] != kTqlSidRevision || bytes[1] > kTqlMaxSubAuthorities)
        return false;
    parts.subAuthorityCount = bytes[1];
    parts.authority = 0;
    for (int i = 0; i < 6; ++i) parts.authority = (parts.authority << 8) | bytes[2 + i];
    for (BYTE i = 0; i < parts.subAuthorityCount; ++i)
        std::memcpy(&parts.subAuthorities[i], bytes + 8 + 4 * i, sizeof(DWORD));
    return true;
}

DWORD TqlWriteSid(const TqlSidParts& parts, void* buffer, DWORD bufferBytes) noexcept {
    if (parts.subAuthorityCount > kTqlMaxSubAuthorities || parts.authority > kMaxAuthority)
        return ERROR_INVALID_PARAMETER;
    if (buffer == nullptr || bufferBytes < TqlSidByteLength(parts.subAuthorityCount))
        return ERROR_INSUFFICIENT_BUFFER;
    auto* bytes = static_cast<BYTE*>(buffer);
    bytes[0] = kTqlSidRevision;
    bytes[1] = parts.subAuthorityCount;
    for (int i = 0; i < 6; ++i) bytes[2 + i] = static_cast<BYTE>(parts.authority >> (40 - 8 * i));
    for (BYTE i = 0; i < parts.subAuthorityCount; ++i)
        std::memcpy(bytes + 8 + 4 * i, &parts.subAuthorities[i], sizeof(DWORD));
    return 0;
}

DWORD TqlSidToText(const void* sid, LPWSTR buffer, DWORD size) noexcept {
    // The 9x family has no security identifiers.
    if (TqlIsWin9x()) return kTqlErrorCallNotImplemented;
    if (sid == nullptr || buffer == nullptr || size == 0) return ERROR_INVALID_PARAMETER;
    TqlSidParts parts;
    if (!TqlParseSid(sid, parts)) return kTqlErrorInvalidSid;

    // The longest text: "S-1-", "0x" and 12 digits, 15 times "-" and 10 digits.
    char text[4 + 14 + 15 * 11 + 1];
    int length = std::snprintf(text, sizeof text, "S-%lu-", 1ul);
    const auto* authority = static_cast<const BYTE*>(sid) + 2;
    if (authority[0] == 0 && authority[1] == 0) {
        length += std::snprintf(text + length, sizeof text - length, "%lu",
                                static_cast<unsigned long>(parts.authority));
    } else {
        length += std::snprintf(
            text + length, sizeof text - length, "0x%02hx%02hx%02hx%02hx%02hx%02hx",
            static_cast<unsigned short>(authority[0]), static_cast<unsigned short>(authority[1]),
            static_cast<unsigned short>(authority[2]), static_cast<unsigned short>(authority[3]),
            static_cast<unsigned short>(authority[4]), static_cast<unsigned short>(authority[5]));
    }
    for (BYTE i = 0; i < parts.subAuthorityCount; ++i)
        length += std::snprintf(text + length, sizeof text - length, "-%lu",
                                static_cast<unsigned long>(parts.subAuthorities[i]));

    // The text is ASCII; a longer text than the buffer holds is cut.
    DWORD copied = 0;
    for (; copied + 1 < size && copied < static_cast<DWORD>(length); ++copied)
        buffer[copied] = static_cast<WCHAR>(text[copied]);
    buffer[copied] = 0;
    return copied == static_cast<DWORD>(length) ? 0 : ERROR_INSUFFICIENT_BUFFER;
}

DWORD TqlLookupNameFromSid(const void* sid, LPWSTR buffer, DWORD size, BOOL dropLocalComputer,
                           DWORD* nameUse) noexcept {
    if (sid == nullptr || buffer == nullptr || size == 0) return ERROR_INVALID_PARAMETER;
    TqlSidParts parts;
    if (!TqlParseSid(sid, parts)) return kTqlErrorInvalidSid;

    WCHAR name[kTqlMaxNameChars] = {};
    WCHAR domain[kTqlMaxNameChars] = {};
    DWORD use = 0;
    DWORD error = TqlLookupAccountSid(sid, name, kTqlMaxNameChars, domain, kTqlMaxNameChars, &use);
    if (error != 0) return error;

    bool bare = domain[0] == 0 || use == kTqlSidTypeAlias || use == kTqlSidTypeWellKnownGroup;
    if (!bare && dropLocalComputer) {
        // Room for a host name too: the Windows computer name takes at most
        // kTqlComputerNameChars, but its fall-back and the POSIX name are
        // host names.
        WCHAR computer[kTqlMaxNameChars] = {};
        DWORD chars = kTqlMaxNameChars;
        bare = TqlGetComputerName(computer, &chars) == 0 && SameText(computer, domain);
    }

    if (bare) {
        error = CopyWhole(name, Length(name), buffer, size);
    } else {
        std::size_t domainLength = Length(domain);
        std::size_t nameLength = Length(name);
        WCHAR full[2 * kTqlMaxNameChars];
        std::memcpy(full, domain, domainLength * sizeof(WCHAR));
        full[domainLength] = '\\';
        std::memcpy(full + domainLength + 1, name, nameLength * sizeof(WCHAR));
        error = CopyWhole(full, domainLength + 1 + nameLength, buffer, size);
    }
    if (error != 0) return error;
    if (nameUse != nullptr) *nameUse = use;
    return 0;
}

}  // namespace ql
