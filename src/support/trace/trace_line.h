// Composition of one trace line: the bracketed prefix with the fields the
// options select, the indentation for the nesting depth, the text, CR LF.
#pragma once

#include "support/base/wide_string.h"

namespace ql {

// Line option flags of a trace component.
inline constexpr DWORD kTqlWriteComponent = 0x00000001;
inline constexpr DWORD kTqlWriteSessionId = 0x00000002;
inline constexpr DWORD kTqlWriteProcessId = 0x00000004;
inline constexpr DWORD kTqlWriteThreadId = 0x00000008;
inline constexpr DWORD kTqlWriteTime = 0x00000010;
inline constexpr DWORD kTqlWriteDate = 0x00000020;
inline constexpr DWORD kTqlWriteTimeOfDay = 0x00000040;
inline constexpr DWORD kTqlWriteUser = 0x00000080;
inline constexpr DWORD kTqlDebugOutput = 0x00000100;
inline constexpr DWORD kTqlWriteLevel = 0x00000200;
inline constexpr DWORD kTqlInsertStyle = 0x80000000;

// What the prefix fields show; the tracer fills it from the running
// process, tests with fixed values.
struct TqlLineFacts {
    DWORD sessionId = 0;
    DWORD processId = 0;
    DWORD threadId = 0;
    DWORD tickCount = 0;
    WString date;
    WString timeOfDay;
    bool hasUser = false;
    WString user;
};

// Reads the facts the options ask for from the running process.
TqlLineFacts TqlCollectLineFacts(DWORD options);

WString TqlComposeTraceLine(DWORD options, int level, LPCWSTR componentName,
                            const TqlLineFacts& facts, DWORD nestingWidth, DWORD depth,
                            const WString& text);

}  // namespace ql
