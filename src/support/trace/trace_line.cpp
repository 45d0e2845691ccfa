#include "support/trace/trace_line.h"

#include <cstdio>

#include "support/trace/trace_platform.h"

namespace ql {

namespace {

WString Printed(const char* format, unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    return WidenAscii(buffer);
}

}  // namespace

TqlLineFacts TqlCollectLineFacts(DWORD options) {
    TqlLineFacts facts;
    if ((options & kTqlWriteSessionId) != 0) facts.sessionId = TqlTraceSessionId();
    if ((options & kTqlWriteProcessId) != 0) facts.processId = TqlTraceProcessId();
    if ((options & kTqlWriteThreadId) != 0) facts.threadId = TqlTraceThreadId();
    if ((options & kTqlWriteTime) != 0) facts.tickCount = TqlTraceTickCount();
    if ((options & kTqlWriteDate) != 0) facts.date = TqlTraceDate();
    if ((options & kTqlWriteTimeOfDay) != 0) facts.timeOfDay = TqlTraceTimeOfDay();
    if ((options & kTqlWriteUser) != 0) facts.hasUser = TqlTraceUserName(facts.user);
    return facts;
}

WString TqlComposeTraceLine(DWORD options, int level, LPCWSTR componentName,
                            const TqlLineFacts& facts, DWORD nestingWidth, DWORD depth,
                            const WString& text) {
    WString line = OLESTR("[");
    bool first = true;
    auto field = [&](const WString& value) {
        if (!first) line += ' ';
        first = false;
        line += value;
    };
    if ((options & kTqlWriteLevel) != 0) field(WidenAscii(std::to_string(level)));
    if ((options & kTqlWriteComponent) != 0) field(componentName);
    if ((options & kTqlWriteSessionId) != 0) field(Printed("S:%u", facts.sessionId));
    if ((options & kTqlWriteProcessId) != 0) field(Printed("P:%X", facts.processId));
    if ((options & kTqlWriteThreadId) != 0) field(Printed("T:%X", facts.threadId));
    if ((options & kTqlWriteTime) != 0) {
        WString time = Printed("%u", (facts.tickCount / 1000) % 1000);
        time += Printed(".%03u", facts.tickCount % 1000);
        field(time);
    }
    if ((options & kTqlWriteDate) != 0) field(facts.date);
    if ((options & kTqlWriteTimeOfDay) != 0) field(facts.timeOfDay);
    if ((options & kTqlWriteUser) != 0 && facts.hasUser)
        field(OLESTR("U:'") + facts.user + OLESTR("'"));
    line += OLESTR("] ");
    // Deeper than this the indentation says nothing more; it only costs.
    constexpr DWORD kMaxIndent = 4096;
    if (nestingWidth > 0 && depth > 0) {
        unsigned long long blanks = static_cast<unsigned long long>(nestingWidth) * depth;
        line.append(static_cast<std::size_t>(blanks > kMaxIndent ? kMaxIndent : blanks), ' ');
    }
    line += text;
    line += OLESTR("\r\n");
    return line;
}

}  // namespace ql
