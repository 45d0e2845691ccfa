#include "support/trace.h"
#include "support/trace_format.h"

namespace ql {

DWORD TqlGetErrorText(DWORD code, DWORD stripOptions, LPWSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) return ERROR_INVALID_PARAMETER;
    DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if ((stripOptions & kTqlStripOneLine) != 0) flags |= FORMAT_MESSAGE_MAX_WIDTH_MASK;
    DWORD chars = FormatMessageW(flags, nullptr, code, 0x400, buffer, size, nullptr);
    if (chars == 0) {
        DWORD error = GetLastError();
        return error == 0 ? 317 : error;
    }
    WString text(buffer, chars);
    TqlApplyStripOptions(text, stripOptions);
    buffer[text.copy(buffer, size - 1)] = 0;
    return 0;
}

}  // namespace ql
