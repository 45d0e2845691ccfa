#include "support/platform/platform.h"

#include <atomic>
#include <vector>

#include "support/platform/system_wrappers.h"

namespace ql {

namespace {

constexpr DWORD kProductTypeChars = 32;

// -1 until the system has been asked, then 0 or 1.
std::atomic<int> g_wow64{-1};

bool EqualsIgnoringAsciiCase(LPCWSTR text, LPCWSTR expected) {
    auto fold = [](WCHAR c) { return (c >= L'a' && c <= L'z') ? static_cast<WCHAR>(c - 32) : c; };
    for (; *text != 0 && *expected != 0; ++text, ++expected)
        if (fold(*text) != fold(*expected)) return false;
    return *text == *expected;
}

// Reads a value of HKEY_LOCAL_MACHINE (the default view) with the system's
// own functions: the registry layer builds on this one. *bytes in: the size
// of data (0 with a null data asks for the type only); out: the value's size.
bool QueryMachineValue(LPCWSTR subKey, LPCWSTR valueName, DWORD* type, BYTE* data, DWORD* bytes) {
    HKEY key = nullptr;
    if (_RegOpenKeyEx(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LONG result = _RegQueryValueEx(key, valueName, nullptr, type, data, bytes);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

bool IsSeparator(WCHAR c) { return c == L'\\' || c == L'/'; }

// The drive and directory of a path without trailing separators, except the
// one that makes a root ("C:\", "\"); empty when the path names none.
WString DirectoryOf(LPCWSTR path) {
    WString directory(path);
    std::size_t last = directory.find_last_of(L"\\/");
    if (last == WString::npos) {
        // "C:name" lives in the drive's current directory.
        return directory.size() >= 2 && directory[1] == L':' ? directory.substr(0, 2) : WString();
    }
    directory.resize(last + 1);
    while (directory.size() > 1 && IsSeparator(directory.back()) &&
           directory[directory.size() - 2] != L':')
        directory.pop_back();
    return directory;
}

}  // namespace

bool TqlQueryOsVersionFields(TqlOsVersionFields* fields) noexcept {
    if (fields == nullptr) return false;
    try {
        OSVERSIONINFOEXW info{};
        info.dwOSVersionInfoSize = sizeof info;
        bool extended = _GetVersionEx(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
        if (!extended) {
            info = OSVERSIONINFOEXW{};
            info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
            if (!_GetVersionEx(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
        }
        *fields = TqlOsVersionFields{};
        fields->platformId = info.dwPlatformId;
        fields->majorVersion = info.dwMajorVersion;
        fields->minorVersion = info.dwMinorVersion;
        fields->buildNumber = info.dwBuildNumber;
        fields->servicePack.assign(info.szCSDVersion, wcsnlen(info.szCSDVersion, 128));
        fields->suiteMask = extended ? info.wSuiteMask : 0;
        if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
            // One more character than is read keeps a terminator.
            WCHAR productType[kProductTypeChars + 1] = {};
            DWORD type = REG_NONE;
            DWORD bytes = kProductTypeChars * sizeof(WCHAR);
            fields->ntWorkstation =
                QueryMachineValue(L"System\\CurrentControlSet\\Control\\ProductOptions",
                                  L"ProductType", &type, reinterpret_cast<BYTE*>(productType),
                                  &bytes) &&
                IsStringType(type) && EqualsIgnoringAsciiCase(productType, L"WINNT");
        } else if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
            DWORD type = REG_NONE;
            DWORD bytes = 0;
            fields->win98SecondEdition =
                QueryMachineValue(L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\Updates",
                                  L"Windows 98 Second Edition", &type, nullptr, &bytes) &&
                IsStringType(type);
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool TqlIsWow64Process() noexcept {
    int known = g_wow64.load(std::memory_order_relaxed);
    if (known >= 0) return known != 0;
    BOOL wow64 = FALSE;
    if (!_IsWow64Process(GetCurrentProcess(), &wow64)) wow64 = FALSE;
    g_wow64.store(wow64 ? 1 : 0, std::memory_order_relaxed);
    return wow64 != FALSE;
}

DWORD TqlLoadLibraryFromDir(LPCWSTR path, TqlModule* module) noexcept {
    if (path == nullptr || module == nullptr || *path == 0) return ERROR_INVALID_PARAMETER;
    try {
        WString directory = DirectoryOf(path);
        DWORD needed = _GetCurrentDirectory(0, nullptr);
        if (needed == 0) return _GetLastError();
        std::vector<WCHAR> saved(needed + 1);
        DWORD length = _GetCurrentDirectory(static_cast<DWORD>(saved.size()), saved.data());
        if (length == 0 || length >= saved.size()) return length == 0 ? _GetLastError() : 206;
        if (!directory.empty() && !_SetCurrentDirectory(directory.c_str())) return _GetLastError();
        TqlModule loaded = _LoadLibrary(path);
        DWORD error = loaded == nullptr ? _GetLastError() : 0;
        _SetCurrentDirectory(saved.data());
        if (loaded == nullptr) return error != 0 ? error : kTqlErrorModuleNotFound;
        *module = loaded;
        return 0;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace ql
