// The module's trace components, registered while the module loads.
#pragma once

#include "support/trace/trace.h"

namespace ql {

// "HTTP_CLIENT": the repository object, the transports and the proxies.
TqlComponent HttpClientTrace();
// "Cfg": the configuration manager.
TqlComponent ConfigTrace();

}  // namespace ql
