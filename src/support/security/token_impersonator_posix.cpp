// The POSIX stand-in for security tokens. A token is an entry in a
// process-wide table that names a user id, a token type and, for
// impersonation tokens, a level; its handle is an opaque value that is never
// reused. What a thread impersonates is recorded in a thread-local slot; the
// thread's real credentials are never changed.
#include "support/security/token_impersonator.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

#include "support/base/win32_errors.h"
#include "support/security/account_names.h"
#include "support/shared_state/process_heap.h"

namespace ql {

namespace {

struct TokenRecord {
    uid_t uid = 0;
    DWORD type = kTqlTokenPrimary;
    DWORD level = 0;  // impersonation tokens only
};

class CTokenTable {
public:
    // Returns the new token's handle; throws std::bad_alloc.
    HANDLE Open(const TokenRecord& record) {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::uintptr_t value = m_next;
        m_tokens.emplace(value, record);
        m_next += kHandleStep;
        return reinterpret_cast<HANDLE>(value);
    }
    bool Find(HANDLE token, TokenRecord& record) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_tokens.find(reinterpret_cast<std::uintptr_t>(token));
        if (found == m_tokens.end()) return false;
        record = found->second;
        return true;
    }
    bool Close(HANDLE token) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_tokens.erase(reinterpret_cast<std::uintptr_t>(token)) != 0;
    }
    std::size_t Count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_tokens.size();
    }

private:
    // Handle values look like the system's (multiples of 4, far from null)
    // and are never reused, so a stale handle never names a newer token.
    static constexpr std::uintptr_t kHandleStep = 4;

    std::mutex m_mutex;
    std::unordered_map<std::uintptr_t, TokenRecord> m_tokens;
    std::uintptr_t m_next = 0x1000;
};

// Lives until the process ends, so that tokens closed by static destructors
// still find it.
CTokenTable& Tokens() {
    static CTokenTable* table = new CTokenTable;
    return *table;
}

// What the calling thread impersonates.
struct ThreadIdentity {
    bool impersonating = false;
    TokenRecord token;
};
thread_local ThreadIdentity t_identity;

DWORD OpenToken(const TokenRecord& record, CTqlToken& token) noexcept {
    try {
        token.Reset(Tokens().Open(record));
        return 0;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

// The user's SID in the Unix mapping: S-1-22-1-<uid>.
TqlSidParts UserSid(uid_t uid) {
    TqlSidParts parts;
    parts.authority = 22;
    parts.subAuthorityCount = 2;
    parts.subAuthorities[0] = 1;
    parts.subAuthorities[1] = static_cast<DWORD>(uid);
    return parts;
}

DWORD CopyInfo(const void* value, DWORD bytes, void** buffer) {
    void* block = TqlAlloc(bytes);
    if (block == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
    std::memcpy(block, value, bytes);
    *buffer = block;
    return 0;
}

}  // namespace

DWORD TqlCloseToken(HANDLE token) noexcept {
    int savedErrno = errno;
    DWORD error = Tokens().Close(token) ? 0 : kTqlErrorInvalidHandle;
    errno = savedErrno;
    return error;
}

std::size_t TqlPosixOpenTokenCount() noexcept { return Tokens().Count(); }

DWORD TqlDuplicateImpersonationToken(HANDLE token, CTqlToken& duplicate) noexcept {
    duplicate.Reset();
    TokenRecord record;
    if (!Tokens().Find(token, record)) return kTqlErrorInvalidHandle;
    record.type = kTqlTokenImpersonation;
    record.level = kTqlSecurityImpersonation;
    return OpenToken(record, duplicate);
}

DWORD CTqlTokenImpersonator::GetImpersonationToken(CTqlToken& token,
                                                   BOOL fallBackToProcess) noexcept {
    token.Reset();
    if (t_identity.impersonating) return OpenToken(t_identity.token, token);
    if (!fallBackToProcess) return kTqlErrorNoToken;
    TokenRecord process;
    process.uid = geteuid();
    return OpenToken(process, token);
}

DWORD CTqlTokenImpersonator::ImpersonateToken(HANDLE token) noexcept {
    TokenRecord record;
    if (!Tokens().Find(token, record)) return kTqlErrorInvalidHandle;
    // A primary token is impersonated at impersonation level, as the system
    // does when it duplicates one for a thread.
    if (record.type == kTqlTokenPrimary) {
        record.type = kTqlTokenImpersonation;
        record.level = kTqlSecurityImpersonation;
    }
    t_identity.token = record;
    t_identity.impersonating = true;
    return 0;
}

DWORD CTqlTokenImpersonator::ImpersonateProcess() noexcept {
    t_identity.token = TokenRecord{geteuid(), kTqlTokenImpersonation, kTqlSecurityImpersonation};
    t_identity.impersonating = true;
    return 0;
}

DWORD CTqlTokenImpersonator::StopImpersonating() noexcept {
    t_identity = ThreadIdentity{};
    return 0;
}

bool CTqlTokenImpersonator::GetCurrentUserName(WString& name) noexcept {
    uid_t uid = t_identity.impersonating ? t_identity.token.uid : geteuid();
    BYTE sid[TqlSidByteLength(2)];
    if (TqlWriteSid(UserSid(uid), sid, sizeof sid) != 0) return false;
    WCHAR buffer[2 * kTqlMaxNameChars];
    if (TqlLookupNameFromSid(sid, buffer, 2 * kTqlMaxNameChars, FALSE, nullptr) != 0) return false;
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
    TokenRecord record;
    if (!Tokens().Find(token, record)) return kTqlErrorInvalidHandle;
    switch (infoClass) {
        case kTqlTokenUser: {
            // The SID follows the fixed part in the same block.
            constexpr DWORD kSidBytes = TqlSidByteLength(2);
            constexpr DWORD kBytes = sizeof(TqlTokenUser) + kSidBytes;
            auto* block = static_cast<BYTE*>(TqlAlloc(kBytes));
            if (block == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
            auto* user = reinterpret_cast<TqlTokenUser*>(block);
            user->Sid = block + sizeof(TqlTokenUser);
            user->Attributes = 0;
            TqlWriteSid(UserSid(record.uid), user->Sid, kSidBytes);
            *buffer = block;
            return 0;
        }
        case kTqlTokenType:
            return CopyInfo(&record.type, sizeof record.type, buffer);
        case kTqlTokenImpersonationLevel:
            // Primary tokens have no level; the system answers the same.
            if (record.type != kTqlTokenImpersonation) return ERROR_INVALID_PARAMETER;
            return CopyInfo(&record.level, sizeof record.level, buffer);
        default:
            return ERROR_INVALID_PARAMETER;
    }
}

}  // namespace ql
