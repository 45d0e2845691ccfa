#include "support/platform/error_text.h"

#include <algorithm>

#include "support/base/win32_errors.h"
#include "support/trace/trace.h"

namespace ql {

namespace {

struct ErrorText {
    DWORD code;
    const char* text;
};

// The Windows texts of the codes this library produces or meets, so that
// traces read the same on every platform.
const ErrorText kErrorTexts[] = {
#define QL_WIN32_ERROR(name, symbol, number, text) {number, text},
#define QL_COM_ERROR(symbol, value, text) {value, text},
#include "support/base/win32_error_list.h"
#undef QL_COM_ERROR
#undef QL_WIN32_ERROR
};

const char* Lookup(DWORD code) {
    for (const auto& entry : kErrorTexts)
        if (entry.code == code) return entry.text;
    // HRESULTs that wrap a system error read as that error.
    if ((code & 0xFFFF0000u) == 0x80070000u) {
        DWORD win32 = code & 0xFFFFu;
        for (const auto& entry : kErrorTexts)
            if (entry.code == win32) return entry.text;
    }
    return nullptr;
}

}  // namespace

DWORD TqlAddMessageModule(void* module, LPCWSTR libraryPath) {
    if (module == nullptr && (libraryPath == nullptr || libraryPath[0] == 0))
        return ERROR_INVALID_PARAMETER;
    return 0;
}

DWORD TqlGetErrorText(DWORD code, DWORD stripOptions, LPWSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) return ERROR_INVALID_PARAMETER;
    const char* found = Lookup(code);
    if (found == nullptr) return kTqlErrorMessageNotFound;
    WString text = WidenAscii(found);
    // The system's texts end with a line break; one-line output turns it into
    // the blank that the strip options then remove.
    text += (stripOptions & kTqlStripOneLine) != 0 ? WString(OLESTR(" ")) : WString(OLESTR("\r\n"));
    TqlApplyStripOptions(text, stripOptions);
    if (text.size() + 1 > size) return ERROR_INSUFFICIENT_BUFFER;
    buffer[text.copy(buffer, size - 1)] = 0;
    return 0;
}

}  // namespace ql
