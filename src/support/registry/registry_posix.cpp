// The raw registry functions over the file-backed store. The 64-bit view
// argument has no effect: the store has one view.
#include "support/registry/registry.h"

#include <cstring>

#include "support/base/wide_string.h"
#include "support/registry/registry_file_posix.h"

namespace ql {

namespace {

// Where a key lives: its hive and its normalized path in that hive.
struct KeyLocation {
    TqlRegistryHiveId hive = TqlRegistryHiveId::kLocalMachine;
    WString path;
};

DWORD Locate(HKEY root, LPCWSTR subKey, KeyLocation* location) {
    WString path;
    if (root == HKEY_LOCAL_MACHINE) {
        location->hive = TqlRegistryHiveId::kLocalMachine;
    } else if (root == HKEY_CLASSES_ROOT) {
        // The classes root is the machine's Software\Classes, as it is on
        // Windows for everything a process registers without a per-user copy.
        location->hive = TqlRegistryHiveId::kLocalMachine;
        path = u"Software\\Classes\\";
    } else if (root == HKEY_CURRENT_USER) {
        location->hive = TqlRegistryHiveId::kCurrentUser;
    } else if (root == HKEY_USERS) {
        location->hive = TqlRegistryHiveId::kUsers;
    } else {
        return kTqlErrorInvalidHandle;
    }
    path += subKey;
    return TqlNormalizeRegistryPath(path, &location->path);
}

WStringView NameOf(LPCWSTR valueName) {
    return valueName == nullptr ? WStringView() : WStringView(valueName);
}

// Runs a body; a failed allocation is the not-enough-memory result.
template <typename Body>
DWORD Guarded(Body body) {
    try {
        return body();
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace

DWORD TqlQueryRegistryValue(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD* type, BYTE* data,
                            DWORD* bytes, BOOL /*use64BitView*/) {
    if (root == nullptr || subKey == nullptr || bytes == nullptr) return ERROR_INVALID_PARAMETER;
    return Guarded([&]() -> DWORD {
        KeyLocation location;
        if (DWORD result = Locate(root, subKey, &location); result != 0) return result;
        CTqlRegistryHive hive;
        if (DWORD result = TqlLoadRegistryHive(location.hive, &hive); result != 0) return result;
        const TqlRegistryKey* key = hive.FindKey(location.path);
        if (key == nullptr) return kTqlErrorFileNotFound;
        const TqlRegistryValue* value = key->FindValue(NameOf(valueName));
        if (value == nullptr) return kTqlErrorFileNotFound;
        if (type != nullptr) *type = value->type;
        auto size = static_cast<DWORD>(value->data.size());
        if (data != nullptr && size > *bytes) {
            *bytes = size;
            return ERROR_MORE_DATA;
        }
        if (data != nullptr && size != 0) std::memcpy(data, value->data.data(), size);
        *bytes = size;
        return 0;
    });
}

DWORD TqlSetRegistryValue(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD type,
                          const BYTE* data, DWORD bytes, BOOL /*use64BitView*/) {
    if (root == nullptr || subKey == nullptr || (data == nullptr && bytes != 0) ||
        bytes > kTqlMaxRegistryValueBytes ||
        NameOf(valueName).size() > kTqlMaxRegistryValueNameChars)
        return ERROR_INVALID_PARAMETER;
    return Guarded([&]() -> DWORD {
        KeyLocation location;
        if (DWORD result = Locate(root, subKey, &location); result != 0) return result;
        std::vector<BYTE> value(data, data + bytes);
        return TqlUpdateRegistryHive(location.hive, [&](CTqlRegistryHive& hive, bool* changed) {
            hive.CreateKey(location.path).SetValue(NameOf(valueName), type, std::move(value));
            *changed = true;
            return DWORD{0};
        });
    });
}

DWORD TqlDeleteRegistryKey(HKEY root, LPCWSTR subKey, BOOL /*use64BitView*/) {
    if (root == nullptr || subKey == nullptr) return ERROR_INVALID_PARAMETER;
    return Guarded([&]() -> DWORD {
        WString named;
        if (DWORD result = TqlNormalizeRegistryPath(subKey, &named); result != 0) return result;
        if (named.empty()) return ERROR_INVALID_PARAMETER;  // a root key itself
        KeyLocation location;
        if (DWORD result = Locate(root, subKey, &location); result != 0) return result;
        return TqlUpdateRegistryHive(location.hive, [&](CTqlRegistryHive& hive, bool* changed) {
            *changed = hive.DeleteKey(location.path);
            return *changed ? DWORD{0} : kTqlErrorFileNotFound;
        });
    });
}

DWORD TqlDeleteRegistryValue(HKEY root, LPCWSTR subKey, LPCWSTR valueName, BOOL /*use64BitView*/) {
    if (root == nullptr || subKey == nullptr) return ERROR_INVALID_PARAMETER;
    return Guarded([&]() -> DWORD {
        KeyLocation location;
        if (DWORD result = Locate(root, subKey, &location); result != 0) return result;
        return TqlUpdateRegistryHive(location.hive, [&](CTqlRegistryHive& hive, bool* changed) {
            TqlRegistryKey* key = hive.FindKey(location.path);
            *changed = key != nullptr && key->DeleteValue(NameOf(valueName));
            return *changed ? DWORD{0} : kTqlErrorFileNotFound;
        });
    });
}

}  // namespace ql
