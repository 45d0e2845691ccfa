// Registry access. On Windows the system registry; on POSIX a file-backed
// store with the same model (README: "Registry store on Linux"): root keys
// HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS and HKEY_CLASSES_ROOT
// (an alias of HKEY_LOCAL_MACHINE\Software\Classes), sub-keys separated by
// "\", key and value names compared without regard to case, typed values.
//
// Every function returns 0 or a system error code: 2 for a missing key or
// value, 87 for a bad argument, 234 when the caller's buffer is too small,
// 1629 for a value of the wrong type; on POSIX also 6 for a root key the
// store does not hold and 1015 for a store file that cannot be read as one.
// use64BitView asks for the 64-bit view of the registry; it takes effect in
// a 32-bit process on a 64-bit Windows (TqlIsWow64Process), and the POSIX
// store has one view only.
//
// These functions never trace: the tracing facility reads its own settings
// through them.
#pragma once

#include "support/base/com_types.h"
#include "support/base/win32_errors.h"

namespace ql {

// The largest value the writers store (1 MiB of data); a larger one is 87.
// Values this size are already far beyond what a registry is for.
inline constexpr DWORD kTqlMaxRegistryValueBytes = 1u << 20;
// A chars argument of the string writer that means "up to the terminator"
// (REG_MULTI_SZ: up to the empty string that ends the list).
inline constexpr DWORD kTqlNullTerminated = 0xFFFFFFFFu;

// Reads a string value of type REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ (not
// expanded) into buffer. *chars in: the buffer size in characters, terminator
// included; out: on success the length in characters including the
// terminator, on 234 the length needed (so a 10-character value reports 11).
// On every failure the buffer is left as it was. 87 for a null root key,
// sub-key, buffer or chars; a null value name is the key's default value.
DWORD TqlReadRegistryString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, LPWSTR buffer,
                            DWORD* chars, BOOL use64BitView);

// Reads a value of type REG_DWORD or REG_DWORD_BIG_ENDIAN (taken as stored,
// not byte-swapped). Any other type, or data that is not 4 bytes, is 1629;
// on every failure *value is left as it was.
DWORD TqlReadRegistryDword(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD* value,
                           BOOL use64BitView);

// Writes a string value (REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ, else 87),
// creating the key and its parents as needed. chars is the number of
// characters of data to store, or kTqlNullTerminated; the stored value always
// ends with a terminator (REG_MULTI_SZ: with an empty string), which is added
// when data lacks it.
DWORD TqlWriteRegistryString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD type,
                             const WCHAR* data, DWORD chars, BOOL use64BitView);

// Writes a REG_DWORD or REG_DWORD_BIG_ENDIAN value (else 87), stored as the
// 4 bytes of value in memory order, creating the key as needed.
DWORD TqlWriteRegistryDword(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD type, DWORD value,
                            BOOL use64BitView);

// Deletes a key with all its sub-keys and values. A root key itself cannot
// be deleted: an empty sub-key is 87.
DWORD TqlDeleteRegistryKey(HKEY root, LPCWSTR subKey, BOOL use64BitView);

// Deletes one value; 2 when the key or the value does not exist.
DWORD TqlDeleteRegistryValue(HKEY root, LPCWSTR subKey, LPCWSTR valueName, BOOL use64BitView);

// The raw value, as RegQueryValueEx gives it: *type (may be null) receives
// its type; *bytes in: the size of data; out: the size of the value, which is
// also what 234 reports when data is too small. A null data asks for type and
// size only.
DWORD TqlQueryRegistryValue(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD* type, BYTE* data,
                            DWORD* bytes, BOOL use64BitView);

// Stores a raw value of any type, creating the key and its parents as needed.
DWORD TqlSetRegistryValue(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD type,
                          const BYTE* data, DWORD bytes, BOOL use64BitView);

}  // namespace ql
