#include "system_facts.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/base/wide_string.h"

namespace ql::test {

std::string SystemComputerName() {
    WCHAR name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    EXPECT_TRUE(GetComputerNameW(name, &size));
    return ToUtf8(name);
}

// Counts the handle values open in the process. The system's handle count
// cannot serve: under Wine GetProcessHandleCount always answers 0. Handles of
// a test process are small values; the probe covers the lowest 1024 of them
// and insists that the highest open one lies well inside that range.
std::size_t OpenHandleCount() {
    constexpr ULONG_PTR kLimit = 0x1000;
    std::size_t open = 0;
    ULONG_PTR highest = 0;
    for (ULONG_PTR value = 4; value < kLimit; value += 4) {
        DWORD flags = 0;
        if (!GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) continue;
        ++open;
        highest = value;
    }
    EXPECT_LT(highest, kLimit / 2) << "handles reach the probe's end";
    return open;
}

}  // namespace ql::test
