// Every HRESULT the library raises or returns, in one place. These values
// reach callers and appear in their logs: never renumber.
#pragma once

#include "support/base/com_types.h"

namespace ql::hr {

inline constexpr HRESULT FromWin32(DWORD code) {
    return code == 0 ? S_OK : static_cast<HRESULT>((code & 0xFFFFu) | 0x80070000u);
}

// Codec used before a stream is attached or a header is known.
inline constexpr HRESULT kNotReady = FromWin32(21);  // 0x80070015
// The request stream refused bytes or took fewer than offered.
inline constexpr HRESULT kWriteFault = FromWin32(29);  // 0x8007001D
// The reply ended early or could not be read.
inline constexpr HRESULT kReadFault = FromWin32(30);  // 0x8007001E
// A type tag that is due does not match.
inline constexpr HRESULT kDatatypeMismatch = FromWin32(1629);  // 0x8007065D
// A VARIANT type that cannot travel.
inline constexpr HRESULT kUnsupportedType = FromWin32(1630);  // 0x8007065E
// An array must grow but its holder does not allow it.
inline constexpr HRESULT kInvalidUserBuffer = FromWin32(1784);  // 0x800706F8
// Reply header shorter than 12 bytes or from a newer protocol.
inline constexpr HRESULT kIncompatibleStreamVersion =
    static_cast<HRESULT>(0x8001013Bu);  // CO_E_INCOMPATIBLESTREAMVERSION
// A limit on received or sent data was exceeded.
inline constexpr HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057u);    // E_INVALIDARG
inline constexpr HRESULT kOutOfMemory = static_cast<HRESULT>(0x8007000Eu);   // E_OUTOFMEMORY
inline constexpr HRESULT kPointer = static_cast<HRESULT>(0x80004003u);       // E_POINTER
inline constexpr HRESULT kNotImpl = static_cast<HRESULT>(0x80004001u);       // E_NOTIMPL
inline constexpr HRESULT kNoInterface = static_cast<HRESULT>(0x80004002u);   // E_NOINTERFACE
inline constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005u);          // E_FAIL
inline constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005u);  // E_ACCESSDENIED
// CreateInterface called a second time on one object.
inline constexpr HRESULT kAlreadyInitialized = FromWin32(1247);  // 0x800704DF
// A DCOM-mode call on an object that holds no remote interface pointer
// (CreateInterface has not succeeded): CO_E_OBJNOTCONNECTED.
inline constexpr HRESULT kObjectNotConnected = static_cast<HRESULT>(0x800401FDu);
// Remote activation is not available on this platform (no DCOM runtime):
// REGDB_E_CLASSNOTREG, what Windows answers for a class it cannot activate.
inline constexpr HRESULT kClassNotRegistered = static_cast<HRESULT>(0x80040154u);
// Transport outcomes.
inline constexpr HRESULT kServerUnavailable = FromWin32(1722);               // 0x800706BA
inline constexpr HRESULT kCallFailedDne = FromWin32(1727);                   // 0x800706BF
inline constexpr HRESULT kDisconnected = static_cast<HRESULT>(0x80010108u);  // RPC_E_DISCONNECTED

}  // namespace ql::hr
