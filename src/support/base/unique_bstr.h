// Owning holder for a BSTR: frees it with SysFreeString exactly once.
#pragma once

#include <utility>

#include "support/base/com_types.h"

namespace ql {

class CUniqueBstr {
public:
    CUniqueBstr() noexcept = default;
    explicit CUniqueBstr(BSTR owned) noexcept : m_bstr(owned) {}
    CUniqueBstr(const CUniqueBstr&) = delete;
    CUniqueBstr& operator=(const CUniqueBstr&) = delete;
    CUniqueBstr(CUniqueBstr&& other) noexcept : m_bstr(std::exchange(other.m_bstr, nullptr)) {}
    CUniqueBstr& operator=(CUniqueBstr&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.m_bstr, nullptr));
        return *this;
    }
    ~CUniqueBstr() { SysFreeString(m_bstr); }

    BSTR Get() const noexcept { return m_bstr; }
    // Address for an out-argument; the previous string must already be gone.
    BSTR* Address() noexcept { return &m_bstr; }
    BSTR Release() noexcept { return std::exchange(m_bstr, nullptr); }
    void Reset(BSTR owned = nullptr) noexcept { SysFreeString(std::exchange(m_bstr, owned)); }
    bool IsNull() const noexcept { return m_bstr == nullptr; }
    bool IsEmpty() const noexcept { return SysStringLen(m_bstr) == 0; }

private:
    BSTR m_bstr = nullptr;
};

}  // namespace ql
