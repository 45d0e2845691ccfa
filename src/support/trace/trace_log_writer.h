// Appends trace lines to a debug log file and holds the file to its size
// limit: a single file is trimmed at its head; with two or more files the
// full file is rotated through numbered names (agent.log -> agent.1.log ->
// agent.2.log ...). The caller holds the tracing mutex.
#pragma once

#include "support/base/wide_string.h"

namespace ql {

struct TqlLogLimits {
    DWORD sizeLimit;    // bytes; 0: unlimited
    DWORD filesNumber;  // below 2: one file trimmed in place
};

// Writes line (with its line end) to path. Returns 0, or the error of
// opening the file (the line is then not written).
DWORD TqlWriteLogLine(const WString& path, const WString& line, const TqlLogLimits& limits);

// The name of rotation file number (path "dir/agent.log", number 3:
// "dir/agent.3.log"; without an extension "dir/name.3").
WString TqlRotatedLogName(const WString& path, DWORD number);

}  // namespace ql
