// Records what the system traces while it lives, with every component
// raised to the most detailed level.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "support/base/wide_string.h"
#include "support/trace/trace_sink.h"

namespace ql::test {

class TraceRecorder final : public ITraceSink {
public:
    struct Message {
        std::string component;
        int level;
        std::string text;  // UTF-8
    };

    TraceRecorder();
    ~TraceRecorder();
    TraceRecorder(const TraceRecorder&) = delete;
    TraceRecorder& operator=(const TraceRecorder&) = delete;

    void OnTraceMessage(LPCWSTR componentName, int level, LPCWSTR text) override;

    std::vector<Message> Messages() const;
    // Texts only, in order.
    std::vector<std::string> Texts() const;
    bool Contains(const std::string& fragment) const;

private:
    mutable std::mutex m_mutex;
    std::vector<Message> m_messages;
    ITraceSink* m_previous;
};

}  // namespace ql::test
