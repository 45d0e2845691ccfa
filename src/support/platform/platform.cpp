// The system description and the form of the Internet Explorer version:
// computed here the same way on every platform from what platform_win.cpp /
// platform_posix.cpp ask of the system.
#include "support/platform/platform.h"

namespace ql {

namespace {

constexpr DWORD kPlatform9x = 1;                   // VER_PLATFORM_WIN32_WINDOWS
constexpr DWORD kPlatformNT = 2;                   // VER_PLATFORM_WIN32_NT
constexpr WORD kSuiteTerminal = 0x0010;            // VER_SUITE_TERMINAL
constexpr WORD kSuiteSingleUserTerminal = 0x0100;  // VER_SUITE_SINGLEUSERTS
// NT 4.0 counts from its release build.
constexpr DWORD kNT4ReleaseBuild = 1381;
// 95 builds above this one are the second release.
constexpr DWORD k95SecondReleaseBuild = 1000;

bool IsBlank(WCHAR c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// Reads a decimal number as "%d" does after its white space: an optional
// sign and at least one digit. False when there is none or it overflows.
bool ReadNumber(WStringView text, std::size_t* pos, long long* number) {
    while (*pos < text.size() && IsBlank(text[*pos])) ++*pos;
    bool negative = false;
    if (*pos < text.size() && (text[*pos] == u'-' || text[*pos] == u'+'))
        negative = text[(*pos)++] == u'-';
    std::size_t start = *pos;
    long long value = 0;
    while (*pos < text.size() && text[*pos] >= u'0' && text[*pos] <= u'9') {
        value = value * 10 + (text[*pos] - u'0');
        if (value > 0x7FFFFFFF) return false;
        ++*pos;
    }
    if (*pos == start) return false;
    *number = negative ? -value : value;
    return true;
}

// Skips one white-space delimited word as "%s" does.
bool SkipWord(WStringView text, std::size_t* pos) {
    while (*pos < text.size() && IsBlank(text[*pos])) ++*pos;
    std::size_t start = *pos;
    while (*pos < text.size() && !IsBlank(text[*pos])) ++*pos;
    return *pos > start;
}

// The number of a service-pack text that reads as "%s %s %d".
bool ParseServicePack(WStringView text, long long* number) {
    std::size_t pos = 0;
    return SkipWord(text, &pos) && SkipWord(text, &pos) && ReadNumber(text, &pos, number);
}

bool HasFamily(DWORD low, DWORD high, DWORD family) {
    if (low == kTqlRunningSystem && high == kTqlRunningSystem)
        low = static_cast<DWORD>(TqlGetOsVersion());
    return (low & kTqlOsFamilyMask) == family;
}

}  // namespace

ULONGLONG TqlComputeOsVersion(const TqlOsVersionFields& fields) noexcept {
    DWORD build = fields.buildNumber & 0xFFFF;
    DWORD description = 0;
    if (fields.platformId == kPlatform9x) {
        if (fields.majorVersion != 4) return 0;
        if (fields.minorVersion == 10) {
            description = kTqlOsWin9x | kTqlOs98Or2000;
            if (fields.win98SecondEdition) description |= kTqlOsSecondReleaseOrWorkstation;
        } else if (fields.minorVersion == 90) {
            description = kTqlOsWin9x | kTqlOsMeOrXp;
        } else {
            description = kTqlOsWin9x | kTqlOs95OrNT4;
            if (build > k95SecondReleaseBuild) description |= kTqlOsSecondReleaseOrWorkstation;
        }
    } else if (fields.platformId == kPlatformNT) {
        description = kTqlOsWinNT;
        if (fields.ntWorkstation) description |= kTqlOsSecondReleaseOrWorkstation;
        if (fields.majorVersion == 4 && build >= kNT4ReleaseBuild) description |= kTqlOs95OrNT4;
        if (fields.majorVersion == 5) {
            if (fields.minorVersion == 0)
                description |= kTqlOs98Or2000;
            else
                description |= fields.ntWorkstation ? kTqlOsMeOrXp : kTqlOsServer2003;
        }
        if (fields.majorVersion == 6) description |= kTqlOsNT6;
        long long servicePack = 0;
        if (ParseServicePack(fields.servicePack, &servicePack) && servicePack >= 0 &&
            servicePack <= kTqlOsServicePackMask)
            description += static_cast<DWORD>(servicePack);
        if ((fields.suiteMask & kSuiteTerminal) != 0) description |= kTqlOsTerminalServices;
        if ((fields.suiteMask & kSuiteSingleUserTerminal) != 0)
            description |= kTqlOsSingleUserTerminalServices;
    } else {
        return 0;
    }
    return (static_cast<ULONGLONG>(build) << 32) | description;
}

ULONGLONG TqlGetOsVersion() noexcept {
    static const ULONGLONG s_description = [] {
        try {
            TqlOsVersionFields fields;
            return TqlQueryOsVersionFields(&fields) ? TqlComputeOsVersion(fields) : 0;
        } catch (...) {
            return ULONGLONG{0};
        }
    }();
    return s_description;
}

bool TqlIsWin9x(DWORD low, DWORD high) noexcept { return HasFamily(low, high, kTqlOsWin9x); }

bool TqlIsWinNT(DWORD low, DWORD high) noexcept { return HasFamily(low, high, kTqlOsWinNT); }

bool TqlHasTerminalServices(DWORD low, DWORD high) noexcept {
    if (low == kTqlRunningSystem && high == kTqlRunningSystem)
        low = static_cast<DWORD>(TqlGetOsVersion());
    return (low & kTqlOsFamilyMask) == kTqlOsWinNT &&
           (low & (kTqlOsTerminalServices | kTqlOsSingleUserTerminalServices)) != 0;
}

DWORD TqlParseIeVersion(WStringView text) noexcept {
    std::size_t pos = 0;
    long long major = 0;
    long long minor = 0;
    if (!ReadNumber(text, &pos, &major) || pos >= text.size() || text[pos] != u'.') return 0;
    ++pos;
    if (!ReadNumber(text, &pos, &minor)) return 0;
    // A major version that does not fit the high half is not a version.
    if (major < 0 || major > 0xFFFF) return 0;
    return (static_cast<DWORD>(major) << 16) | (static_cast<DWORD>(minor) & 0xFFFF);
}

}  // namespace ql
