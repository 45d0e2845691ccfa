// The tracing facility: named trace components with levels, printf-style and
// insert-style messages. All texts are wide strings; in printf style "%s"
// takes a wide string and "%S" a narrow one, and the "l" length modifier is
// 32 bits wide on every platform. No trace operation throws or reports a
// failure to its caller.
//
// This header is the leaf of the tracing layer: it includes base/ headers
// only, so that every layer of the support library may trace.
#pragma once

#include <cstdarg>

#include "support/base/com_types.h"

namespace ql {

// A component handle: a row index 0..255, or a value above 0x10000 whose low
// 8 bits select the row.
using TqlComponent = int;

inline constexpr TqlComponent kTqlDefaultComponent = 0;
// The support library's own internals ("RT").
inline constexpr TqlComponent kTqlRuntimeComponent = 0x10001;

// Trace levels as the system uses them.
inline constexpr int kTqlLevelAlways = 0;
inline constexpr int kTqlLevelError = 1;
inline constexpr int kTqlLevelWarning = 2;
inline constexpr int kTqlLevelInfo = 3;
inline constexpr int kTqlLevelEntry = 4;
inline constexpr int kTqlLevelDetail = 5;

// Option flag: take the line options from the configuration.
inline constexpr DWORD kTqlOptionsFromRegistry = 0x40000000;

// Returns the new row's handle; 0 (the default component) when the name is
// null or the table is full.
TqlComponent TqlTraceRegisterComponent(LPCWSTR name, LPCWSTR logFile, int defaultLevel,
                                       DWORD options, DWORD sizeLimitKb, DWORD nestingWidth,
                                       DWORD filesNumber);

bool TqlTraceIsOn(TqlComponent component, int level);

void TqlTraceV(TqlComponent component, int level, LPCWSTR format, va_list args, bool insertStyle);
void TqlTrace(TqlComponent component, int level, LPCWSTR format, ...);
void TqlTraceError(TqlComponent component, LPCWSTR format, ...);
void TqlTraceWarning(TqlComponent component, LPCWSTR format, ...);
void TqlTraceInfo(TqlComponent component, LPCWSTR format, ...);
void TqlTraceAlways(TqlComponent component, LPCWSTR format, ...);
void TqlTraceDefault(LPCWSTR format, ...);
void TqlTraceMsg(TqlComponent component, int level, LPCWSTR format, ...);
void TqlTraceErrorMsg(TqlComponent component, LPCWSTR format, ...);
void TqlTraceWarningMsg(TqlComponent component, LPCWSTR format, ...);
void TqlTraceInfoMsg(TqlComponent component, LPCWSTR format, ...);

// Strip options of the insert-style formatter.
inline constexpr DWORD kTqlStripOneLine = 0x1;  // one line, no trailing blank
inline constexpr DWORD kTqlStripPeriod = 0x2;   // no trailing "."

// Writes the text of an error code into buffer (size in characters,
// terminator included). Returns 0 on success, 87 for a null buffer or a size
// of 0, 122 when the buffer is too small, 317 when the code has no text.
DWORD TqlGetErrorText(DWORD code, DWORD stripOptions, LPWSTR buffer, DWORD size);

// The thread's last error code, except that 1 reads as 1626: throughout the
// support library a result below 2 means success, and a failure of the
// system must never read as one.
DWORD TqlGetLastError();

// Appends a module whose message table is searched, before the system's,
// for the text of an error code: the given module, or (module null) the
// library at libraryPath, loaded here. Returns 0 or a system error code.
// Where modules carry no message tables (POSIX) the built-in texts serve
// every code, and the call only checks its arguments.
DWORD TqlAddMessageModule(void* module, LPCWSTR libraryPath);

// A function-scope tracer: writes "name() {" on entry and "} // name" on
// exit, and indents everything traced on the thread in between.
class CTqlTraceScope {
public:
    // component -1 selects the default component.
    CTqlTraceScope(LPCWSTR functionName, TqlComponent component, int level) noexcept;
    ~CTqlTraceScope();
    CTqlTraceScope(const CTqlTraceScope&) = delete;
    CTqlTraceScope& operator=(const CTqlTraceScope&) = delete;

    // Messages prefixed with "name()- ".
    void Trace(int level, LPCWSTR format, ...) noexcept;
    void Error(LPCWSTR format, ...) noexcept;
    void Warning(LPCWSTR format, ...) noexcept;
    void Info(LPCWSTR format, ...) noexcept;
    void ErrorMsg(LPCWSTR format, ...) noexcept;  // insert style

private:
    void Emit(int level, LPCWSTR format, va_list args, bool insertStyle) noexcept;

    LPCWSTR m_name;
    TqlComponent m_component;
    int m_level;
};

// The calling thread's function nesting depth, shared by every module of
// the process.
DWORD TqlTraceNestingDepth() noexcept;

}  // namespace ql
