// Scripted faults: rules read from JSON (README.md gives the format), each
// matching a method and some of its requests, each with one action. The
// plan counts every request it is shown, per method and in all.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "http_exchange.h"

namespace ql::vault {

struct FaultAction {
    std::optional<unsigned> status;      // answer with this HTTP status, empty body
    std::vector<std::string> challenge;  // WWW-Authenticate values sent with status
    bool replaceHveh = false;            // "hveh" given
    std::string hveh;                    // "" (or null): no HVEH header
    TransportFault transport;
    std::optional<std::string> body;  // "body_hex": the reply body, as given
};

struct FaultRule {
    std::string method;  // a method name, or "*" for every request
    // 1-based request numbers: of that method, or of all requests for "*".
    std::vector<unsigned> requests;
    unsigned times = 0;  // > 0: only the first `times` matches
    FaultAction action;
};

class FaultPlan {
public:
    // Throws std::invalid_argument naming what is wrong.
    static FaultPlan Parse(std::string_view json);

    FaultPlan() = default;
    explicit FaultPlan(std::vector<FaultRule> rules) : m_rules(std::move(rules)) {}

    // Counts one request for method; the action of the first rule that
    // matches it, if any.
    std::optional<FaultAction> Next(const std::string& method);
    std::size_t RuleCount() const noexcept { return m_rules.size(); }

private:
    std::vector<FaultRule> m_rules;
    std::vector<unsigned> m_used;  // matches per rule
    std::map<std::string, unsigned> m_perMethod;
    unsigned m_all = 0;
};

// The plan in force, replaced whole by the control endpoint. Thread-safe.
class SharedFaultPlan {
public:
    void Replace(FaultPlan plan) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_plan = std::move(plan);
    }
    std::optional<FaultAction> Next(const std::string& method) {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_plan.Next(method);
    }

private:
    std::mutex m_lock;
    FaultPlan m_plan;
};

}  // namespace ql::vault
