#include "trace_recorder.h"

#include "repository/module_trace.h"

namespace ql::test {

namespace {

void SetAllLevels(int level) {
    for (TqlComponent component = 0; component < 256; ++component)
        TqlSetTraceLevel(component, level);
}

}  // namespace

TraceRecorder::TraceRecorder() {
    HttpClientTrace();  // the module's components exist before levels are set
    m_previous = TqlSetTraceSink(this);
    SetAllLevels(kTqlLevelDetail);
}

TraceRecorder::~TraceRecorder() {
    SetAllLevels(0);
    TqlSetTraceSink(m_previous);
}

void TraceRecorder::OnTraceMessage(LPCWSTR componentName, int level, LPCWSTR text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.push_back(Message{ToUtf8(componentName), level, ToUtf8(text)});
}

std::vector<TraceRecorder::Message> TraceRecorder::Messages() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

std::vector<std::string> TraceRecorder::Texts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> texts;
    for (const auto& message : m_messages) texts.push_back(message.text);
    return texts;
}

bool TraceRecorder::Contains(const std::string& fragment) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& message : m_messages)
        if (message.text.find(fragment) != std::string::npos) return true;
    return false;
}

}  // namespace ql::test
