#include "fault_plan.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace ql::vault {
namespace {

using nlohmann::json;

[[noreturn]] void Fail(const std::string& what) { throw std::invalid_argument("plan: " + what); }

unsigned Unsigned(const json& value, const char* name) {
    if (!value.is_number_unsigned()) Fail(std::string(name) + " must be a number >= 0");
    return value.get<unsigned>();
}

bool Flag(const json& rule, const char* name) {
    if (!rule.contains(name)) return false;
    if (!rule[name].is_boolean()) Fail(std::string(name) + " must be true or false");
    return rule[name].get<bool>();
}

FaultRule ParseRule(const json& rule) {
    if (!rule.is_object()) Fail("a rule must be an object");
    static const char* const kKnown[] = {
        "method",     "requests",       "times",    "status",
        "challenge",  "hveh",           "delay_ms", "close_before_status",
        "short_body", "reset_mid_body", "drip",     "body_hex"};
    for (const auto& item : rule.items()) {
        const std::string& key = item.key();
        if (std::find_if(std::begin(kKnown), std::end(kKnown),
                         [&](const char* k) { return key == k; }) == std::end(kKnown)) {
            Fail("unknown field \"" + key + "\"");
        }
    }
    FaultRule out;
    if (!rule.contains("method") || !rule["method"].is_string()) Fail("a rule needs a method");
    out.method = rule["method"].get<std::string>();
    if (rule.contains("requests")) {
        if (!rule["requests"].is_array()) Fail("requests must be a list");
        for (const json& n : rule["requests"]) {
            unsigned index = Unsigned(n, "requests");
            if (index == 0) Fail("requests count from 1");
            out.requests.push_back(index);
        }
    }
    if (rule.contains("times")) out.times = Unsigned(rule["times"], "times");
    FaultAction& action = out.action;
    int actions = 0;
    if (rule.contains("status")) {
        unsigned status = Unsigned(rule["status"], "status");
        if (status < 100 || status > 999) Fail("status must be an HTTP status");
        action.status = status;
        ++actions;
    }
    if (rule.contains("challenge")) {
        if (!action.status) Fail("challenge needs a status");
        if (!rule["challenge"].is_array()) Fail("challenge must be a list");
        for (const json& value : rule["challenge"]) {
            if (!value.is_string()) Fail("challenge values must be strings");
            action.challenge.push_back(value.get<std::string>());
        }
    }
    if (rule.contains("hveh")) {
        const json& hveh = rule["hveh"];
        if (!hveh.is_null() && !hveh.is_string()) Fail("hveh must be text or null");
        action.replaceHveh = true;
        action.hveh = hveh.is_null() ? std::string() : hveh.get<std::string>();
        ++actions;
    }
    if (rule.contains("delay_ms")) {
        action.transport.delayMs = Unsigned(rule["delay_ms"], "delay_ms");
        ++actions;
    }
    action.transport.closeBeforeStatus = Flag(rule, "close_before_status");
    action.transport.shortBody = Flag(rule, "short_body");
    action.transport.resetMidBody = Flag(rule, "reset_mid_body");
    actions += action.transport.closeBeforeStatus + action.transport.shortBody +
               action.transport.resetMidBody;
    if (rule.contains("drip")) {
        const json& drip = rule["drip"];
        if (!drip.is_object() || !drip.contains("chunk_bytes")) {
            Fail("drip needs chunk_bytes");
        }
        action.transport.dripChunkBytes = Unsigned(drip["chunk_bytes"], "chunk_bytes");
        if (action.transport.dripChunkBytes == 0) Fail("chunk_bytes must be above 0");
        if (drip.contains("interval_ms")) {
            action.transport.dripIntervalMs = Unsigned(drip["interval_ms"], "interval_ms");
        }
        ++actions;
    }
    if (rule.contains("body_hex")) {
        if (!rule["body_hex"].is_string()) Fail("body_hex must be text");
        const std::string hex = rule["body_hex"].get<std::string>();
        std::string bytes;
        int high = -1;
        for (char c : hex) {
            int value = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (value < 0) {
                if (c == ' ') continue;
                Fail("body_hex holds hexadecimal digits and blanks only");
            }
            if (high < 0) {
                high = value;
            } else {
                bytes.push_back(static_cast<char>(high * 16 + value));
                high = -1;
            }
        }
        if (high >= 0) Fail("body_hex has an odd number of digits");
        action.body = std::move(bytes);
        ++actions;
    }
    if (actions != 1) Fail("a rule has exactly one action (method " + out.method + ")");
    return out;
}

}  // namespace

FaultPlan FaultPlan::Parse(std::string_view text) {
    json document = json::parse(text, nullptr, false);
    if (document.is_discarded()) Fail("not JSON");
    const json* rules = &document;
    if (document.is_object()) {
        if (!document.contains("rules")) Fail("an object plan needs \"rules\"");
        rules = &document["rules"];
    }
    if (!rules->is_array()) Fail("rules must be a list");
    std::vector<FaultRule> parsed;
    for (const json& rule : *rules) parsed.push_back(ParseRule(rule));
    return FaultPlan(std::move(parsed));
}

std::optional<FaultAction> FaultPlan::Next(const std::string& method) {
    m_used.resize(m_rules.size());
    unsigned ofMethod = ++m_perMethod[method];
    unsigned ofAll = ++m_all;
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        const FaultRule& rule = m_rules[i];
        bool any = rule.method == "*";
        if (!any && rule.method != method) continue;
        unsigned index = any ? ofAll : ofMethod;
        if (!rule.requests.empty() &&
            std::find(rule.requests.begin(), rule.requests.end(), index) == rule.requests.end()) {
            continue;
        }
        if (rule.times != 0 && m_used[i] >= rule.times) continue;
        ++m_used[i];
        return rule.action;
    }
    return std::nullopt;
}

}  // namespace ql::vault
