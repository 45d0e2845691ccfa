#include "support/security/token_impersonator.h"

#include <utility>

#include "support/trace/trace.h"

namespace ql {

CTqlTokenImpersonator::CTqlTokenImpersonator() {
    TraceCurrentUser(kTqlRuntimeComponent, kTqlLevelEntry, OLESTR("Current: "));
}

CTqlTokenImpersonator::~CTqlTokenImpersonator() {
    DWORD error = Revert(TRUE);
    if (error > 1)
        TqlTraceErrorMsg(kTqlRuntimeComponent,
                         OLESTR("CTqlTokenImpersonator::~CTqlTokenImpersonator(): Revert( TRUE ) "
                                "failed, err=%1!d! (%1!Z!)."),
                         error);
}

DWORD CTqlTokenImpersonator::Impersonate(HANDLE token) noexcept {
    CTqlTraceScope scope(OLESTR("CTqlTokenImpersonator::Impersonate"), kTqlRuntimeComponent,
                         kTqlLevelDetail);
    if (token == TqlInvalidHandleValue()) return ERROR_INVALID_PARAMETER;

    CTqlToken saved;
    DWORD error = GetImpersonationToken(saved, FALSE);
    if (error != 0 && error != kTqlErrorNoToken) {
        scope.ErrorMsg(OLESTR("GetImpersonationToken() failed, err=%1!d! (%1!Z!)."), error);
        return error;
    }
    // The entry that undoes the impersonation exists before the impersonation
    // does, so that running out of memory cannot leave the thread
    // impersonating with nothing to revert it.
    try {
        m_savedTokens.push_back(std::move(saved));
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }

    if (token != nullptr) {
        error = ImpersonateToken(token);
        if (error != 0)
            scope.ErrorMsg(OLESTR("_ImpersonateLoggedOnUser() failed, err=%1!d! (%1!Z!)."), error);
    } else {
        error = ImpersonateProcess();
        if (error != 0)
            scope.ErrorMsg(OLESTR("_ImpersonateSelf() failed, err=%1!d! (%1!Z!)."), error);
    }
    if (error != 0) {
        m_savedTokens.pop_back();  // closes the saved token; the thread is unchanged
        return error;
    }
    TraceCurrentUser(kTqlRuntimeComponent, kTqlLevelEntry, OLESTR("Impersonated: "));
    return 0;
}

DWORD CTqlTokenImpersonator::Revert(BOOL all) noexcept {
    if (m_savedTokens.empty()) return 0;
    if (all) {
        while (m_savedTokens.size() > 1) m_savedTokens.pop_back();
    }
    CTqlToken saved = std::move(m_savedTokens.back());
    m_savedTokens.pop_back();

    DWORD error;
    if (saved) {
        error = ImpersonateToken(saved.Get());
        if (error != 0)
            TqlTraceError(
                kTqlRuntimeComponent,
                OLESTR("CTqlTokenImpersonator::Revert(): _ImpersonateLoggedOnUser() failed: 0x%X"),
                error);
    } else {
        error = StopImpersonating();
        if (error != 0)
            TqlTraceError(kTqlRuntimeComponent,
                          OLESTR("CTqlTokenImpersonator::Revert(): _RevertToSelf() failed: 0x%X"),
                          error);
    }
    saved.Reset();
    TraceCurrentUser(kTqlRuntimeComponent, kTqlLevelEntry, OLESTR("Reverted to: "));
    return error;
}

void CTqlTokenImpersonator::TraceCurrentUser(TqlComponent component, int level,
                                             LPCWSTR prefix) noexcept {
    if (!TqlTraceIsOn(component, level)) return;
    WString name;
    if (!GetCurrentUserName(name)) return;
    TqlTrace(component, level, OLESTR("CTqlTokenImpersonator::TraceCurrentUser() - %s'%s'"),
             prefix != nullptr ? prefix : OLESTR(""), name.c_str());
}

}  // namespace ql
