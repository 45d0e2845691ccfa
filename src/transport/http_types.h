// Values shared by the transport and its back ends: library handles,
// authentication schemes and targets, HTTP and vault statuses.
#pragma once

#include "support/base/com_types.h"

namespace ql {

// A handle of the HTTP library (session, connection or request); the back
// end gives it its meaning.
using HttpHandle = void*;

// Authentication schemes, as bits of a mask.
inline constexpr DWORD kAuthSchemeBasic = 1;
inline constexpr DWORD kAuthSchemeNtlm = 2;
inline constexpr DWORD kAuthSchemeNegotiate = 16;
// The schemes this transport answers; the libraries' other bits (Passport,
// Digest) are masked away.
inline constexpr DWORD kAuthSchemesUsed = kAuthSchemeBasic | kAuthSchemeNtlm | kAuthSchemeNegotiate;
// Who asked for credentials.
inline constexpr DWORD kAuthTargetServer = 0;
inline constexpr DWORD kAuthTargetProxy = 1;

inline constexpr DWORD kHttpStatusOk = 200;
inline constexpr DWORD kHttpStatusUnauthorized = 401;
inline constexpr DWORD kHttpStatusForbidden = 403;
inline constexpr DWORD kHttpStatusProxyAuthRequired = 407;
inline constexpr DWORD kHttpStatusServiceUnavailable = 503;

// The vault's own status, in the "HVEH" reply header: an error code in the
// high 16 bits over 200.
inline constexpr DWORD kVaultStatusOk = 200;
inline constexpr DWORD kVaultErrorObjectNotFound = 0x03EA00C8;
inline constexpr DWORD kVaultErrorExceptionInMethod = 0x03ED00C8;
inline constexpr DWORD kVaultErrorIncorrectUserName = 0x03EF00C8;
inline constexpr DWORD kVaultErrorLbNodeIsDisabled = 0x03F000C8;

}  // namespace ql
