#include "transport/send_section.h"

#include "support/sync/semaphore.h"

namespace ql {

namespace {

// Created with the module (a static of this file), never destroyed, so that
// sends during the process's end still find it.
CTqlSemaphore& Section() {
    static CTqlSemaphore* semaphore = new CTqlSemaphore(1, 1);
    return *semaphore;
}
[[maybe_unused]] const bool kCreatedAtStart = (Section(), true);

}  // namespace

bool EnterSendSection(DWORD timeoutMs) noexcept { return Section().WaitFor(timeoutMs); }

void LeaveSendSection() noexcept { Section().Release(1); }

}  // namespace ql
