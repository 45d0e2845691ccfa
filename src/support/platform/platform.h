// What the platform layer knows about the running system: its family and
// version as one 64-bit description, whether it is a 32-bit process on a
// 64-bit host, the form of an Internet Explorer version; and loading a
// library from its own directory.
#pragma once

#include "support/base/com_types.h"
#include "support/base/wide_string.h"
#include "support/platform/dynamic_library.h"

namespace ql {

// The system description: the build number (its low 16 bits) in the high 32
// bits, these flags in the low 32 bits. Never renumber: callers keep and
// compare these values.
inline constexpr DWORD kTqlOsFamilyMask = 0xF0000000u;
inline constexpr DWORD kTqlOsWin9x = 0x10000000u;
inline constexpr DWORD kTqlOsWinNT = 0x20000000u;
// 9x: the second release (95 OSR2, 98 Second Edition); NT: a workstation.
inline constexpr DWORD kTqlOsSecondReleaseOrWorkstation = 0x00100000u;
inline constexpr DWORD kTqlOs95OrNT4 = 0x00000100u;           // 95, or NT 4.0 build 1381+
inline constexpr DWORD kTqlOs98Or2000 = 0x00000200u;          // 98, or NT 5.0
inline constexpr DWORD kTqlOsMeOrXp = 0x00000400u;            // ME, or NT 5.x workstation
inline constexpr DWORD kTqlOsServer2003 = 0x00000800u;        // NT 5.x server, not 5.0
inline constexpr DWORD kTqlOsNT6 = 0x00001000u;               // NT 6
inline constexpr DWORD kTqlOsTerminalServices = 0x00200000u;  // NT, terminal-services suite
inline constexpr DWORD kTqlOsSingleUserTerminalServices = 0x00400000u;
inline constexpr DWORD kTqlOsServicePackMask = 0x000000FFu;

// Both halves all ones: the predicates ask about the running system.
inline constexpr DWORD kTqlRunningSystem = 0xFFFFFFFFu;

// What the system reports about itself, as the description is computed from.
struct TqlOsVersionFields {
    DWORD platformId = 0;  // 1: 9x family, 2: NT family, anything else: neither
    DWORD majorVersion = 0;
    DWORD minorVersion = 0;
    DWORD buildNumber = 0;
    WString servicePack;  // e.g. "Service Pack 2"; empty when none
    WORD suiteMask = 0;   // VER_SUITE_* bits; 0 when only the plain structure was had
    // NT: the "ProductType" under "System\CurrentControlSet\Control\ProductOptions"
    // is "WINNT" (a workstation).
    bool ntWorkstation = false;
    // 98: the "Windows 98 Second Edition" update is installed.
    bool win98SecondEdition = false;
};

// The description of a system; 0 for an unknown platform or a 9x major
// version other than 4. A service-pack number outside 0..255 is not added:
// it would spill into the flags.
ULONGLONG TqlComputeOsVersion(const TqlOsVersionFields& fields) noexcept;

// Asks the running system for the fields; false when it cannot be asked.
// Outside Windows the platform is neither family (platformId 0).
bool TqlQueryOsVersionFields(TqlOsVersionFields* fields) noexcept;

// The running system's description, computed on first use and then cached
// for the life of the process (0 when the system cannot be asked, and on
// platforms other than Windows).
ULONGLONG TqlGetOsVersion() noexcept;

// Predicates over a description given as its low and high halves.
bool TqlIsWin9x(DWORD low = kTqlRunningSystem, DWORD high = kTqlRunningSystem) noexcept;
bool TqlIsWinNT(DWORD low = kTqlRunningSystem, DWORD high = kTqlRunningSystem) noexcept;
// NT with either terminal-services flag.
bool TqlHasTerminalServices(DWORD low = kTqlRunningSystem, DWORD high = kTqlRunningSystem) noexcept;

// Whether this 32-bit process runs on a 64-bit Windows host; asked of the
// system once, and a failing or missing IsWow64Process counts as no. Always
// false on POSIX, whose registry store has one view.
bool TqlIsWow64Process() noexcept;

// (major << 16) | minor of an Internet Explorer version text ("%d.%d", as
// TqlGetIeVersion of registry/ie_version.h reads it from the registry); 0
// when it does not start with two numbers.
DWORD TqlParseIeVersion(WStringView text) noexcept;

// Loads the library at path with its own directory as the current directory
// (on Windows, so that libraries it depends on are found next to it); the
// previous current directory is restored. Returns 0 with *module set, or the
// error (87 for a null argument, 126 when it does not load). Free the module
// with TqlFreeModule (or hand it to a CTqlUniqueModule).
DWORD TqlLoadLibraryFromDir(LPCWSTR path, TqlModule* module) noexcept;

}  // namespace ql
