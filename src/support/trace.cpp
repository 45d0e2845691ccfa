#include "support/trace.h"

#include <atomic>
#include <mutex>

#include "support/debug_output.h"
#include "support/trace_format.h"
#include "support/trace_sink.h"

namespace ql {

namespace {

constexpr int kMaxComponents = 256;
constexpr std::size_t kNameChars = 128;

struct ComponentRow {
    WCHAR name[kNameChars] = {};
    std::atomic<int> level{0};
};

struct ComponentTable {
    ComponentRow rows[kMaxComponents];
    // Rows are complete before the count that exposes them grows.
    std::atomic<int> count{0};
    std::mutex registration;
    std::atomic<ITraceSink*> sink{nullptr};
};

ComponentTable& Table() {
    static ComponentTable table;
    return table;
}

int AddRow(ComponentTable& table, LPCWSTR name, int level) {
    int index = table.count.load(std::memory_order_relaxed);
    if (index >= kMaxComponents) return -1;
    ComponentRow& row = table.rows[index];
    std::size_t i = 0;
    for (; name[i] != 0 && i + 1 < kNameChars; ++i) row.name[i] = name[i];
    row.name[i] = 0;
    row.level.store(level, std::memory_order_relaxed);
    table.count.store(index + 1, std::memory_order_release);
    return index;
}

// The rows every process starts with, in this order.
void EnsureStartupRows(ComponentTable& table) {
    if (table.count.load(std::memory_order_relaxed) != 0) return;
    for (LPCWSTR name : {OLESTR("UNKN"), OLESTR("RT"), OLESTR("CTL"), OLESTR("PatchInst")})
        AddRow(table, name, 0);
}

int RowOf(TqlComponent component) {
    auto handle = static_cast<unsigned>(component);
    return handle > 0x10000u ? static_cast<int>(handle & 0xFFu) : component;
}

const ComponentRow* FindRow(TqlComponent component) {
    ComponentTable& table = Table();
    int row = RowOf(component);
    if (row < 0 || row >= table.count.load(std::memory_order_acquire)) return nullptr;
    return &table.rows[row];
}

void Emit(const ComponentRow& row, int level, const WString& text) {
    if (ITraceSink* sink = Table().sink.load(std::memory_order_acquire)) {
        sink->OnTraceMessage(row.name, level, text.c_str());
        return;
    }
    WString line = OLESTR("[");
    line += WidenAscii(std::to_string(level));
    line += ' ';
    line += row.name;
    line += OLESTR("] ");
    line += text;
    line += OLESTR("\r\n");
    TqlDebugOutput(line.c_str());
}

}  // namespace

TqlComponent TqlTraceRegisterComponent(LPCWSTR name, LPCWSTR /*logFile*/, int defaultLevel,
                                       DWORD /*options*/, DWORD /*sizeLimitKb*/,
                                       DWORD /*nestingWidth*/, DWORD /*filesNumber*/) {
    ComponentTable& table = Table();
    std::lock_guard<std::mutex> lock(table.registration);
    EnsureStartupRows(table);
    if (name == nullptr) return kTqlDefaultComponent;
    int index = AddRow(table, name, defaultLevel);
    return index < 0 ? kTqlDefaultComponent : index;
}

bool TqlTraceIsOn(TqlComponent component, int level) {
    const ComponentRow* row = FindRow(component);
    int rowLevel =
        row == nullptr || row->name[0] == 0 ? 0 : row->level.load(std::memory_order_relaxed);
    return row != nullptr && rowLevel >= level;
}

void TqlTraceV(TqlComponent component, int level, LPCWSTR format, va_list args, bool insertStyle) {
    if (!TqlTraceIsOn(component, level)) return;
    const ComponentRow* row = FindRow(component);
    try {
        WString text;
        if (insertStyle) {
            if (TqlFormatInserts(format, kTqlStripOneLine | kTqlStripPeriod, args, text) != 0)
                text.clear();
        } else {
            text = TqlFormatPrintf(format, args);
        }
        Emit(*row, level, text);
    } catch (...) {
        // Tracing never fails its caller; a line that cannot be composed is
        // lost.
    }
}

#define QL_TRACE_FORWARD(component, level, format, insertStyle) \
    va_list args;                                               \
    va_start(args, format);                                     \
    TqlTraceV(component, level, format, args, insertStyle);     \
    va_end(args)

void TqlTrace(TqlComponent component, int level, LPCWSTR format, ...) {
    QL_TRACE_FORWARD(component, level, format, false);
}
void TqlTraceError(TqlComponent component, LPCWSTR format, ...) {
    QL_TRACE_FORWARD(component, kTqlLevelError, format, false);
}
void TqlTraceWarning(TqlComponent component, LPCWSTR format, ...) {
    QL_TRACE_FORWARD(component, kTqlLevelWarning, format, false);
}
void TqlTraceInfo(TqlComponent component, LPCWSTR format, ...) {
    QL_TRACE_FORWARD(component, kTqlLevelInfo, format, false);
}
void TqlTraceAlways(TqlComponent component, LPCWSTR format, ...) {
    QL_TRACE_FORWARD(component, kTqlLevelAlways, format, false);
}
void TqlTraceDefault(LPCWSTR format, ...) {
    QL_TRACE_FORWARD(kTqlDefaultComponent, kTqlLevelAlways, format, false);
}
void TqlTraceMsg(TqlComponent component, int level, LPCWSTR format, ...) {
    QL_TRACE_FORWARD(component, level, format, true);
}
void TqlTraceErrorMsg(TqlComponent component, LPCWSTR format, ...) {
    QL_TRACE_FORWARD(component, kTqlLevelError, format, true);
}
void TqlTraceWarningMsg(TqlComponent component, LPCWSTR format, ...) {
    QL_TRACE_FORWARD(component, kTqlLevelWarning, format, true);
}
void TqlTraceInfoMsg(TqlComponent component, LPCWSTR format, ...) {
    QL_TRACE_FORWARD(component, kTqlLevelInfo, format, true);
}

#undef QL_TRACE_FORWARD

ITraceSink* TqlSetTraceSink(ITraceSink* sink) {
    return Table().sink.exchange(sink, std::memory_order_acq_rel);
}

void TqlSetTraceLevel(TqlComponent component, int level) {
    ComponentTable& table = Table();
    int row = RowOf(component);
    if (row >= 0 && row < table.count.load(std::memory_order_acquire))
        table.rows[row].level.store(level, std::memory_order_relaxed);
}

}  // namespace ql
