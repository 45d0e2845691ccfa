// Where composed trace messages go. The default sink is the debugger output;
// tests install their own to observe what the system traces.
#pragma once

#include "support/trace.h"

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

}  // namespace ql
