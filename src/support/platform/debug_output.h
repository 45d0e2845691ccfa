// The debugger output: where trace lines go when no log file takes them.
#pragma once

#include "support/base/com_types.h"

namespace ql {

// Sends one finished line (with its line end) to the debugger output.
void TqlDebugOutput(LPCWSTR line);

}  // namespace ql
