// Security attributes for kernel objects and files that every user of the
// machine must be able to open (the tracing mutex and the debug log).
#pragma once

#include "support/base/com_types.h"

namespace ql {

// The security attributes a synchronisation object is created with. Only
// Windows has them; elsewhere the type is never complete and callers pass
// null.
#ifdef _WIN32
using TqlSecurityAttributes = SECURITY_ATTRIBUTES;

// Non-inheritable attributes whose descriptor has a null access list, so that
// every user has every access. Built once per process on first use and never
// freed; null only when the descriptor cannot be built (the next call tries
// again).
SECURITY_ATTRIBUTES* TqlGetEveryoneSecurityAttributes();
#else
struct TqlSecurityAttributes;
#endif

}  // namespace ql
