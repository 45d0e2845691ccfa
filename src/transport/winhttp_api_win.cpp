// The WinHTTP entries: in a unit of their own because winhttp.h and wininet.h
// cannot be included together.
// clang-format off
#include "transport/winhttp_api.h"  // windows.h first
#include <winhttp.h>
// clang-format on

namespace ql {

namespace {

// "WINHTTP5.DLL" is the redistributable of older systems.
constexpr const char* kWinHttpNames[] = {"WINHTTP.DLL", "WINHTTP5.DLL"};
constinit CTqlLazyLibrary g_winHttp{kWinHttpNames};

template <typename FnPtr>
using Entry = const CTqlLazyFunction<FnPtr, 0>;

constinit Entry<decltype(&::WinHttpCheckPlatform)> g_CheckPlatform{g_winHttp,
                                                                   "WinHttpCheckPlatform"};
constinit Entry<decltype(&::WinHttpOpen)> g_Open{g_winHttp, "WinHttpOpen"};
constinit Entry<decltype(&::WinHttpConnect)> g_Connect{g_winHttp, "WinHttpConnect"};
constinit Entry<decltype(&::WinHttpOpenRequest)> g_OpenRequest{g_winHttp, "WinHttpOpenRequest"};
constinit Entry<decltype(&::WinHttpSendRequest)> g_SendRequest{g_winHttp, "WinHttpSendRequest"};
constinit Entry<decltype(&::WinHttpReceiveResponse)> g_ReceiveResponse{g_winHttp,
                                                                       "WinHttpReceiveResponse"};
constinit Entry<decltype(&::WinHttpReadData)> g_ReadData{g_winHttp, "WinHttpReadData"};
constinit Entry<decltype(&::WinHttpQueryHeaders)> g_QueryHeaders{g_winHttp, "WinHttpQueryHeaders"};
constinit Entry<decltype(&::WinHttpQueryAuthSchemes)> g_QueryAuthSchemes{g_winHttp,
                                                                         "WinHttpQueryAuthSchemes"};
constinit Entry<decltype(&::WinHttpSetCredentials)> g_SetCredentials{g_winHttp,
                                                                     "WinHttpSetCredentials"};
constinit Entry<decltype(&::WinHttpSetOption)> g_SetOption{g_winHttp, "WinHttpSetOption"};
constinit Entry<decltype(&::WinHttpQueryOption)> g_QueryOption{g_winHttp, "WinHttpQueryOption"};
constinit Entry<decltype(&::WinHttpSetTimeouts)> g_SetTimeouts{g_winHttp, "WinHttpSetTimeouts"};
constinit Entry<decltype(&::WinHttpSetStatusCallback)> g_SetStatusCallback{
    g_winHttp, "WinHttpSetStatusCallback"};
constinit Entry<decltype(&::WinHttpCloseHandle)> g_CloseHandle{g_winHttp, "WinHttpCloseHandle"};

static_assert(std::is_same_v<WINHTTP_STATUS_CALLBACK, TqlInternetStatusCallback>);

}  // namespace

BOOL _WinHttpCheckPlatform() noexcept { return g_CheckPlatform(); }
LPVOID _WinHttpOpen(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR proxyBypass,
                    DWORD flags) noexcept {
    return g_Open(agent, accessType, proxy, proxyBypass, flags);
}
LPVOID _WinHttpConnect(LPVOID session, LPCWSTR server, WORD port, DWORD reserved) noexcept {
    return g_Connect(session, server, port, reserved);
}
LPVOID _WinHttpOpenRequest(LPVOID connection, LPCWSTR verb, LPCWSTR objectName, LPCWSTR version,
                           LPCWSTR referrer, LPCWSTR* acceptTypes, DWORD flags) noexcept {
    return g_OpenRequest(connection, verb, objectName, version, referrer, acceptTypes, flags);
}
BOOL _WinHttpSendRequest(LPVOID request, LPCWSTR headers, DWORD headersLength, LPVOID optional,
                         DWORD optionalLength, DWORD totalLength, DWORD_PTR context) noexcept {
    return g_SendRequest(request, headers, headersLength, optional, optionalLength, totalLength,
                         context);
}
BOOL _WinHttpReceiveResponse(LPVOID request, LPVOID reserved) noexcept {
    return g_ReceiveResponse(request, reserved);
}
BOOL _WinHttpReadData(LPVOID request, LPVOID buffer, DWORD bytesToRead,
                      LPDWORD bytesRead) noexcept {
    return g_ReadData(request, buffer, bytesToRead, bytesRead);
}
BOOL _WinHttpQueryHeaders(LPVOID request, DWORD infoLevel, LPCWSTR name, LPVOID buffer,
                          LPDWORD bufferLength, LPDWORD index) noexcept {
    return g_QueryHeaders(request, infoLevel, name, buffer, bufferLength, index);
}
BOOL _WinHttpQueryAuthSchemes(LPVOID request, LPDWORD supportedSchemes, LPDWORD firstScheme,
                              LPDWORD authTarget) noexcept {
    return g_QueryAuthSchemes(request, supportedSchemes, firstScheme, authTarget);
}
BOOL _WinHttpSetCredentials(LPVOID request, DWORD authTarget, DWORD authScheme, LPCWSTR user,
                            LPCWSTR password, LPVOID authParams) noexcept {
    return g_SetCredentials(request, authTarget, authScheme, user, password, authParams);
}
BOOL _WinHttpSetOption(LPVOID handle, DWORD option, LPVOID buffer, DWORD bufferLength) noexcept {
    return g_SetOption(handle, option, buffer, bufferLength);
}
BOOL _WinHttpQueryOption(LPVOID handle, DWORD option, LPVOID buffer,
                         LPDWORD bufferLength) noexcept {
    return g_QueryOption(handle, option, buffer, bufferLength);
}
BOOL _WinHttpSetTimeouts(LPVOID handle, int resolveTimeout, int connectTimeout, int sendTimeout,
                         int receiveTimeout) noexcept {
    return g_SetTimeouts(handle, resolveTimeout, connectTimeout, sendTimeout, receiveTimeout);
}
TqlInternetStatusCallback _WinHttpSetStatusCallback(LPVOID handle,
                                                    TqlInternetStatusCallback callback,
                                                    DWORD notificationFlags,
                                                    DWORD_PTR reserved) noexcept {
    return g_SetStatusCallback(handle, callback, notificationFlags, reserved);
}
BOOL _WinHttpCloseHandle(LPVOID handle) noexcept { return g_CloseHandle(handle); }

TqlModule TqlWinHttpModule() noexcept { return g_winHttp.Module(); }

}  // namespace ql
