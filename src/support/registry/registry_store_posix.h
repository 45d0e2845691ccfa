// The POSIX registry store's model of one hive (its keys and typed values)
// and the hive file's text form (README: "Registry store on Linux").
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "support/base/com_types.h"
#include "support/base/wide_string.h"

namespace ql {

// Windows' limits on names, kept so that what is stored here could be stored
// there too.
inline constexpr std::size_t kTqlMaxRegistryKeyNameChars = 255;
inline constexpr std::size_t kTqlMaxRegistryValueNameChars = 16383;
// A hive file is read whole for every access; a larger one is not one this
// store wrote and is refused as corrupt rather than read into memory.
inline constexpr std::size_t kTqlMaxHiveFileBytes = 64u << 20;

struct TqlRegistryValue {
    WString name;  // "" is the key's default value
    DWORD type = REG_NONE;
    std::vector<BYTE> data;  // exactly what a raw query returns
};

struct TqlRegistryKey {
    // The path from the hive root as first created, components separated by
    // "\"; "" for the root.
    WString path;
    std::vector<TqlRegistryValue> values;  // in the order they were created

    const TqlRegistryValue* FindValue(WStringView name) const;
    // Replaces a value of that name (keeping its first spelling) or adds one.
    void SetValue(WStringView name, DWORD type, std::vector<BYTE> data);
    // False when there is no value of that name.
    bool DeleteValue(WStringView name);
};

// Key paths given to a hive are normalized (TqlNormalizeRegistryPath).
class CTqlRegistryHive {
public:
    CTqlRegistryHive();

    const TqlRegistryKey* FindKey(WStringView path) const;
    TqlRegistryKey* FindKey(WStringView path);
    // The key, created with its missing parents when it does not exist.
    TqlRegistryKey& CreateKey(WStringView path);
    // Deletes the key and every key under it; false when it does not exist.
    // The root cannot be deleted (false).
    bool DeleteKey(WStringView path);

    // The hive file's text.
    std::string Serialize() const;
    // Replaces the contents with those of a hive file's text; returns 0, or
    // kTqlErrorRegistryCorrupt (and leaves the contents as they were) when
    // the text is not a hive file.
    DWORD Parse(std::string_view text);

private:
    std::map<WString, TqlRegistryKey> m_keys;  // by folded path
};

// Joins the "\"-separated components of path, dropping empty ones (a leading,
// trailing or doubled separator). Returns 0, or 87 for a component longer
// than 255 characters or holding a control character or an unpaired
// surrogate.
DWORD TqlNormalizeRegistryPath(WStringView path, WString* normalized);

// A name in the form keys and values are compared in: simple upper-casing of
// ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters.
WString TqlFoldRegistryName(WStringView name);

}  // namespace ql
