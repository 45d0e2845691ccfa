#include "support/platform/dynamic_library.h"

namespace ql {

TqlModule TqlLoadModule(const char* name) noexcept {
    if (name == nullptr || *name == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // No dialog box for a library that is missing or broken; the mode is the
    // calling thread's only.
    DWORD previousMode = 0;
    BOOL modeSet =
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE module = LoadLibraryA(name);
    DWORD error = GetLastError();
    if (modeSet) SetThreadErrorMode(previousMode, nullptr);
    SetLastError(error);
    return module;
}

void* TqlFindProcedure(TqlModule module, const char* name) noexcept {
    if (module == nullptr || name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}

void TqlFreeModule(TqlModule module) noexcept {
    if (module != nullptr) {
        DWORD error = GetLastError();
        FreeLibrary(module);
        SetLastError(error);
    }
}

}  // namespace ql
