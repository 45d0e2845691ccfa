#include "support/trace/trace.h"

#include <atomic>
#include <mutex>

#include "support/platform/debug_output.h"
#include "support/platform/system_wrappers.h"
#include "support/registry/registry.h"
#include "support/trace/trace_format.h"
#include "support/trace/trace_line.h"
#include "support/trace/trace_log_writer.h"
#include "support/trace/trace_platform.h"
#include "support/trace/trace_sink.h"
#include "support/trace/tracing_mutex.h"

namespace ql {

namespace {

constexpr int kMaxComponents = 256;
constexpr std::size_t kNameChars = 128;
constexpr std::size_t kPathChars = 260;
constexpr DWORD kUseGlobal = 0xFFFFFFFF;
constexpr DWORD kDefaultSizeLimitKb = 51200;
constexpr DWORD kDefaultFilesNumber = 5;

const WCHAR kDebugKey[] = OLESTR("SOFTWARE\\TQL\\Debug");

struct ComponentRow {
    WCHAR name[kNameChars] = {};
    WCHAR logFile[kPathChars] = {};
    std::atomic<int> level{0};
    DWORD options = 0;
    DWORD sizeLimit = 0;  // bytes
    DWORD filesNumber = 0;
    DWORD nestingWidth = 0;
};

struct GlobalSettings {
    WCHAR logFile[kPathChars] = {};
    DWORD sizeLimitKb = kDefaultSizeLimitKb;
    DWORD filesNumber = kDefaultFilesNumber;
};

struct ComponentTable {
    ComponentRow rows[kMaxComponents];
    // Rows are complete before the count that exposes them grows.
    std::atomic<int> count{0};
    // Set once the global settings are read; nothing is traced before.
    std::atomic<bool> settingsLoaded{false};
    GlobalSettings settings;
    // Guards registration within the process even when the machine-wide
    // mutex cannot be had.
    std::mutex registration;
    std::atomic<ITraceSink*> sink{nullptr};
};

ComponentTable& Table() {
    static ComponentTable table;
    return table;
}

const ComponentRow& EmptyRow() {
    static const ComponentRow row;
    return row;
}

void CopyTruncated(WCHAR* target, std::size_t capacity, LPCWSTR source) {
    std::size_t i = 0;
    for (; source != nullptr && source[i] != 0 && i + 1 < capacity; ++i) target[i] = source[i];
    target[i] = 0;
}

bool ReadDword(const WString& key, LPCWSTR value, DWORD& out) {
    DWORD read = 0;
    if (TqlReadRegistryDword(HKEY_LOCAL_MACHINE, key.c_str(), value, &read, TRUE) >= 2)
        return false;
    out = read;
    return true;
}

bool ReadString(const WString& key, LPCWSTR value, WCHAR* out, std::size_t capacity) {
    WCHAR buffer[kPathChars] = {};
    DWORD chars = kPathChars;
    if (TqlReadRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), value, buffer, &chars, TRUE) >= 2)
        return false;
    buffer[kPathChars - 1] = 0;
    CopyTruncated(out, capacity, buffer);
    return true;
}

int AddRow(ComponentTable& table, LPCWSTR name, LPCWSTR logFile, int defaultLevel, DWORD options,
           DWORD sizeLimitKb, DWORD nestingWidth, DWORD filesNumber) {
    int index = table.count.load(std::memory_order_relaxed);
    if (index >= kMaxComponents) return -1;
    ComponentRow& row = table.rows[index];
    CopyTruncated(row.name, kNameChars, name);
    const WString debugKey(kDebugKey);
    const WString componentKey = debugKey + OLESTR("\\") + row.name;

    if (logFile != nullptr && logFile[0] != 0)
        CopyTruncated(row.logFile, kPathChars, logFile);
    else
        ReadString(componentKey, OLESTR("LogFile"), row.logFile, kPathChars);

    DWORD level = 0;
    if (ReadDword(componentKey, OLESTR("Level"), level) || ReadDword(debugKey, row.name, level) ||
        ReadDword(debugKey, OLESTR("Level"), level))
        row.level.store(static_cast<int>(level), std::memory_order_relaxed);
    else
        row.level.store(defaultLevel, std::memory_order_relaxed);

    DWORD width = nestingWidth;
    if (!ReadDword(componentKey, OLESTR("DbgWriteNesting"), width))
        ReadDword(debugKey, OLESTR("DbgWriteNesting"), width);
    row.nestingWidth = width;

    if ((options & kTqlOptionsFromRegistry) != 0) {
        struct Option {
            LPCWSTR value;
            DWORD bit;
            DWORD defaultValue;
        };
        const Option kOptions[] = {
            {OLESTR("DbgWriteLevel"), kTqlWriteLevel, 1},
            {OLESTR("DbgWriteComponent"), kTqlWriteComponent, 1},
            {OLESTR("DbgWriteSessionID"), kTqlWriteSessionId,
             TqlTraceHasTerminalServices() ? 1u : 0u},
            {OLESTR("DbgWriteProcessID"), kTqlWriteProcessId, 1},
            {OLESTR("DbgWriteThreadID"), kTqlWriteThreadId, 1},
            {OLESTR("DbgWriteTime"), kTqlWriteTime, 0},
            {OLESTR("DbgWriteUser"), kTqlWriteUser, 0},
            {OLESTR("DebugOutput"), kTqlDebugOutput, 0},
        };
        for (const Option& option : kOptions) {
            DWORD value = option.defaultValue;
            if (!ReadDword(componentKey, option.value, value))
                ReadDword(debugKey, option.value, value);
            if (value != 0) options |= option.bit;
        }
        options &= ~kTqlOptionsFromRegistry;
    }
    row.options = options;

    DWORD kilobytes = sizeLimitKb == kUseGlobal ? table.settings.sizeLimitKb : sizeLimitKb;
    // A limit beyond 4 GiB is no limit a 32-bit size can hold: it saturates
    // rather than wrapping to a tiny one.
    row.sizeLimit = kilobytes > (0xFFFFFFFFu >> 10) ? 0xFFFFFFFFu : kilobytes << 10;
    row.filesNumber = filesNumber == kUseGlobal ? table.settings.filesNumber : filesNumber;

    table.count.store(index + 1, std::memory_order_release);
    return index;
}

// Reads the global settings and registers the rows every process starts
// with, in this order.
void LoadSettings(ComponentTable& table) {
    const WString debugKey(kDebugKey);
    ReadDword(debugKey, OLESTR("LogFileSizeLimit"), table.settings.sizeLimitKb);
    ReadDword(debugKey, OLESTR("LogFilesNumber"), table.settings.filesNumber);
    ReadString(debugKey, OLESTR("LogFile"), table.settings.logFile, kPathChars);
    table.settingsLoaded.store(true, std::memory_order_release);
    for (LPCWSTR name : {OLESTR("UNKN"), OLESTR("RT"), OLESTR("CTL"), OLESTR("PatchInst")})
        AddRow(table, name, nullptr, 0, kTqlOptionsFromRegistry, kUseGlobal, 2, kUseGlobal);
}

int RowIndexOf(TqlComponent component) {
    auto handle = static_cast<unsigned>(component);
    return handle > 0x10000u ? static_cast<int>(handle & 0xFFu) : component;
}

// The row a handle selects; a row not (yet) registered reads as empty.
const ComponentRow& RowOf(TqlComponent component, int& index) {
    ComponentTable& table = Table();
    index = RowIndexOf(component);
    if (index < 0 || index >= table.count.load(std::memory_order_acquire)) return EmptyRow();
    return table.rows[index];
}

int LevelOf(const ComponentRow& row) {
    return row.name[0] == 0 ? 0 : row.level.load(std::memory_order_relaxed);
}

// Writes the line to the component's log file under the tracing mutex, or
// to the debugger output when there is no file for it.
void Deliver(int rowIndex, const ComponentRow& row, const WString& line) {
    CTqlTracingMutex mutex;
    const GlobalSettings& settings = Table().settings;
    const WCHAR* target = row.logFile[0] != 0 ? row.logFile : settings.logFile;
    if (rowIndex == 0 || target[0] == 0) {
        TqlDebugOutput(line.c_str());
        return;
    }
    WString path(target);
    DWORD error = TqlWriteLogLine(path, line, TqlLogLimits{row.sizeLimit, row.filesNumber});
    if (error != 0) {
        // Reported on the default component, which only reaches the
        // debugger output, composed here so as not to wait for the mutex
        // this thread holds.
        const ComponentRow& defaultRow = Table().rows[0];
        WString text = TqlFormatMessageToString(
            OLESTR("Failed to open debug log file '%1', GetLastError() = %2!d!"), path.c_str(),
            error);
        if (LevelOf(defaultRow) >= kTqlLevelAlways)
            TqlDebugOutput(TqlComposeTraceLine(defaultRow.options, kTqlLevelAlways, defaultRow.name,
                                               TqlCollectLineFacts(defaultRow.options), 0, 0, text)
                               .c_str());
        TqlDebugOutput(line.c_str());
        return;
    }
    if ((row.options & kTqlDebugOutput) != 0) TqlDebugOutput(line.c_str());
}

}  // namespace

TqlComponent TqlTraceRegisterComponent(LPCWSTR name, LPCWSTR logFile, int defaultLevel,
                                       DWORD options, DWORD sizeLimitKb, DWORD nestingWidth,
                                       DWORD filesNumber) {
    try {
        ComponentTable& table = Table();
        CTqlTracingMutex mutex;
        std::lock_guard<std::mutex> lock(table.registration);
        if (!table.settingsLoaded.load(std::memory_order_acquire)) LoadSettings(table);
        if (name == nullptr) return kTqlDefaultComponent;
        int index = AddRow(table, name, logFile, defaultLevel, options, sizeLimitKb, nestingWidth,
                           filesNumber);
        return index < 0 ? kTqlDefaultComponent : index;
    } catch (...) {
        return kTqlDefaultComponent;
    }
}

bool TqlTraceIsOn(TqlComponent component, int level) {
    if (!Table().settingsLoaded.load(std::memory_order_acquire)) return false;
    int index = 0;
    return LevelOf(RowOf(component, index)) >= level;
}

void TqlTraceV(TqlComponent component, int level, LPCWSTR format, va_list args, bool insertStyle) {
    if (!TqlTraceIsOn(component, level)) return;
    int index = 0;
    const ComponentRow& row = RowOf(component, index);
    try {
        WString text;
        if (insertStyle) {
            if (TqlFormatInserts(format, kTqlStripOneLine | kTqlStripPeriod, args, text) != 0)
                text.clear();
        } else {
            text = TqlFormatPrintf(format, args);
        }
        if (ITraceSink* sink = Table().sink.load(std::memory_order_acquire)) {
            sink->OnTraceMessage(row.name, level, text.c_str());
            return;
        }
        DWORD options = row.options | (insertStyle ? kTqlInsertStyle : 0);
        WString line = TqlComposeTraceLine(options, level, row.name, TqlCollectLineFacts(options),
                                           row.nestingWidth, TqlTraceNestingDepth(), text);
        Deliver(index, row, line);
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
    int row = RowIndexOf(component);
    if (row >= 0 && row < table.count.load(std::memory_order_acquire))
        table.rows[row].level.store(level, std::memory_order_relaxed);
}

bool TqlTraceDescribeComponent(TqlComponent component, TqlComponentSettings* settings) {
    int index = 0;
    const ComponentRow& row = RowOf(component, index);
    if (settings == nullptr || row.name[0] == 0) return false;
    settings->name = row.name;
    settings->logFile = row.logFile;
    settings->level = row.level.load(std::memory_order_relaxed);
    settings->options = row.options;
    settings->sizeLimit = row.sizeLimit;
    settings->filesNumber = row.filesNumber;
    settings->nestingWidth = row.nestingWidth;
    return true;
}

}  // namespace ql
