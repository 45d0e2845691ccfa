// Records what the system traces while it lives, with every component
// raised to the most detailed level.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "repository/module_trace.h"
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

    TraceRecorder() {
        HttpClientTrace();  // the module's components exist before levels are set
        m_previous = TqlSetTraceSink(this);
        SetAllLevels(kTqlLevelDetail);
    }
    ~TraceRecorder() {
        SetAllLevels(0);
        TqlSetTraceSink(m_previous);
    }
    TraceRecorder(const TraceRecorder&) = delete;
    TraceRecorder& operator=(const TraceRecorder&) = delete;

    void OnTraceMessage(LPCWSTR componentName, int level, LPCWSTR text) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back(Message{ToUtf8(componentName), level, ToUtf8(text)});
    }

    std::vector<Message> Messages() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }
    // Texts only, in order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& message : Messages()) texts.push_back(message.text);
        return texts;
    }
    bool Contains(const std::string& fragment) const {
        for (const auto& text : Texts())
            if (text.find(fragment) != std::string::npos) return true;
        return false;
    }

private:
    static void SetAllLevels(int level) {
        for (TqlComponent component = 0; component < 256; ++component)
            TqlSetTraceLevel(component, level);
    }

    mutable std::mutex m_mutex;
    std::vector<Message> m_messages;
    ITraceSink* m_previous;
};

}  // namespace ql::test
