// The WinHTTP entries, bound at run time like the platform layer's system
// wrappers (support/platform/system_wrappers.h): each carries the name of the
// system function with a leading underscore and without its wide suffix, and
// leaves its error as the thread's last error. Windows only.
#pragma once

#include "support/base/com_types.h"
#include "support/platform/dynamic_library.h"
#include "transport/internet_status_callback.h"

#ifdef _WIN32
namespace ql {

// WinHTTP, lazily bound from "WINHTTP.DLL", else "WINHTTP5.DLL"; every entry
// fails with 0 (FALSE or a null handle).
BOOL _WinHttpCheckPlatform() noexcept;
LPVOID _WinHttpOpen(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR proxyBypass,
                    DWORD flags) noexcept;
LPVOID _WinHttpConnect(LPVOID session, LPCWSTR server, WORD port, DWORD reserved) noexcept;
LPVOID _WinHttpOpenRequest(LPVOID connection, LPCWSTR verb, LPCWSTR objectName, LPCWSTR version,
                           LPCWSTR referrer, LPCWSTR* acceptTypes, DWORD flags) noexcept;
BOOL _WinHttpSendRequest(LPVOID request, LPCWSTR headers, DWORD headersLength, LPVOID optional,
                         DWORD optionalLength, DWORD totalLength, DWORD_PTR context) noexcept;
BOOL _WinHttpReceiveResponse(LPVOID request, LPVOID reserved) noexcept;
BOOL _WinHttpReadData(LPVOID request, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) noexcept;
BOOL _WinHttpQueryHeaders(LPVOID request, DWORD infoLevel, LPCWSTR name, LPVOID buffer,
                          LPDWORD bufferLength, LPDWORD index) noexcept;
BOOL _WinHttpQueryAuthSchemes(LPVOID request, LPDWORD supportedSchemes, LPDWORD firstScheme,
                              LPDWORD authTarget) noexcept;
BOOL _WinHttpSetCredentials(LPVOID request, DWORD authTarget, DWORD authScheme, LPCWSTR user,
                            LPCWSTR password, LPVOID authParams) noexcept;
BOOL _WinHttpSetOption(LPVOID handle, DWORD option, LPVOID buffer, DWORD bufferLength) noexcept;
BOOL _WinHttpQueryOption(LPVOID handle, DWORD option, LPVOID buffer, LPDWORD bufferLength) noexcept;
BOOL _WinHttpSetTimeouts(LPVOID handle, int resolveTimeout, int connectTimeout, int sendTimeout,
                         int receiveTimeout) noexcept;
TqlInternetStatusCallback _WinHttpSetStatusCallback(LPVOID handle,
                                                    TqlInternetStatusCallback callback,
                                                    DWORD notificationFlags,
                                                    DWORD_PTR reserved) noexcept;
BOOL _WinHttpCloseHandle(LPVOID handle) noexcept;
// The WinHTTP library, loaded when it is not yet; null when neither loads.
TqlModule TqlWinHttpModule() noexcept;

}  // namespace ql
#endif
