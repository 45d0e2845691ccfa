// The process-wide send section of the WinINet back end: at most one
// request of this module is being sent and resent at a time, so that the
// library's shared connection state is not raced. A waiter gives up after
// a bounded time and sends without the section rather than hang.
#pragma once

#include "support/base/com_types.h"

namespace ql {

// How long a send waits for the section before going on without it.
inline constexpr DWORD kSendSectionWaitMs = 10000;

// True when the section was entered within timeoutMs; only then must
// LeaveSendSection follow.
bool EnterSendSection(DWORD timeoutMs = kSendSectionWaitMs) noexcept;
void LeaveSendSection() noexcept;

}  // namespace ql
