#include "support/registry/registry.h"

#include <utility>

#include "support/platform/platform.h"

namespace ql {

namespace {

// Closes an open key.
class CUniqueRegKey {
public:
    CUniqueRegKey() noexcept = default;
    ~CUniqueRegKey() {
        if (m_hKey != nullptr) RegCloseKey(m_hKey);
    }
    CUniqueRegKey(const CUniqueRegKey&) = delete;
    CUniqueRegKey& operator=(const CUniqueRegKey&) = delete;

    HKEY Get() const noexcept { return m_hKey; }
    HKEY* Put() noexcept { return &m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

REGSAM ViewFlag(BOOL use64BitView) {
    return use64BitView && TqlIsWow64Process() ? KEY_WOW64_64KEY : 0;
}

// A sub-key that names the root itself.
bool IsRootPath(LPCWSTR subKey) {
    for (; *subKey != 0; ++subKey)
        if (*subKey != L'\\') return false;
    return true;
}

}  // namespace

DWORD TqlQueryRegistryValue(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD* type, BYTE* data,
                            DWORD* bytes, BOOL use64BitView) {
    if (root == nullptr || subKey == nullptr || bytes == nullptr) return ERROR_INVALID_PARAMETER;
    CUniqueRegKey key;
    LONG result =
        RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE | ViewFlag(use64BitView), key.Put());
    if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
    return static_cast<DWORD>(RegQueryValueExW(key.Get(), valueName, nullptr, type, data, bytes));
}

DWORD TqlSetRegistryValue(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD type,
                          const BYTE* data, DWORD bytes, BOOL use64BitView) {
    if (root == nullptr || subKey == nullptr || (data == nullptr && bytes != 0) ||
        bytes > kTqlMaxRegistryValueBytes)
        return ERROR_INVALID_PARAMETER;
    CUniqueRegKey key;
    LONG result =
        RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | ViewFlag(use64BitView), nullptr, key.Put(), nullptr);
    if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
    return static_cast<DWORD>(RegSetValueExW(key.Get(), valueName, 0, type, data, bytes));
}

DWORD TqlDeleteRegistryKey(HKEY root, LPCWSTR subKey, BOOL use64BitView) {
    if (root == nullptr || subKey == nullptr || IsRootPath(subKey)) return ERROR_INVALID_PARAMETER;
    REGSAM view = ViewFlag(use64BitView);
    {
        CUniqueRegKey key;
        LONG result = RegOpenKeyExW(
            root, subKey, 0,
            DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | view, key.Put());
        if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
        result = RegDeleteTreeW(key.Get(), nullptr);
        if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
    }
    return static_cast<DWORD>(RegDeleteKeyExW(root, subKey, view, 0));
}

DWORD TqlDeleteRegistryValue(HKEY root, LPCWSTR subKey, LPCWSTR valueName, BOOL use64BitView) {
    if (root == nullptr || subKey == nullptr) return ERROR_INVALID_PARAMETER;
    CUniqueRegKey key;
    LONG result = RegOpenKeyExW(root, subKey, 0, KEY_SET_VALUE | ViewFlag(use64BitView), key.Put());
    if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
    return static_cast<DWORD>(RegDeleteValueW(key.Get(), valueName));
}

}  // namespace ql
