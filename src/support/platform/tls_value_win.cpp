#include "support/platform/tls_value.h"

namespace ql {

namespace {

DWORD LastFailure() {
    DWORD error = GetLastError();
    return error < 2 ? ERROR_FUNCTION_FAILED : error;
}

}  // namespace

DWORD TqlTlsAlloc(DWORD* index) noexcept {
    DWORD allocated = TlsAlloc();
    if (allocated == TLS_OUT_OF_INDEXES) {
        *index = kTqlNoTlsIndex;
        return LastFailure();
    }
    *index = allocated;
    return 0;
}

DWORD TqlTlsFree(DWORD index) noexcept { return TlsFree(index) ? 0 : LastFailure(); }

LPVOID TqlTlsGetValue(DWORD index) noexcept { return TlsGetValue(index); }

DWORD TqlTlsSetValue(DWORD index, LPVOID value) noexcept {
    return TlsSetValue(index, value) ? 0 : LastFailure();
}

}  // namespace ql
