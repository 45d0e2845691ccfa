#include "support/platform/kernel_handle.h"

namespace ql {

void TqlKernelHandleTraits::Close(Handle handle) noexcept {
    DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(error);
}

}  // namespace ql
