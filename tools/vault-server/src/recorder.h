// What the server saw, for the control endpoint: every vault request (not
// the control requests) and the connection count. Thread-safe.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "http_exchange.h"

namespace ql::vault {

class Recorder {
public:
    // A connection accepted (any port, whatever it is then used for).
    std::uint64_t AddConnection();
    void Record(const HttpRequest& request);
    // [{"connection", "request_line", "headers": [[name, value]...],
    //   "body_base64"}...]
    std::string RequestsJson() const;
    // {"connections": n, "requests": n}
    std::string StatsJson() const;
    void Reset();

private:
    struct Entry {
        std::uint64_t connection;
        std::string requestLine;
        HeaderList headers;
        std::string body;
    };
    mutable std::mutex m_lock;
    std::vector<Entry> m_entries;
    std::uint64_t m_connections = 0;
    std::uint64_t m_nextConnection = 1;
};

}  // namespace ql::vault
