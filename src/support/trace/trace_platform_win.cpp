#include "support/trace/trace_platform.h"

#include "support/base/com_types.h"
#include "support/platform/platform.h"
#include "support/platform/system_wrappers.h"

namespace ql {

namespace {

WString FormatNow(bool date) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    WCHAR buffer[128];
    int chars =
        date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, buffer, 128)
             : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, buffer, 128);
    return chars > 0 ? WString(buffer, static_cast<std::size_t>(chars - 1)) : WString();
}

}  // namespace

DWORD TqlTraceSessionId() {
    DWORD session = 0;
    return _ProcessIdToSessionId(GetCurrentProcessId(), &session) ? session : 0;
}

DWORD TqlTraceProcessId() { return GetCurrentProcessId(); }

DWORD TqlTraceThreadId() { return GetCurrentThreadId(); }

DWORD TqlTraceTickCount() { return GetTickCount(); }

WString TqlTraceDate() { return FormatNow(true); }

WString TqlTraceTimeOfDay() { return FormatNow(false); }

bool TqlTraceUserName(WString& name) {
    WCHAR buffer[128];
    DWORD chars = 128;
    if (!GetUserNameW(buffer, &chars) || chars == 0) return false;
    name.assign(buffer, chars - 1);
    return true;
}

bool TqlTraceHasTerminalServices() { return TqlHasTerminalServices(); }

std::string TqlTraceToNarrow(const WString& line) {
    if (line.empty()) return std::string();
    int bytes = WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), nullptr,
                                    0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), narrow.data(), bytes,
                        nullptr, nullptr);
    return narrow;
}

}  // namespace ql
