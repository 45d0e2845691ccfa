#include "recorder.h"

#include <nlohmann/json.hpp>

namespace ql::vault {

std::uint64_t Recorder::AddConnection() {
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_connections;
    return m_nextConnection++;
}

void Recorder::Record(const HttpRequest& request) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.push_back({request.connection, request.RequestLine(), request.headers, request.body});
}

std::string Recorder::RequestsJson() const {
    std::lock_guard<std::mutex> guard(m_lock);
    nlohmann::json out = nlohmann::json::array();
    for (const Entry& entry : m_entries) {
        nlohmann::json headers = nlohmann::json::array();
        for (const auto& [name, value] : entry.headers) headers.push_back({name, value});
        out.push_back({{"connection", entry.connection},
                       {"request_line", entry.requestLine},
                       {"headers", std::move(headers)},
                       {"body_base64", Base64Encode(entry.body)}});
    }
    return out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string Recorder::StatsJson() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return nlohmann::json{{"connections", m_connections}, {"requests", m_entries.size()}}.dump();
}

void Recorder::Reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.clear();
    m_connections = 0;
}

}  // namespace ql::vault
