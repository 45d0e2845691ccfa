#include "support/platform/error_text.h"

#include <mutex>
#include <vector>

#include "support/trace/trace.h"

namespace ql {

namespace {

struct MessageModules {
    std::mutex mutex;
    std::vector<HMODULE> modules;
};

MessageModules& Modules() {
    static MessageModules modules;
    return modules;
}

DWORD FormatFrom(DWORD flags, HMODULE module, DWORD code, DWORD stripOptions, LPWSTR buffer,
                 DWORD size) {
    flags |= FORMAT_MESSAGE_IGNORE_INSERTS;
    if ((stripOptions & kTqlStripOneLine) != 0) flags |= FORMAT_MESSAGE_MAX_WIDTH_MASK;
    DWORD chars = FormatMessageW(flags, module, code, 0x400, buffer, size, nullptr);
    if (chars == 0) {
        DWORD error = GetLastError();
        return error == 0 ? 317 : error;
    }
    WString text(buffer, chars);
    TqlApplyStripOptions(text, stripOptions);
    buffer[text.copy(buffer, size - 1)] = 0;
    return 0;
}

}  // namespace

DWORD TqlAddMessageModule(void* module, LPCWSTR libraryPath) {
    auto handle = static_cast<HMODULE>(module);
    if (handle == nullptr) {
        if (libraryPath == nullptr || libraryPath[0] == 0) return ERROR_INVALID_PARAMETER;
        handle = LoadLibraryW(libraryPath);
        if (handle == nullptr) return GetLastError();
    }
    MessageModules& modules = Modules();
    std::lock_guard<std::mutex> lock(modules.mutex);
    modules.modules.push_back(handle);
    return 0;
}

DWORD TqlGetErrorText(DWORD code, DWORD stripOptions, LPWSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) return ERROR_INVALID_PARAMETER;
    std::vector<HMODULE> modules;
    {
        MessageModules& registered = Modules();
        std::lock_guard<std::mutex> lock(registered.mutex);
        modules = registered.modules;
    }
    for (HMODULE module : modules) {
        DWORD result =
            FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, module, code, stripOptions, buffer, size);
        // No such message or resource in this module: try the next one.
        if (result == 317 || result == 1814 || result == 1815) continue;
        return result;
    }
    return FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, stripOptions, buffer, size);
}

}  // namespace ql
