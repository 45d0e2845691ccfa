// clang-format off
#include <winsock2.h>
// clang-format on
#define SECURITY_WIN32
#include "support/platform/system_wrappers.h"

#include <secext.h>

namespace ql {

namespace {

// Version structure sizes of the wide forms (OSVERSIONINFOW, OSVERSIONINFOEXW).
constexpr DWORD kVersionInfoSize = 276;
constexpr DWORD kVersionInfoExSize = 284;
static_assert(sizeof(OSVERSIONINFOW) == kVersionInfoSize &&
              sizeof(OSVERSIONINFOEXW) == kVersionInfoExSize);

constexpr const char* kSecur32[] = {"SECUR32.DLL"};
constexpr const char* kAdvapi32[] = {"ADVAPI32.DLL"};
constexpr const char* kKernel32[] = {"KERNEL32.DLL"};
constexpr const char* kWsock32[] = {"WSOCK32.DLL"};

constinit CTqlLazyLibrary g_secur32{kSecur32};
constinit CTqlLazyLibrary g_advapi32{kAdvapi32};
constinit CTqlLazyLibrary g_kernel32{kKernel32};
constinit CTqlLazyLibrary g_wsock32{kWsock32};

// WSAStartup's failure value is WSASYSNOTREADY; WSAGetLastError's and
// gethostname's is ERROR_CALL_NOT_IMPLEMENTED.
constexpr int kWsaSysNotReady = 10092;
constexpr int kCallNotImplemented = 120;

constinit const CTqlLazyFunction<decltype(&::GetUserNameExW)> g_GetUserNameExW{g_secur32,
                                                                               "GetUserNameExW"};
constinit const CTqlLazyFunction<decltype(&::DuplicateTokenEx)> g_DuplicateTokenEx{
    g_advapi32, "DuplicateTokenEx"};
constinit const CTqlLazyFunction<decltype(&::IsWow64Process)> g_IsWow64Process{g_kernel32,
                                                                               "IsWow64Process"};
constinit const CTqlLazyFunction<decltype(&::ProcessIdToSessionId)> g_ProcessIdToSessionId{
    g_kernel32, "ProcessIdToSessionId"};
constinit const CTqlLazyFunction<decltype(&::HeapSetInformation)> g_HeapSetInformation{
    g_kernel32, "HeapSetInformation"};
constinit const CTqlLazyFunction<decltype(&::WSAStartup), kWsaSysNotReady> g_WSAStartup{
    g_wsock32, "WSAStartup"};
constinit const CTqlLazyFunction<decltype(&::WSACleanup), -1> g_WSACleanup{g_wsock32, "WSACleanup"};
constinit const CTqlLazyFunction<decltype(&::WSAGetLastError), kCallNotImplemented>
    g_WSAGetLastError{g_wsock32, "WSAGetLastError"};
constinit const CTqlLazyFunction<decltype(&::gethostname), kCallNotImplemented> g_gethostname{
    g_wsock32, "gethostname"};

}  // namespace

DWORD _GetLastError() noexcept { return GetLastError(); }
void _SetLastError(DWORD error) noexcept { SetLastError(error); }

void _OutputDebugString(LPCWSTR text) noexcept {
    if (text != nullptr) OutputDebugStringW(text);
}

BOOL _GetUserName(LPWSTR buffer, LPDWORD chars) noexcept { return GetUserNameW(buffer, chars); }
BOOL _GetComputerName(LPWSTR buffer, LPDWORD chars) noexcept {
    return GetComputerNameW(buffer, chars);
}
BOOL _DeleteFile(LPCWSTR path) noexcept { return DeleteFileW(path); }
BOOL _MoveFile(LPCWSTR from, LPCWSTR to) noexcept { return MoveFileW(from, to); }
DWORD _GetFileAttributes(LPCWSTR path) noexcept { return GetFileAttributesW(path); }
BOOL _SetFileAttributes(LPCWSTR path, DWORD attributes) noexcept {
    return SetFileAttributesW(path, attributes);
}
DWORD _GetCurrentDirectory(DWORD chars, LPWSTR buffer) noexcept {
    return GetCurrentDirectoryW(chars, buffer);
}
BOOL _SetCurrentDirectory(LPCWSTR path) noexcept { return SetCurrentDirectoryW(path); }
TqlModule _LoadLibrary(LPCWSTR name) noexcept { return LoadLibraryW(name); }

HANDLE _CreateMutex(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name) noexcept {
    return CreateMutexW(attributes, initialOwner, name);
}
HANDLE _CreateSemaphore(LPSECURITY_ATTRIBUTES attributes, LONG initialCount, LONG maximumCount,
                        LPCWSTR name) noexcept {
    return CreateSemaphoreW(attributes, initialCount, maximumCount, name);
}
HANDLE _CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                    LPCWSTR name) noexcept {
    return CreateEventW(attributes, manualReset, initialState, name);
}
HANDLE _CreateFile(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                   DWORD disposition, DWORD flags, HANDLE templateFile) noexcept {
    return CreateFileW(path, access, shareMode, attributes, disposition, flags, templateFile);
}
HANDLE _CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protection,
                          DWORD maximumSizeHigh, DWORD maximumSizeLow, LPCWSTR name) noexcept {
    return CreateFileMappingW(file, attributes, protection, maximumSizeHigh, maximumSizeLow, name);
}
DWORD _FormatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, va_list* arguments) noexcept {
    return FormatMessageW(flags, source, messageId, languageId, buffer, size, arguments);
}

BOOL _GetVersionEx(LPOSVERSIONINFOW info) noexcept {
    if (info == nullptr || (info->dwOSVersionInfoSize != kVersionInfoSize &&
                            info->dwOSVersionInfoSize != kVersionInfoExSize)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return GetVersionExW(info);
}

LONG _RegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY key) noexcept {
    return RegOpenKeyExW(root, subKey, options, access, key);
}
LONG _RegQueryValueEx(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD bytes) noexcept {
    return RegQueryValueExW(key, valueName, reserved, type, data, bytes);
}
int _GetDateFormat(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format, LPWSTR buffer,
                   int chars) noexcept {
    return GetDateFormatW(locale, flags, date, format, buffer, chars);
}
int _GetTimeFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format, LPWSTR buffer,
                   int chars) noexcept {
    return GetTimeFormatW(locale, flags, time, format, buffer, chars);
}
BOOL _PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return PostThreadMessageW(threadId, message, wParam, lParam);
}
BOOL _PeekMessage(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                  UINT removeFlags) noexcept {
    return PeekMessageW(message, window, filterMin, filterMax, removeFlags);
}
LRESULT _DispatchMessage(const MSG* message) noexcept { return DispatchMessageW(message); }

BOOLEAN _GetUserNameEx(int nameFormat, LPWSTR buffer, PULONG chars) noexcept {
    return g_GetUserNameExW(static_cast<EXTENDED_NAME_FORMAT>(nameFormat), buffer, chars);
}
BOOL _DuplicateTokenEx(HANDLE token, DWORD access, LPSECURITY_ATTRIBUTES attributes,
                       SECURITY_IMPERSONATION_LEVEL level, TOKEN_TYPE type,
                       PHANDLE newToken) noexcept {
    return g_DuplicateTokenEx(token, access, attributes, level, type, newToken);
}
BOOL _IsWow64Process(HANDLE process, PBOOL wow64) noexcept {
    return g_IsWow64Process(process, wow64);
}
BOOL _ProcessIdToSessionId(DWORD processId, DWORD* sessionId) noexcept {
    return g_ProcessIdToSessionId(processId, sessionId);
}
BOOL _HeapSetInformation(HANDLE heap, HEAP_INFORMATION_CLASS informationClass, PVOID information,
                         SIZE_T length) noexcept {
    return g_HeapSetInformation(heap, informationClass, information, length);
}
int _WSAStartup(WORD version, WSAData* data) noexcept { return g_WSAStartup(version, data); }
int _WSACleanup() noexcept { return g_WSACleanup(); }
int _WSAGetLastError() noexcept { return g_WSAGetLastError(); }
int _gethostname(char* name, int length) noexcept { return g_gethostname(name, length); }

}  // namespace ql
