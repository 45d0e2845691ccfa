#include "support/sync/semaphore.h"

namespace ql {

CTqlSemaphore& TqlSendSemaphore() {
    static CTqlSemaphore semaphore(1, 1);
    return semaphore;
}

namespace {

// Created while the module loads, not by the first send.
[[maybe_unused]] const CTqlSemaphore& g_sendSemaphoreAtLoad = TqlSendSemaphore();

}  // namespace

}  // namespace ql
