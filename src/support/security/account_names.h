// Security identifiers and account names: a token's information, the text
// form of an identifier (SID), the account name of an identifier, and the
// computer's name. Every function returns 0 or a system error code.
//
// POSIX has no SIDs of its own; identifiers there follow the well-known Unix
// mapping: S-1-22-1-<uid> is a user and S-1-22-2-<gid> a group, both in the
// domain named after the computer, with names from the user and group
// databases; S-1-1-0 is the well-known group Everyone. Any other identifier
// has no name there (1332).
#pragma once

#include <cstdint>

#include "support/base/com_types.h"
#include "support/base/win32_errors.h"

namespace ql {

// Token information classes (the values of Windows) that every platform
// answers, and what their blocks hold.
inline constexpr DWORD kTqlTokenUser = 1;                // TqlTokenUser
inline constexpr DWORD kTqlTokenType = 8;                // DWORD, a token type
inline constexpr DWORD kTqlTokenImpersonationLevel = 9;  // DWORD; impersonation tokens only
// Token types and impersonation levels.
inline constexpr DWORD kTqlTokenPrimary = 1;
inline constexpr DWORD kTqlTokenImpersonation = 2;
inline constexpr DWORD kTqlSecurityIdentification = 1;
inline constexpr DWORD kTqlSecurityImpersonation = 2;

// What an account name stands for (the values of Windows).
inline constexpr DWORD kTqlSidTypeUser = 1;
inline constexpr DWORD kTqlSidTypeGroup = 2;
inline constexpr DWORD kTqlSidTypeAlias = 4;
inline constexpr DWORD kTqlSidTypeWellKnownGroup = 5;

// Sizes in characters, terminator included: the longest account or domain
// name looked up, and the system's computer name on Windows (a host name, as
// on POSIX, may be longer).
inline constexpr DWORD kTqlMaxNameChars = 260;
inline constexpr DWORD kTqlComputerNameChars = 16;

// A SID in memory: revision (1), sub-authority count (at most 15), the
// identifier authority as 6 big-endian bytes, then the 32-bit sub-authorities
// in host byte order.
inline constexpr BYTE kTqlSidRevision = 1;
inline constexpr BYTE kTqlMaxSubAuthorities = 15;

struct TqlSidParts {
    std::uint64_t authority = 0;  // 48 bits
    BYTE subAuthorityCount = 0;
    DWORD subAuthorities[kTqlMaxSubAuthorities] = {};
};

// Reads a SID; false for null or for bytes that are not a valid SID.
bool TqlParseSid(const void* sid, TqlSidParts& parts) noexcept;
// The bytes a SID with that many sub-authorities takes.
inline constexpr DWORD TqlSidByteLength(BYTE subAuthorityCount) {
    return 8 + 4 * static_cast<DWORD>(subAuthorityCount);
}
// Writes parts as a SID into buffer (bufferBytes long). Returns 0, 87 for
// parts that make no valid SID, 122 when the buffer is too small.
DWORD TqlWriteSid(const TqlSidParts& parts, void* buffer, DWORD bufferBytes) noexcept;

// The block of kTqlTokenUser: the user's SID, which lies in the same block,
// and its attributes; laid out as the system's TOKEN_USER.
struct TqlTokenUser {
    void* Sid;
    DWORD Attributes;
};

// Reads one class of a token's information into a block from the support
// library's heap, which the caller frees with TqlFree. Returns 0 and the
// block, or an error code and null. (Defined with the token layer, see
// token_impersonator.h.)
DWORD TqlGetTokenInfo(HANDLE token, DWORD infoClass, void** buffer) noexcept;

// Writes the text form of sid ("S-1-5-18"; an authority of 2^32 or more in
// hexadecimal, "S-1-0x010203040506-...") into buffer, size characters with
// the terminator. 120 on the 9x family, 87 for a null argument or a size of
// 0, 1337 for an invalid SID. A text longer than the buffer is cut, kept terminated, and reported
// with 122.
DWORD TqlSidToText(const void* sid, LPWSTR buffer, DWORD size) noexcept;

// Writes the account name of sid into buffer (size characters with the
// terminator): "domain\name", or the name alone when the domain is empty,
// the account is an alias or a well-known group, or dropLocalComputer is set
// and the domain is this computer's name. Stores what the name stands for in
// *nameUse unless nameUse is null. 87 for a null sid or buffer or a size of
// 0, 1337 for an invalid SID, 1332 when the identifier has no name, 122 (and
// an empty buffer) when the name does not fit.
DWORD TqlLookupNameFromSid(const void* sid, LPWSTR buffer, DWORD size, BOOL dropLocalComputer,
                           DWORD* nameUse) noexcept;

// The local system's lookup of sid: account name and domain into buffers of
// nameSize and domainSize characters, and what the name stands for (nameUse
// may be null). 122 when a name does not fit.
DWORD TqlLookupAccountSid(const void* sid, LPWSTR name, DWORD nameSize, LPWSTR domain,
                          DWORD domainSize, DWORD* nameUse) noexcept;

// Writes the computer's name into buffer, *size characters with the
// terminator, and sets *size to the characters written without it. When the
// name does not fit, returns 111 and sets *size to the characters needed with
// the terminator. 87 for a null size, or a null buffer with a size above 0.
// Windows reads the system's computer name and, failing that, the host name
// of the socket library; POSIX reads the host name up to its first dot.
DWORD TqlGetComputerName(LPWSTR buffer, DWORD* size) noexcept;

}  // namespace ql
