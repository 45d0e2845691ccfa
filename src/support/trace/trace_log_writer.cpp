#include "support/trace/trace_log_writer.h"

#include <string>

#include "support/platform/log_file.h"
#include "support/trace/trace_platform.h"

namespace ql {

namespace {

// "----- <date> <time> -----" opens a fresh rotating file and closes a full
// one.
WString Banner() {
    WString banner = OLESTR("----- ");
    banner += TqlTraceDate();
    banner += ' ';
    banner += TqlTraceTimeOfDay();
    banner += OLESTR(" -----\r\n");
    return banner;
}

// Rotation walks every number each time; a configured count beyond this is
// taken as this many files rather than a walk through billions of names.
constexpr DWORD kMaxLogFiles = 1000;

void Rotate(const WString& path, DWORD filesNumber) {
    if (filesNumber > kMaxLogFiles) filesNumber = kMaxLogFiles;
    for (DWORD i = filesNumber - 1; i >= 2; --i) {
        WString older = TqlRotatedLogName(path, i - 1);
        if (!TqlFileExists(older)) continue;
        WString newer = TqlRotatedLogName(path, i);
        TqlRemoveFile(newer);
        TqlRenameFile(older, newer);
    }
    WString first = TqlRotatedLogName(path, 1);
    TqlRemoveFile(first);
    if (TqlRenameFile(path, first) == 0) TqlCompressFile(first);
}

}  // namespace

WString TqlRotatedLogName(const WString& path, DWORD number) {
    // Both separators count: a backslash ends a directory on Windows and
    // never appears in the log paths this system writes elsewhere.
    std::size_t nameStart = path.find_last_of(OLESTR("\\/"));
    nameStart = nameStart == WString::npos ? 0 : nameStart + 1;
    std::size_t dot = path.find_last_of('.');
    std::size_t extensionStart = dot != WString::npos && dot >= nameStart ? dot : path.size();
    WString name = path.substr(0, extensionStart);
    name += '.';
    name += WidenAscii(std::to_string(number));
    name += path.substr(extensionStart);
    return name;
}

DWORD TqlWriteLogLine(const WString& path, const WString& line, const TqlLogLimits& limits) {
    CTqlLogFile file;
    if (DWORD error = file.Open(path)) return error;
    ULONGLONG size = 0;
    file.Size(size);
    const bool rotating = limits.filesNumber >= 2;
    WString text;
    if (limits.sizeLimit != 0 && rotating && size == 0) text = Banner();
    text += line;
    std::string narrow = TqlTraceToNarrow(text);
    const ULONGLONG bytes = narrow.size();
    const ULONGLONG limit = limits.sizeLimit;

    bool rotate = false;
    if (limit != 0) {
        if (!rotating) {
            if (bytes >= limit)
                file.Truncate(0);
            else if (size + bytes > limit)
                file.DropHeadThrough(size + bytes - limit);
        } else {
            rotate = size + bytes >= limit;
        }
    }
    if (rotate) narrow += TqlTraceToNarrow(Banner());
    file.Append(narrow.data(), static_cast<DWORD>(narrow.size()));
    file.Close();
    if (rotate) Rotate(path, limits.filesNumber);
    return 0;
}

}  // namespace ql
