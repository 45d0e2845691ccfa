#include "support/security/token_impersonator.h"

#include <cstddef>

#include "support/base/win32_errors.h"
#include "support/platform/system_wrappers.h"
#include "support/security/account_names.h"
#include "support/shared_state/process_heap.h"

namespace ql {

namespace {

constexpr int kNameSamCompatible = 2;  // EXTENDED_NAME_FORMAT: domain\user

// The thread's last error after a failed call; a failure that left no code
// is still reported as one.
DWORD LastErrorOfFailure() {
    DWORD error = GetLastError();
    return error != 0 ? error : kTqlErrorGenFailure;
}

}  // namespace

DWORD TqlCloseToken(HANDLE token) noexcept {
    DWORD saved = GetLastError();
    DWORD error = CloseHandle(token) ? 0 : LastErrorOfFailure();
    SetLastError(saved);
    return error;
}

DWORD TqlDuplicateImpersonationToken(HANDLE token, CTqlToken& duplicate) noexcept {
    duplicate.Reset();
    if (_DuplicateTokenEx(token, kTqlTokenAccess, nullptr, SecurityImpersonation,
                          TokenImpersonation, duplicate.Put()))
        return 0;
    DWORD error = LastErrorOfFailure();
    duplicate.Release();
    return error;
}

DWORD CTqlTokenImpersonator::GetImpersonationToken(CTqlToken& token,
                                                   BOOL fallBackToProcess) noexcept {
    token.Reset();
    if (OpenThreadToken(GetCurrentThread(), kTqlTokenAccess, TRUE, token.Put())) return 0;
    DWORD error = LastErrorOfFailure();
    token.Release();  // a failed open may leave anything in the slot
    if (error != kTqlErrorNoToken || !fallBackToProcess) return error;
    if (OpenProcessToken(GetCurrentProcess(), kTqlTokenAccess, token.Put())) return 0;
    error = LastErrorOfFailure();
    token.Release();
    return error;
}

DWORD CTqlTokenImpersonator::ImpersonateToken(HANDLE token) noexcept {
    return ImpersonateLoggedOnUser(token) ? 0 : LastErrorOfFailure();
}

DWORD CTqlTokenImpersonator::ImpersonateProcess() noexcept {
    return ImpersonateSelf(SecurityImpersonation) ? 0 : LastErrorOfFailure();
}

DWORD CTqlTokenImpersonator::StopImpersonating() noexcept {
    return RevertToSelf() ? 0 : LastErrorOfFailure();
}

bool CTqlTokenImpersonator::GetCurrentUserName(WString& name) noexcept {
    WCHAR buffer[kTqlMaxNameChars] = {};
    ULONG chars = kTqlMaxNameChars;
    if (!_GetUserNameEx(kNameSamCompatible, buffer, &chars)) return false;
    buffer[kTqlMaxNameChars - 1] = 0;
    try {
        name = buffer;
    } catch (...) {
        return false;
    }
    return true;
}

DWORD TqlGetTokenInfo(HANDLE token, DWORD infoClass, void** buffer) noexcept {
    if (buffer == nullptr) return ERROR_INVALID_PARAMETER;
    *buffer = nullptr;
    auto tokenClass = static_cast<TOKEN_INFORMATION_CLASS>(infoClass);
    DWORD bytes = 0;
    if (GetTokenInformation(token, tokenClass, nullptr, 0, &bytes)) {
        // Nothing to read; an empty answer is still a block the caller frees.
        bytes = 0;
    } else {
        DWORD error = LastErrorOfFailure();
        if (error != ERROR_INSUFFICIENT_BUFFER) return error;
    }
    void* block = TqlAlloc(bytes);
    if (block == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
    if (!GetTokenInformation(token, tokenClass, block, bytes, &bytes)) {
        DWORD error = LastErrorOfFailure();
        TqlFree(block);
        return error;
    }
    *buffer = block;
    return 0;
}

static_assert(sizeof(TqlTokenUser) == sizeof(TOKEN_USER) &&
              offsetof(TqlTokenUser, Sid) == offsetof(TOKEN_USER, User.Sid) &&
              offsetof(TqlTokenUser, Attributes) == offsetof(TOKEN_USER, User.Attributes));
static_assert(kTqlTokenUser == TokenUser && kTqlTokenType == TokenType &&
              kTqlTokenImpersonationLevel == TokenImpersonationLevel);
static_assert(kTqlTokenPrimary == TokenPrimary && kTqlTokenImpersonation == TokenImpersonation &&
              kTqlSecurityIdentification == SecurityIdentification &&
              kTqlSecurityImpersonation == SecurityImpersonation);
static_assert(kTqlTokenAccess == (TOKEN_DUPLICATE | TOKEN_IMPERSONATE | TOKEN_QUERY));
static_assert(kTqlErrorNoToken == ERROR_NO_TOKEN);

}  // namespace ql
