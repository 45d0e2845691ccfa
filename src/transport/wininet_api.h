// The WinINet entries, bound at run time like the platform layer's system
// wrappers (support/platform/system_wrappers.h): each carries the name of the
// system function with a leading underscore and without its wide suffix, and
// leaves its error as the thread's last error. Windows only.
#pragma once

#include "support/base/com_types.h"
#include "support/platform/dynamic_library.h"
#include "transport/internet_status_callback.h"

#ifdef _WIN32
namespace ql {

// WinINet, lazily bound from "WININET.DLL"; every entry fails with 0.
LPVOID _InternetOpen(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR proxyBypass,
                     DWORD flags) noexcept;
LPVOID _InternetConnect(LPVOID session, LPCWSTR server, WORD port, LPCWSTR user, LPCWSTR password,
                        DWORD service, DWORD flags, DWORD_PTR context) noexcept;
LPVOID _HttpOpenRequest(LPVOID connection, LPCWSTR verb, LPCWSTR objectName, LPCWSTR version,
                        LPCWSTR referrer, LPCWSTR* acceptTypes, DWORD flags,
                        DWORD_PTR context) noexcept;
BOOL _HttpSendRequest(LPVOID request, LPCWSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength) noexcept;
BOOL _HttpQueryInfo(LPVOID request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                    LPDWORD index) noexcept;
BOOL _InternetSetOption(LPVOID handle, DWORD option, LPVOID buffer, DWORD bufferLength) noexcept;
BOOL _InternetQueryOption(LPVOID handle, DWORD option, LPVOID buffer,
                          LPDWORD bufferLength) noexcept;
// Binds the export "InternetSetStatusCallback" (no suffix).
TqlInternetStatusCallback _InternetSetStatusCallback(LPVOID handle,
                                                     TqlInternetStatusCallback callback) noexcept;
BOOL _InternetReadFile(LPVOID file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) noexcept;
BOOL _InternetCloseHandle(LPVOID handle) noexcept;
// The WinINet library, loaded when it is not yet; null when it does not load.
TqlModule TqlWinInetModule() noexcept;

}  // namespace ql
#endif
