// What a trace line's prefix shows about the running process, and the
// conversion of a finished line to the log file's narrow text.
#pragma once

#include <string>

#include "support/base/wide_string.h"

namespace ql {

// Terminal-services session of the process; 0 when it cannot be had.
DWORD TqlTraceSessionId();
DWORD TqlTraceProcessId();
DWORD TqlTraceThreadId();
// The system's millisecond tick count.
DWORD TqlTraceTickCount();
// Current local date (short form) and time of day in the user's locale;
// empty when they cannot be had.
WString TqlTraceDate();
WString TqlTraceTimeOfDay();
// The calling thread's user name (at most 128 characters); false when it
// cannot be had.
bool TqlTraceUserName(WString& name);
// Whether the system runs terminal services: the tracing mutex is then
// global and the session field is on by default.
bool TqlTraceHasTerminalServices();
// The line in the thread's narrow code page.
std::string TqlTraceToNarrow(const WString& line);

}  // namespace ql
