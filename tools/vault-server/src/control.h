// The control endpoint, on the vault's own ports under /control/:
//   GET  /control/requests  the recorded requests (Recorder::RequestsJson)
//   GET  /control/stats     {"connections": n, "requests": n}
//   POST /control/plan      replace the fault plan with the body's
//   POST /control/reset     forget recordings, counters and the plan
// Control requests are neither recorded nor counted as requests.
#pragma once

#include <string_view>

#include "fault_plan.h"
#include "http_exchange.h"
#include "recorder.h"

namespace ql::vault {

bool IsControlTarget(std::string_view target) noexcept;

HttpResponse HandleControl(const HttpRequest& request, Recorder& recorder, SharedFaultPlan& plan);

}  // namespace ql::vault
