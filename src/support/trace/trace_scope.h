// A function-scope tracer: writes "name() {" on entry and "} // name" on
// exit, and indents everything traced on the thread in between.
#pragma once

#include "support/trace/trace.h"

namespace ql {

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
