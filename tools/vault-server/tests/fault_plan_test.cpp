#include "fault_plan.h"

#include <gtest/gtest.h>

namespace ql::vault {
namespace {

// The status each request gets (0: no rule matched), in order.
std::vector<unsigned> StatusesOf(const char* plan, const std::vector<std::string>& methods) {
    FaultPlan parsed = FaultPlan::Parse(plan);
    std::vector<unsigned> statuses;
    for (const std::string& method : methods) {
        std::optional<FaultAction> action = parsed.Next(method);
        statuses.push_back(action && action->status ? *action->status : 0);
    }
    return statuses;
}

TEST(FaultPlanTest, MatchesRequestsByMethodIndexAndCount) {
    struct Case {
        const char* name;
        const char* plan;
        std::vector<std::string> methods;
        std::vector<unsigned> statuses;
    };
    const Case cases[] = {
        {"request numbers count per method",
         R"({"rules": [{"method": "Ping", "requests": [2, 3], "status": 500}]})",
         {"Ping", "CreateObject", "Ping", "Ping", "Ping"},
         {0, 0, 500, 500, 0}},
        {"star counts every request",
         R"([{"method": "*", "requests": [2], "status": 502}])",
         {"Ping", "CreateObject", "Ping"},
         {0, 502, 0}},
        {"the first matching rule wins",
         R"([{"method": "Ping", "times": 1, "status": 503}, {"method": "*", "status": 500}])",
         {"Ping", "Ping", "Other"},
         {503, 500, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.statuses, StatusesOf(c.plan, c.methods));
    }
}

TEST(FaultPlanTest, RefusesMalformedPlans) {
    const char* const plans[] = {
        "not json",
        R"({"no_rules": []})",
        R"([{"status": 503}])",
        R"([{"method": "Ping"}])",
        R"([{"method": "Ping", "status": 503, "delay_ms": 5}])",
        R"([{"method": "Ping", "status": 42}])",
        R"([{"method": "Ping", "requests": [0], "status": 503}])",
        R"([{"method": "Ping", "hveh": 200}])",
        R"([{"method": "Ping", "drip": {"chunk_bytes": 0}}])",
        R"([{"method": "Ping", "challenge": ["Basic"]}])",
        R"([{"method": "Ping", "status": 503, "colour": "red"}])",
    };
    for (const char* plan : plans) {
        SCOPED_TRACE(plan);
        EXPECT_THROW(FaultPlan::Parse(plan), std::invalid_argument);
    }
}

}  // namespace
}  // namespace ql::vault
