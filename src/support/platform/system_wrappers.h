// The platform layer's wrappers of system functions. Each carries the name of
// the system function with a leading underscore and without its narrow or
// wide suffix, takes the arguments and gives the result of that function, and
// leaves its error as the thread's last error (_GetLastError).
//
// On Windows the wrappers call the wide form: the module's runtime needs the
// NT family, so the narrow form is never the one to call. The optional
// functions are lazily bound (dynamic_library.h) and return the failure
// value of their entry while they cannot be bound.
//
// On POSIX only the wrappers that mean something there exist. Paths and names
// are UTF-8 on the system side, and the last error is a per-thread value that
// these wrappers set with the Windows code of the failure (errno mapped:
// ENOENT 2, ENOTDIR 3, EACCES/EPERM/EISDIR 5, ENOMEM 8, EEXIST 183, ...).
#pragma once

#include <cstdarg>

#include "support/base/com_types.h"
#include "support/platform/dynamic_library.h"

namespace ql {

// File attribute bits, with the values Windows gives them.
inline constexpr DWORD kTqlFileAttributeReadOnly = 0x1;
inline constexpr DWORD kTqlFileAttributeDirectory = 0x10;
inline constexpr DWORD kTqlFileAttributeNormal = 0x80;
inline constexpr DWORD kTqlInvalidFileAttributes = 0xFFFFFFFFu;

// The calling thread's last error.
DWORD _GetLastError() noexcept;
void _SetLastError(DWORD error) noexcept;

// The Windows system error code for a C library errno value; 0 for 0 and
// 1359 (internal error) for a value without a counterpart.
DWORD TqlErrorFromErrno(int error) noexcept;

// The debugger output (on POSIX: standard error). A null text is ignored.
void _OutputDebugString(LPCWSTR text) noexcept;

// The account name. *chars in: buffer size in characters; out: on success the
// length including the terminator, on failure with 122 the size needed.
BOOL _GetUserName(LPWSTR buffer, LPDWORD chars) noexcept;
// The computer name (on POSIX: the host name up to its first dot). *chars in:
// buffer size in characters; out: on success the length without the
// terminator, on failure with 111 the size needed with it.
BOOL _GetComputerName(LPWSTR buffer, LPDWORD chars) noexcept;

BOOL _DeleteFile(LPCWSTR path) noexcept;
// Moves a file or directory; fails with 183 when the target exists.
BOOL _MoveFile(LPCWSTR from, LPCWSTR to) noexcept;
// kTqlInvalidFileAttributes on failure. On POSIX: directory, read-only (no
// write permission for the owner) or normal.
DWORD _GetFileAttributes(LPCWSTR path) noexcept;
// On POSIX only the read-only bit has a meaning: it removes every write
// permission, and clearing it gives the owner write permission back.
BOOL _SetFileAttributes(LPCWSTR path, DWORD attributes) noexcept;
// Returns the length without the terminator, or when the buffer is too small
// the size needed with it, or 0 on failure.
DWORD _GetCurrentDirectory(DWORD chars, LPWSTR buffer) noexcept;
BOOL _SetCurrentDirectory(LPCWSTR path) noexcept;
// Loads a library by path or name; null with the last error (126 on POSIX).
TqlModule _LoadLibrary(LPCWSTR name) noexcept;

}  // namespace ql

#ifdef _WIN32
// Windows only: kernel objects, files, messages, the registry and the system's
// formatting, and the lazily bound system libraries (the HTTP stacks' are in
// transport/winhttp_api.h and transport/wininet_api.h).
struct WSAData;

namespace ql {

HANDLE _CreateMutex(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name) noexcept;
HANDLE _CreateSemaphore(LPSECURITY_ATTRIBUTES attributes, LONG initialCount, LONG maximumCount,
                        LPCWSTR name) noexcept;
HANDLE _CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                    LPCWSTR name) noexcept;
HANDLE _CreateFile(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                   DWORD disposition, DWORD flags, HANDLE templateFile) noexcept;
HANDLE _CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protection,
                          DWORD maximumSizeHigh, DWORD maximumSizeLow, LPCWSTR name) noexcept;
DWORD _FormatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, va_list* arguments) noexcept;
// Accepts only the two sizes of the wide version structures (276 and 284
// bytes) and otherwise fails with 87.
BOOL _GetVersionEx(LPOSVERSIONINFOW info) noexcept;
LONG _RegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY key) noexcept;
LONG _RegQueryValueEx(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD bytes) noexcept;
int _GetDateFormat(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format, LPWSTR buffer,
                   int chars) noexcept;
int _GetTimeFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format, LPWSTR buffer,
                   int chars) noexcept;
BOOL _PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
BOOL _PeekMessage(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                  UINT removeFlags) noexcept;
LRESULT _DispatchMessage(const MSG* message) noexcept;

// Lazily bound from "SECUR32.DLL" (failure value 0). nameFormat is an
// EXTENDED_NAME_FORMAT value.
BOOLEAN _GetUserNameEx(int nameFormat, LPWSTR buffer, PULONG chars) noexcept;
// Lazily bound from "ADVAPI32.DLL" (failure value 0).
BOOL _DuplicateTokenEx(HANDLE token, DWORD access, LPSECURITY_ATTRIBUTES attributes,
                       SECURITY_IMPERSONATION_LEVEL level, TOKEN_TYPE type,
                       PHANDLE newToken) noexcept;
// Lazily bound from "KERNEL32.DLL" (failure value 0).
BOOL _IsWow64Process(HANDLE process, PBOOL wow64) noexcept;
BOOL _ProcessIdToSessionId(DWORD processId, DWORD* sessionId) noexcept;
BOOL _HeapSetInformation(HANDLE heap, HEAP_INFORMATION_CLASS informationClass, PVOID information,
                         SIZE_T length) noexcept;
// Lazily bound from "WSOCK32.DLL"; failure values 10092 (WSAStartup), -1
// (WSACleanup), 120 (WSAGetLastError, gethostname).
int _WSAStartup(WORD version, WSAData* data) noexcept;
int _WSACleanup() noexcept;
int _WSAGetLastError() noexcept;
int _gethostname(char* name, int length) noexcept;

}  // namespace ql
#endif
