// Thread-local-storage indexes of the process, and CTqlTlsValue, one such
// index owned by one object. An index is process-wide: every copy of the
// library in the process that knows it reads the same per-thread value.
#pragma once

#include "support/base/com_types.h"

namespace ql {

// No index (the system's TLS_OUT_OF_INDEXES).
inline constexpr DWORD kTqlNoTlsIndex = 0xFFFFFFFFu;

// Allocates an index; its value is null on every thread. Returns 0 and the
// index, or the system's error (and kTqlNoTlsIndex).
DWORD TqlTlsAlloc(DWORD* index) noexcept;
// Returns 0 or the system's error.
DWORD TqlTlsFree(DWORD index) noexcept;
// The calling thread's value of an allocated index; null until set.
LPVOID TqlTlsGetValue(DWORD index) noexcept;
// Returns 0 or the system's error.
DWORD TqlTlsSetValue(DWORD index, LPVOID value) noexcept;

// One index, allocated by the constructor and freed by the destructor. When
// no index could be had, every thread reads null and setting fails.
class CTqlTlsValue {
public:
    CTqlTlsValue() noexcept;
    virtual ~CTqlTlsValue();
    CTqlTlsValue(const CTqlTlsValue&) = delete;
    CTqlTlsValue& operator=(const CTqlTlsValue&) = delete;

    bool IsValid() const noexcept { return m_dwIndex != kTqlNoTlsIndex; }
    DWORD GetIndex() const noexcept { return m_dwIndex; }
    // The calling thread's value.
    LPVOID GetValue() const noexcept;
    // Sets the calling thread's value; false without an index.
    bool SetValue(LPVOID value) noexcept;

private:
    DWORD m_dwIndex = kTqlNoTlsIndex;
};

// The per-thread code page of the conversions between wide and narrow text:
// the value is the code page number; null (0) means the system's default
// narrow code page. Created while the module loads.
CTqlTlsValue& TqlCodePageTls();

}  // namespace ql
