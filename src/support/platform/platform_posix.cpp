#include "support/platform/platform.h"

#include <string>

#include "support/platform/system_wrappers.h"

namespace ql {

bool TqlQueryOsVersionFields(TqlOsVersionFields* fields) noexcept {
    if (fields == nullptr) return false;
    // Neither Windows family: the description of this system is 0.
    *fields = TqlOsVersionFields{};
    return true;
}

bool TqlIsWow64Process() noexcept { return false; }

// The directory takes no part in finding the libraries this one depends on
// (the dynamic linker follows the library's run path), so the process-wide
// current directory is left alone.
DWORD TqlLoadLibraryFromDir(LPCWSTR path, TqlModule* module) noexcept {
    if (path == nullptr || module == nullptr || *path == 0) return ERROR_INVALID_PARAMETER;
    TqlModule loaded = _LoadLibrary(path);
    if (loaded == nullptr) return _GetLastError();
    *module = loaded;
    return 0;
}

}  // namespace ql
