// The Internet Explorer version: read here, in the registry layer, and
// parsed by the platform layer (TqlParseIeVersion).
#include "support/registry/ie_version.h"

#include <atomic>

#include "support/platform/platform.h"
#include "support/registry/registry.h"

namespace ql {

namespace {

// The version text is read up to this many characters (MAX_PATH).
constexpr DWORD kMaxVersionChars = 260;

std::atomic<DWORD> g_ieVersion{0};

}  // namespace

DWORD TqlGetIeVersion(bool refresh) noexcept {
    if (!refresh) {
        DWORD known = g_ieVersion.load(std::memory_order_relaxed);
        if (known != 0) return known;
    }
    WCHAR text[kMaxVersionChars] = {};
    DWORD type = REG_NONE;
    DWORD bytes = sizeof text - sizeof(WCHAR);  // keeps a terminator
    if (TqlQueryRegistryValue(HKEY_LOCAL_MACHINE, OLESTR("Software\\Microsoft\\Internet Explorer"),
                              OLESTR("Version"), &type, reinterpret_cast<BYTE*>(text), &bytes,
                              FALSE) != 0 ||
        type != REG_SZ)
        return 0;
    DWORD version = TqlParseIeVersion(WStringView(text, bytes / sizeof(WCHAR)));
    if (version != 0) g_ieVersion.store(version, std::memory_order_relaxed);
    return version;
}

}  // namespace ql
