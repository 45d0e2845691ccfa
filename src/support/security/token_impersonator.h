// Scoped impersonation on the calling thread, and the security tokens it
// works with.
//
// POSIX has no security tokens. There a token stands for a user id (the
// process token for the effective user), and impersonation is recorded per
// thread: GetImpersonationToken, TqlGetTokenInfo and TraceCurrentUser report
// the identity a thread impersonates, while the thread's real credentials
// (uid, gid) are never changed. The stack discipline, the results and the
// traces are those of Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "support/base/com_types.h"
#include "support/base/unique_handle.h"
#include "support/base/wide_string.h"
#include "support/base/win32_errors.h"
#include "support/trace/trace.h"

namespace ql {

// The system error code for a thread that is not impersonating (Windows'
// value). A handle that names no token gives 6, the invalid-handle code.

// Access asked for a token: duplicate (2), impersonate (4) and query (8).
inline constexpr DWORD kTqlTokenAccess = 14;

// The handle value with all bits set, which never names a token.
inline HANDLE TqlInvalidHandleValue() noexcept {
    return reinterpret_cast<HANDLE>(~std::uintptr_t{0});
}

// Closes a token this layer handed out. Returns 0, or the system's error
// (6 for a handle that is not open). Keeps the thread's last error.
DWORD TqlCloseToken(HANDLE token) noexcept;

struct TqlTokenTraits {
    using Handle = HANDLE;
    static constexpr Handle kEmpty = nullptr;
    static bool Owns(Handle token) noexcept {
        return token != nullptr && token != TqlInvalidHandleValue();
    }
    static void Close(Handle token) noexcept { TqlCloseToken(token); }
};
using CTqlToken = CTqlUniqueHandle<TqlTokenTraits>;

// Duplicates token as an impersonation token (level impersonation) with
// the access kTqlTokenAccess into duplicate, which is emptied first.
// Returns 0 or a system error code (6 for a handle that names no token).
DWORD TqlDuplicateImpersonationToken(HANDLE token, CTqlToken& duplicate) noexcept;

// POSIX only (defined by the POSIX token layer): the number of token handles
// open in the process, so that tests can prove each one is closed exactly
// once.
std::size_t TqlPosixOpenTokenCount() noexcept;

// Stacks impersonations on the calling thread and undoes them in reverse
// order. Each Impersonate saves the token the thread had before (none when
// it was not impersonating); Revert restores one or all of them; destruction
// restores the state before the first Impersonate. The saved tokens are owned
// here and each is closed exactly once. An impersonator must be used and
// destroyed on the thread that created it; it takes no locks.
class CTqlTokenImpersonator {
public:
    // Traces the current user with the prefix "Current: ". Throws
    // std::bad_alloc when the empty stack cannot be had.
    CTqlTokenImpersonator();
    // Revert(TRUE); a failure is traced.
    ~CTqlTokenImpersonator();
    CTqlTokenImpersonator(const CTqlTokenImpersonator&) = delete;
    CTqlTokenImpersonator& operator=(const CTqlTokenImpersonator&) = delete;

    // Makes the calling thread impersonate token, which stays the caller's;
    // a null token impersonates the process's own security context at
    // impersonation level (2). Returns 0 or a system error code, 87 for the
    // invalid-handle value; on failure the thread and the stack are as they
    // were.
    DWORD Impersonate(HANDLE token) noexcept;
    // Undoes the most recent Impersonate, or with all every one of them.
    // Returns 0, or the error of restoring the earlier state; the entry is
    // removed and closed either way (the thread may then keep the
    // impersonation it had). With nothing to undo, does nothing and returns 0.
    DWORD Revert(BOOL all) noexcept;
    // The number of Impersonate calls not yet undone.
    std::size_t Depth() const noexcept { return m_savedTokens.size(); }

    // Opens the calling thread's token for duplication, impersonation and
    // query (kTqlTokenAccess), the access being checked against the
    // process's own security context. When the thread is not impersonating
    // (1008), fallBackToProcess opens the process's token instead. token is
    // emptied first. Returns 0 or a system error code.
    static DWORD GetImpersonationToken(CTqlToken& token, BOOL fallBackToProcess) noexcept;
    // When the component traces at level, traces
    // "CTqlTokenImpersonator::TraceCurrentUser() - <prefix>'<domain\user>'"
    // with the calling thread's user; nothing when the name cannot be had.
    static void TraceCurrentUser(TqlComponent component, int level, LPCWSTR prefix) noexcept;

private:
    // The platform's operations; each returns 0 or a system error code.
    static DWORD ImpersonateToken(HANDLE token) noexcept;  // _ImpersonateLoggedOnUser
    static DWORD ImpersonateProcess() noexcept;            // _ImpersonateSelf, level 2
    static DWORD StopImpersonating() noexcept;             // _RevertToSelf
    // domain\user of the calling thread; false when it cannot be had.
    static bool GetCurrentUserName(WString& name) noexcept;

    std::deque<CTqlToken> m_savedTokens;
};

}  // namespace ql
