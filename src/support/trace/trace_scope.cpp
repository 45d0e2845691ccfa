#include "support/base/wide_string.h"
#include "support/shared_state/named_tls.h"
#include "support/trace/trace.h"

namespace ql {

namespace {

void SetDepth(DWORD depth) {
    TqlTraceTls().SetValue(0, reinterpret_cast<LPVOID>(static_cast<ULONG_PTR>(depth)), nullptr);
}

}  // namespace

DWORD TqlTraceNestingDepth() noexcept {
    LPVOID value = nullptr;
    if (!TqlTraceTls().GetValue(0, &value)) return 0;
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(value));
}

CTqlTraceScope::CTqlTraceScope(LPCWSTR functionName, TqlComponent component, int level) noexcept
    : m_name(functionName),
      m_component(component == -1 ? kTqlDefaultComponent : component),
      m_level(level) {
    if (!TqlTraceIsOn(m_component, m_level)) return;
    TqlTrace(m_component, m_level, OLESTR("%s() {"), m_name);
    SetDepth(TqlTraceNestingDepth() + 1);
}

CTqlTraceScope::~CTqlTraceScope() {
    if (!TqlTraceIsOn(m_component, m_level)) return;
    DWORD depth = TqlTraceNestingDepth();
    if (depth > 0) SetDepth(depth - 1);
    TqlTrace(m_component, m_level, OLESTR("} // %s"), m_name);
}

void CTqlTraceScope::Emit(int level, LPCWSTR format, va_list args, bool insertStyle) noexcept {
    if (!TqlTraceIsOn(m_component, level)) return;
    try {
        WString prefixed(m_name);
        prefixed += OLESTR("()- ");
        prefixed += format;
        TqlTraceV(m_component, level, prefixed.c_str(), args, insertStyle);
    } catch (...) {
        // A message that cannot be composed is lost.
    }
}

#define QL_SCOPE_FORWARD(level, format, insertStyle) \
    va_list args;                                    \
    va_start(args, format);                          \
    Emit(level, format, args, insertStyle);          \
    va_end(args)

void CTqlTraceScope::Trace(int level, LPCWSTR format, ...) noexcept {
    QL_SCOPE_FORWARD(level, format, false);
}
void CTqlTraceScope::Error(LPCWSTR format, ...) noexcept {
    QL_SCOPE_FORWARD(kTqlLevelError, format, false);
}
void CTqlTraceScope::Warning(LPCWSTR format, ...) noexcept {
    QL_SCOPE_FORWARD(kTqlLevelWarning, format, false);
}
void CTqlTraceScope::Info(LPCWSTR format, ...) noexcept {
    QL_SCOPE_FORWARD(kTqlLevelInfo, format, false);
}
void CTqlTraceScope::ErrorMsg(LPCWSTR format, ...) noexcept {
    QL_SCOPE_FORWARD(kTqlLevelError, format, true);
}

#undef QL_SCOPE_FORWARD

}  // namespace ql
