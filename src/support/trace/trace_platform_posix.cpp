#include "support/trace/trace_platform.h"

#include <pwd.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <vector>

namespace ql {

// There are no terminal-services sessions here; the field reads 0.
DWORD TqlTraceSessionId() { return 0; }

DWORD TqlTraceProcessId() { return static_cast<DWORD>(::getpid()); }

DWORD TqlTraceThreadId() { return static_cast<DWORD>(::syscall(SYS_gettid)); }

DWORD TqlTraceTickCount() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    auto ms = static_cast<unsigned long long>(now.tv_sec) * 1000ull +
              static_cast<unsigned long long>(now.tv_nsec) / 1000000ull;
    return static_cast<DWORD>(ms);
}

namespace {

WString FormatNow(const char* format) {
    time_t seconds = ::time(nullptr);
    tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) return WString();
    char buffer[64];
    std::size_t length = ::strftime(buffer, sizeof buffer, format, &local);
    return FromUtf8(std::string_view(buffer, length));
}

}  // namespace

// The locale's short date and time forms, as the C library knows them.
WString TqlTraceDate() { return FormatNow("%x"); }
WString TqlTraceTimeOfDay() { return FormatNow("%X"); }

bool TqlTraceUserName(WString& name) {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr)
        return false;
    name = FromUtf8(found->pw_name);
    if (name.size() > 127) name.resize(127);
    return true;
}

bool TqlTraceHasTerminalServices() { return false; }

std::string TqlTraceToNarrow(const WString& line) { return ToUtf8(line); }

}  // namespace ql
