#include "support/platform/dynamic_library.h"

#include <dlfcn.h>

#include "support/platform/system_wrappers.h"

namespace ql {

TqlModule TqlLoadModule(const char* name) noexcept {
    if (name == nullptr || *name == '\0') {
        _SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* module = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) _SetLastError(kTqlErrorModuleNotFound);
    return module;
}

void* TqlFindProcedure(TqlModule module, const char* name) noexcept {
    if (module == nullptr || name == nullptr) {
        _SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A symbol whose value is null cannot be told apart from a missing one;
    // neither can be called.
    void* address = ::dlsym(module, name);
    if (address == nullptr) _SetLastError(kTqlErrorProcNotFound);
    return address;
}

void TqlFreeModule(TqlModule module) noexcept {
    if (module != nullptr) ::dlclose(module);
}

}  // namespace ql
