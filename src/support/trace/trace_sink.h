// Observing the tracing facility: a sink that takes every admitted message
// instead of the log (tests install one to see what the system traces), and
// the settings of registered components.
#pragma once

#include "support/base/wide_string.h"
#include "support/trace/trace.h"

namespace ql {

class ITraceSink {
public:
    // componentName is the row's name; text is the formatted message without
    // prefix or line end.
    virtual void OnTraceMessage(LPCWSTR componentName, int level, LPCWSTR text) = 0;

protected:
    ~ITraceSink() = default;
};

// Installs a sink (null restores the default) and returns the previous one.
ITraceSink* TqlSetTraceSink(ITraceSink* sink);

// Changes the level of a registered component.
void TqlSetTraceLevel(TqlComponent component, int level);

// What a registered component's row holds.
struct TqlComponentSettings {
    WString name;
    WString logFile;  // empty: the global log file
    int level = 0;
    DWORD options = 0;
    DWORD sizeLimit = 0;  // bytes
    DWORD filesNumber = 0;
    DWORD nestingWidth = 0;
};
// False for a handle that selects no registered row.
bool TqlTraceDescribeComponent(TqlComponent component, TqlComponentSettings* settings);

}  // namespace ql
