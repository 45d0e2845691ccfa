// The installed Internet Explorer version, as the registry records it.
#pragma once

#include "support/base/com_types.h"

namespace ql {

// (major << 16) | minor of the installed Internet Explorer, read from the
// REG_SZ "Version" under "Software\Microsoft\Internet Explorer" of
// HKEY_LOCAL_MACHINE and parsed with TqlParseIeVersion (platform.h); 0 when
// unknown. A known value is cached and returned unless refresh is asked for.
DWORD TqlGetIeVersion(bool refresh = false) noexcept;

}  // namespace ql
