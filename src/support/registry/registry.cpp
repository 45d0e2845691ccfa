// The typed readers and writers, the same on every platform, over the raw
// value functions of registry_win.cpp / registry_posix.cpp.
#include "support/registry/registry.h"

#include <cstring>
#include <string>
#include <vector>

namespace ql {

namespace {

// A value read back whole to learn its exact length; a larger one is reported
// as too large with a length that is sure to be enough.
constexpr DWORD kMaxReadBytes = 16u << 20;
// Attempts at reading a value that another writer keeps changing.
constexpr int kReadAttempts = 3;

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}
bool IsDwordType(DWORD type) { return type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN; }

DWORD CharsOf(DWORD bytes) { return bytes / 2 + bytes % 2; }

// The characters of a null-terminated string (a REG_MULTI_SZ list: up to and
// including its ending empty string), or kTqlNullTerminated when it runs past
// the largest value.
DWORD TerminatedLength(const WCHAR* data, bool list) {
    constexpr DWORD kMaxChars = kTqlMaxRegistryValueBytes / sizeof(WCHAR);
    for (DWORD i = 0; i <= kMaxChars; ++i) {
        if (data[i] != 0) continue;
        if (!list) return i;
        if (i == 0 || data[i - 1] == 0) return i + 1;
    }
    return kTqlNullTerminated;
}

}  // namespace

DWORD TqlReadRegistryString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, LPWSTR buffer,
                            DWORD* chars, BOOL use64BitView) {
    if (root == nullptr || subKey == nullptr || buffer == nullptr || chars == nullptr)
        return ERROR_INVALID_PARAMETER;
    try {
        for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
            DWORD type = 0;
            DWORD bytes = 0;
            DWORD result = TqlQueryRegistryValue(root, subKey, valueName, &type, nullptr, &bytes,
                                                 use64BitView);
            if (result != 0) return result;
            if (!IsStringType(type)) return ERROR_DATATYPE_MISMATCH;
            if (bytes > kMaxReadBytes) {
                *chars = CharsOf(bytes) + 1;
                return ERROR_MORE_DATA;
            }
            std::vector<WCHAR> text(CharsOf(bytes) + 1, 0);
            result =
                TqlQueryRegistryValue(root, subKey, valueName, &type,
                                      reinterpret_cast<BYTE*>(text.data()), &bytes, use64BitView);
            if (result == ERROR_MORE_DATA) continue;  // it grew in between
            if (result != 0) return result;
            if (!IsStringType(type)) return ERROR_DATATYPE_MISMATCH;
            // The length with one terminator, whether or not the data has it.
            DWORD length = CharsOf(bytes);
            if (length == 0 || text[length - 1] != 0) ++length;
            if (length > *chars) {
                *chars = length;
                return ERROR_MORE_DATA;
            }
            std::memcpy(buffer, text.data(), length * sizeof(WCHAR));
            buffer[length - 1] = 0;
            *chars = length;
            return 0;
        }
        return ERROR_MORE_DATA;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD TqlReadRegistryDword(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD* value,
                           BOOL use64BitView) {
    if (root == nullptr || subKey == nullptr || value == nullptr) return ERROR_INVALID_PARAMETER;
    DWORD type = 0;
    DWORD bytes = 0;
    DWORD result =
        TqlQueryRegistryValue(root, subKey, valueName, &type, nullptr, &bytes, use64BitView);
    if (result != 0) return result;
    if (!IsDwordType(type) || bytes != sizeof(DWORD)) return ERROR_DATATYPE_MISMATCH;
    DWORD stored = 0;
    result = TqlQueryRegistryValue(root, subKey, valueName, &type, reinterpret_cast<BYTE*>(&stored),
                                   &bytes, use64BitView);
    // Changed in between into something that is no longer a 32-bit value.
    if (result == ERROR_MORE_DATA) return ERROR_DATATYPE_MISMATCH;
    if (result != 0) return result;
    if (!IsDwordType(type) || bytes != sizeof(DWORD)) return ERROR_DATATYPE_MISMATCH;
    *value = stored;
    return 0;
}

DWORD TqlWriteRegistryString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD type,
                             const WCHAR* data, DWORD chars, BOOL use64BitView) {
    if (root == nullptr || subKey == nullptr || !IsStringType(type) ||
        (data == nullptr && chars != 0))
        return ERROR_INVALID_PARAMETER;
    bool list = type == REG_MULTI_SZ;
    if (chars == kTqlNullTerminated) chars = TerminatedLength(data, list);
    // Room for the data and the two terminators that may be added.
    if (chars == kTqlNullTerminated || chars > kTqlMaxRegistryValueBytes / sizeof(WCHAR) - 2)
        return ERROR_INVALID_PARAMETER;
    try {
        std::vector<WCHAR> text(data, data + chars);
        if (text.empty() || text.back() != 0) text.push_back(0);
        if (list && (text.size() < 2 || text[text.size() - 2] != 0)) text.push_back(0);
        return TqlSetRegistryValue(root, subKey, valueName, type,
                                   reinterpret_cast<const BYTE*>(text.data()),
                                   static_cast<DWORD>(text.size() * sizeof(WCHAR)), use64BitView);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD TqlWriteRegistryDword(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD type, DWORD value,
                            BOOL use64BitView) {
    if (!IsDwordType(type)) return ERROR_INVALID_PARAMETER;
    BYTE bytes[sizeof(DWORD)];
    std::memcpy(bytes, &value, sizeof bytes);
    return TqlSetRegistryValue(root, subKey, valueName, type, bytes, sizeof bytes, use64BitView);
}

}  // namespace ql
