#include "control.h"

#include <stdexcept>

namespace ql::vault {
namespace {

constexpr std::string_view kPrefix = "/control/";

HttpResponse Text(unsigned status, std::string body, const char* type = "text/plain") {
    HttpResponse response;
    response.status = status;
    response.SetHeader("Content-Type", type);
    response.body = std::move(body);
    return response;
}

HttpResponse Json(std::string body) { return Text(200, std::move(body), "application/json"); }

}  // namespace

bool IsControlTarget(std::string_view target) noexcept { return target.starts_with(kPrefix); }

HttpResponse HandleControl(const HttpRequest& request, Recorder& recorder, SharedFaultPlan& plan) {
    std::string_view what = std::string_view(request.target).substr(kPrefix.size());
    bool get = request.method == "GET";
    bool post = request.method == "POST";
    if (what == "requests" && get) return Json(recorder.RequestsJson());
    if (what == "stats" && get) return Json(recorder.StatsJson());
    if (what == "plan" && post) {
        try {
            plan.Replace(FaultPlan::Parse(request.body));
        } catch (const std::invalid_argument& error) {
            return Text(400, std::string(error.what()) + "\n");
        }
        return Json("{}");
    }
    if (what == "reset" && post) {
        recorder.Reset();
        plan.Replace(FaultPlan());
        return Json("{}");
    }
    if (what == "requests" || what == "stats" || what == "plan" || what == "reset") {
        return Text(405, "method not allowed\n");
    }
    return Text(404, "no such control\n");
}

}  // namespace ql::vault
