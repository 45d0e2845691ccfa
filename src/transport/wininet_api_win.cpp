// The WinINet entries: in a unit of their own because winhttp.h and wininet.h
// cannot be included together. Only the wide entry points are bound: they
// exist wherever this module's runtime can run.
// clang-format off
#include "transport/wininet_api.h"  // windows.h first
#include <wininet.h>
// clang-format on

namespace ql {

namespace {

constexpr const char* kWinInetNames[] = {"WININET.DLL"};
constinit CTqlLazyLibrary g_winInet{kWinInetNames};

template <typename FnPtr>
using Entry = const CTqlLazyFunction<FnPtr, 0>;

constinit Entry<decltype(&::InternetOpenW)> g_Open{g_winInet, "InternetOpenW"};
constinit Entry<decltype(&::InternetConnectW)> g_Connect{g_winInet, "InternetConnectW"};
constinit Entry<decltype(&::HttpOpenRequestW)> g_OpenRequest{g_winInet, "HttpOpenRequestW"};
constinit Entry<decltype(&::HttpSendRequestW)> g_SendRequest{g_winInet, "HttpSendRequestW"};
constinit Entry<decltype(&::HttpQueryInfoW)> g_QueryInfo{g_winInet, "HttpQueryInfoW"};
constinit Entry<decltype(&::InternetSetOptionW)> g_SetOption{g_winInet, "InternetSetOptionW"};
constinit Entry<decltype(&::InternetQueryOptionW)> g_QueryOption{g_winInet, "InternetQueryOptionW"};
// The export without suffix, as the entry table names it (wininet.h maps the
// name to the wide export; the signatures are the same).
constinit Entry<decltype(&::InternetSetStatusCallbackW)> g_SetStatusCallback{
    g_winInet, "InternetSetStatusCallback"};
constinit Entry<decltype(&::InternetReadFile)> g_ReadFile{g_winInet, "InternetReadFile"};
constinit Entry<decltype(&::InternetCloseHandle)> g_CloseHandle{g_winInet, "InternetCloseHandle"};

static_assert(std::is_same_v<INTERNET_STATUS_CALLBACK, TqlInternetStatusCallback>);

}  // namespace

LPVOID _InternetOpen(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR proxyBypass,
                     DWORD flags) noexcept {
    return g_Open(agent, accessType, proxy, proxyBypass, flags);
}
LPVOID _InternetConnect(LPVOID session, LPCWSTR server, WORD port, LPCWSTR user, LPCWSTR password,
                        DWORD service, DWORD flags, DWORD_PTR context) noexcept {
    return g_Connect(session, server, port, user, password, service, flags, context);
}
LPVOID _HttpOpenRequest(LPVOID connection, LPCWSTR verb, LPCWSTR objectName, LPCWSTR version,
                        LPCWSTR referrer, LPCWSTR* acceptTypes, DWORD flags,
                        DWORD_PTR context) noexcept {
    return g_OpenRequest(connection, verb, objectName, version, referrer, acceptTypes, flags,
                         context);
}
BOOL _HttpSendRequest(LPVOID request, LPCWSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength) noexcept {
    return g_SendRequest(request, headers, headersLength, optional, optionalLength);
}
BOOL _HttpQueryInfo(LPVOID request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                    LPDWORD index) noexcept {
    return g_QueryInfo(request, infoLevel, buffer, bufferLength, index);
}
BOOL _InternetSetOption(LPVOID handle, DWORD option, LPVOID buffer, DWORD bufferLength) noexcept {
    return g_SetOption(handle, option, buffer, bufferLength);
}
BOOL _InternetQueryOption(LPVOID handle, DWORD option, LPVOID buffer,
                          LPDWORD bufferLength) noexcept {
    return g_QueryOption(handle, option, buffer, bufferLength);
}
TqlInternetStatusCallback _InternetSetStatusCallback(LPVOID handle,
                                                     TqlInternetStatusCallback callback) noexcept {
    return g_SetStatusCallback(handle, callback);
}
BOOL _InternetReadFile(LPVOID file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) noexcept {
    return g_ReadFile(file, buffer, bytesToRead, bytesRead);
}
BOOL _InternetCloseHandle(LPVOID handle) noexcept { return g_CloseHandle(handle); }

TqlModule TqlWinInetModule() noexcept { return g_winInet.Module(); }

}  // namespace ql
