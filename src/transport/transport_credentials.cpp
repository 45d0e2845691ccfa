// Credentials of the transport: what the caller and the proxy log on with,
// the choice of a scheme after a challenge, and applying them to a request.
// Passwords never reach a trace line.
#include <cwctype>
#include <new>

#include "support/base/hresults.h"
#include "support/platform/platform.h"
#include "support/platform/system_wrappers.h"
#include "support/platform/text_conversion.h"
#include "support/security/account_names.h"
#include "support/shared_state/process_heap.h"
#include "transport/abs_http_bin_transport.h"

namespace ql {

namespace {

// COAUTHIDENTITY's character sets.
constexpr ULONG kIdentityAnsi = 1;
constexpr ULONG kIdentityUnicode = 2;
// Longest account name the lookup of the token's user gives.
constexpr DWORD kMaxAccountName = 260;

HRESULT FromWin32Result(DWORD error) { return hr::FromWin32(error); }

WString FromAnsi(const USHORT* text) {
    if (text == nullptr) return WString();
    const auto* narrow = reinterpret_cast<const char*>(text);
    int chars = TqlNarrowToWide(kTqlCodePageAnsi, 0, narrow, -1, nullptr, 0);
    if (chars <= 1) return WString();
    WString wide(static_cast<std::size_t>(chars), 0);
    TqlNarrowToWide(kTqlCodePageAnsi, 0, narrow, -1, wide.data(), chars);
    wide.resize(static_cast<std::size_t>(chars - 1));
    return wide;
}

WString FromUnicode(const USHORT* text) {
    if (text == nullptr) return WString();
    return WString(reinterpret_cast<LPCWSTR>(text));
}

bool EqualNoCase(const WString& a, const WString& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    return true;
}

bool SameText(BSTR a, BSTR b) {
    UINT length = SysStringLen(a);
    return length == SysStringLen(b) && std::char_traits<WCHAR>::compare(a, b, length) == 0;
}

CUniqueBstr Copy(BSTR text) {
    CUniqueBstr copy(text == nullptr ? nullptr : SysAllocStringLen(text, SysStringLen(text)));
    if (text != nullptr && copy.IsNull()) throw std::bad_alloc();
    return copy;
}

CUniqueBstr Allocate(const WString& text) {
    CUniqueBstr copy(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (copy.IsNull()) throw std::bad_alloc();
    return copy;
}

// Frees a block of the support library's heap.
struct CHeapBlock {
    void* block = nullptr;
    ~CHeapBlock() {
        if (block != nullptr) TqlFree(block);
    }
};

}  // namespace

HRESULT CAbsHttpBinTransport::SetAuthInfo(COSERVERINFO* serverInfo, BYTE saveAsDefault) {
    WString domain;
    WString user;
    WString password;
    const COAUTHIDENTITY* identity = nullptr;
    if (serverInfo != nullptr && serverInfo->pAuthInfo != nullptr)
        identity = serverInfo->pAuthInfo->pAuthIdentityData;
    if (identity != nullptr) {
        if (identity->Flags == kIdentityAnsi) {
            domain = FromAnsi(identity->Domain);
            user = FromAnsi(identity->User);
            password = FromAnsi(identity->Password);
        } else if (identity->Flags == kIdentityUnicode) {
            domain = FromUnicode(identity->Domain);
            user = FromUnicode(identity->User);
            password = FromUnicode(identity->Password);
        }
    }
    WString fullUser;
    if (!user.empty()) {
        if (domain.empty()) {
            auto backslash = user.find('\\');
            if (backslash != WString::npos) {
                domain = user.substr(0, backslash);
                user.erase(0, backslash + 1);
            } else if (serverInfo != nullptr && serverInfo->pwszName != nullptr &&
                       serverInfo->pwszName[0] != 0) {
                domain = serverInfo->pwszName;
            } else {
                domain = m_strServer;
            }
        }
        // An account of the server itself is a local account there.
        if (EqualNoCase(domain, m_strServer)) domain = OLESTR(".");
        fullUser = domain + OLESTR("\\") + user;
    }
    CUniqueBstr userText = Allocate(fullUser);
    CUniqueBstr passwordText = Allocate(password);
    if (!ChangeCredentials(userText.Get(), passwordText.Get(), saveAsDefault)) return S_OK;
    return ApplyAuthInfo(saveAsDefault != 0 ? 0 : 2);
}

BOOL CAbsHttpBinTransport::ChangeCredentials(BSTR user, BSTR password, BOOL saveAsDefault) {
    TqlTraceWarning(m_trace,
                    OLESTR("CAbsHttpBinTransport::ChangeCredentials() - User name = '%s'."),
                    user != nullptr ? user : OLESTR("<null>"));
    BOOL changed = TRUE;
    if (SysStringLen(user) != 0 && SysStringLen(password) != 0 &&
        SameText(user, m_bstrUser.Get()) && SameText(password, m_bstrPassword.Get())) {
        changed = FALSE;
    } else {
        CUniqueBstr newUser = Copy(user);
        CUniqueBstr newPassword = Copy(password);
        m_bstrUser = std::move(newUser);
        m_bstrPassword = std::move(newPassword);
    }
    if (saveAsDefault) {
        CUniqueBstr defaultUser = Copy(user);
        CUniqueBstr defaultPassword = Copy(password);
        m_bstrDefaultUser = std::move(defaultUser);
        m_bstrDefaultPassword = std::move(defaultPassword);
    }
    return changed;
}

HRESULT CAbsHttpBinTransport::RestoreDefaultCredentials() {
    // The defaults are copied first: ChangeCredentials replaces the current
    // strings, which may be the very ones passed.
    CUniqueBstr user = Copy(m_bstrDefaultUser.Get());
    CUniqueBstr password = Copy(m_bstrDefaultPassword.Get());
    if (!ChangeCredentials(user.Get(), password.Get(), FALSE)) return S_OK;
    return ApplyAuthInfo(1);
}

HRESULT CAbsHttpBinTransport::SetProxyCredentials(LPCWSTR user, LPCWSTR password) {
    bool both = user != nullptr && password != nullptr;
    CUniqueBstr newUser(SysAllocString(both ? user : OLESTR("")));
    CUniqueBstr newPassword(SysAllocString(both ? password : OLESTR("")));
    if (newUser.IsNull() || newPassword.IsNull()) return hr::kOutOfMemory;
    m_bstrProxyUser = std::move(newUser);
    m_bstrProxyPassword = std::move(newPassword);
    return S_OK;
}

HRESULT CAbsHttpBinTransport::ApplyAuthInfo(int mode) {
    m_bAuthInfoPending = TRUE;
    m_dwAuthState = 1;
    m_hImpersonationToken.Reset();

    // Systems of the 9x family have no tokens; POSIX has the token layer's
    // stand-ins, and logs on automatically like the NT family.
    if (TqlIsWin9x() ||
        (SysStringLen(m_bstrUser.Get()) != 0 && SysStringLen(m_bstrPassword.Get()) != 0)) {
        // Explicit credentials: the server sees the name they carry.
        m_bstrCallerName = Copy(m_bstrUser.Get());
        return S_OK;
    }

    HRESULT result = S_OK;
    if (mode == 1) {
        m_hImpersonationToken = std::move(m_hSavedToken);
    } else {
        DWORD error = CTqlTokenImpersonator::GetImpersonationToken(m_hImpersonationToken, TRUE);
        if (error > 1) {
            TqlTraceErrorMsg(m_trace,
                             OLESTR("CAbsHttpBinTransport::ApplyAuthInfo() - "
                                    "CTqlTokenImpersonator::GetImpersonationToken() failed, "
                                    "err=%1!d! (%1!Z!)."),
                             error);
            result = FromWin32Result(error);
        }
    }
    if (mode == 0) {
        // The saved duplicate is closed before it is replaced.
        m_hSavedToken.Reset();
        DWORD error = TqlDuplicateImpersonationToken(m_hImpersonationToken.Get(), m_hSavedToken);
        if (error != 0) {
            TqlTraceErrorMsg(m_trace,
                             OLESTR("CAbsHttpBinTransport::ApplyAuthInfo() - _DuplicateTokenEx() "
                                    "failed, err=%1!d! (%1!Z!)."),
                             error);
            result = FromWin32Result(error);
        }
    }

    CHeapBlock info;
    DWORD error = TqlGetTokenInfo(m_hImpersonationToken.Get(), kTqlTokenUser, &info.block);
    if (error > 1) {
        TqlTraceErrorMsg(m_trace,
                         OLESTR("CAbsHttpBinTransport::ApplyAuthInfo() - TqlGetTokenInfo() failed, "
                                "err=%1!d! (%1!Z!)."),
                         error);
        return FromWin32Result(error);
    }
    WCHAR name[kMaxAccountName] = {};
    error = TqlLookupNameFromSid(static_cast<const TqlTokenUser*>(info.block)->Sid, name,
                                 kMaxAccountName, FALSE, nullptr);
    if (error != 0) {
        TqlTraceErrorMsg(m_trace,
                         OLESTR("CAbsHttpBinTransport::ApplyAuthInfo() - TqlLookupNameFromSid() "
                                "failed, err=%1!d! (%1!Z!)."),
                         error);
        return FromWin32Result(error);
    }
    TqlTraceWarning(m_trace, OLESTR("CAbsHttpBinTransport::ApplyAuthInfo() - Autologon user='%s'."),
                    name);
    CUniqueBstr caller(SysAllocString(name));
    if (caller.IsNull()) return hr::kOutOfMemory;
    m_bstrCallerName = std::move(caller);
    return result;
}

BOOL CAbsHttpBinTransport::IsProxyUsed() const {
    return !m_strServer.empty() && m_strServer.find('.') != WString::npos && !m_strProxy.empty();
}

DWORD CAbsHttpBinTransport::PickAuthScheme(DWORD mask) noexcept {
    if (mask & kAuthSchemeNtlm) return kAuthSchemeNtlm;
    if (mask & kAuthSchemeNegotiate) return kAuthSchemeNegotiate;
    if (mask & kAuthSchemeBasic) return kAuthSchemeBasic;
    return 0;
}

BOOL CAbsHttpBinTransport::SelectAuthScheme(HttpHandle request, DWORD status) {
    DWORD supported = 0;
    DWORD first = 0;
    DWORD target = 0;
    if (!QueryAuthSchemes(request, supported, first, target)) {
        TqlTraceError(m_trace,
                      OLESTR("CAbsHttpBinTransport::SelectAuthScheme() - QueryAuthSchemes() "
                             "failed."));
        return FALSE;
    }
    // A server behind a proxy only gets Basic: the proxy's connection may be
    // shared, and the connection-bound schemes would authenticate it, not us.
    DWORD mask = kAuthSchemesUsed;
    if (IsProxyUsed() && (status & 0xFFFF) == kHttpStatusUnauthorized) mask = kAuthSchemeBasic;
    supported &= mask;
    first &= mask;
    if (first == 0) first = supported;
    DWORD scheme = PickAuthScheme(first);
    if (scheme == 0) scheme = PickAuthScheme(supported);
    if (scheme == 0) return FALSE;
    if ((status & 0xFFFF) == kHttpStatusUnauthorized) {
        TqlTraceWarning(
            m_trace, OLESTR("CAbsHttpBinTransport::SelectAuthScheme() - Selected auth scheme=%d."),
            scheme);
        m_dwAuthScheme = scheme;
    } else if ((status & 0xFFFF) == kHttpStatusProxyAuthRequired) {
        TqlTraceWarning(
            m_trace,
            OLESTR("CAbsHttpBinTransport::SelectAuthScheme() - Selected proxy auth scheme=%d."),
            scheme);
        m_dwProxyAuthScheme = scheme;
    }
    return TRUE;
}

HRESULT CAbsHttpBinTransport::SetupRequestCredentials(CTqlTokenImpersonator& impersonator,
                                                      ICredentialSetter& setter, LPCWSTR scopeName,
                                                      bool serverSchemeRequired) {
    CTqlTraceScope scope(scopeName, m_trace, kTqlLevelEntry);
    HRESULT result = S_OK;
    if (IsProxyUsed() && m_dwProxyAuthScheme != 0) {
        result = setter.SetProxyCredentials(scope);
        if (FAILED(result)) return result;
    }
    if (serverSchemeRequired && m_dwAuthScheme == 0) return result;
    // NTLM authenticates the connection: once it is, the credentials need
    // not go again on a kept direct connection.
    if (!m_bAuthInfoPending && m_dwAuthScheme == kAuthSchemeNtlm && !IsProxyUsed()) return result;
    if (m_hImpersonationToken.IsValid()) {
        DWORD error = impersonator.Impersonate(m_hImpersonationToken.Get());
        if (error == 0) {
            result = setter.SetLogonCredentials(scope);
        } else {
            result = FromWin32Result(error);
            scope.ErrorMsg(OLESTR("httpCallImpersonator.Impersonate() failed, err=%1!d! (%1!Z!)."),
                           error);
        }
    } else {
        result = setter.SetExplicitCredentials(scope);
    }
    m_dwAuthState = 2;
    m_bAuthInfoPending = FAILED(result) ? TRUE : FALSE;
    return result;
}

}  // namespace ql
