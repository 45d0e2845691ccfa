#include "support/platform/tls_value.h"

namespace ql {

CTqlTlsValue::CTqlTlsValue() noexcept {
    if (TqlTlsAlloc(&m_dwIndex) != 0) m_dwIndex = kTqlNoTlsIndex;
}

CTqlTlsValue::~CTqlTlsValue() {
    if (IsValid()) TqlTlsFree(m_dwIndex);
}

LPVOID CTqlTlsValue::GetValue() const noexcept {
    return IsValid() ? TqlTlsGetValue(m_dwIndex) : nullptr;
}

bool CTqlTlsValue::SetValue(LPVOID value) noexcept {
    return IsValid() && TqlTlsSetValue(m_dwIndex, value) == 0;
}

CTqlTlsValue& TqlCodePageTls() {
    static CTqlTlsValue codePage;
    return codePage;
}

namespace {

// Made while the module loads, before any thread converts text.
[[maybe_unused]] const CTqlTlsValue& g_codePageAtLoad = TqlCodePageTls();

}  // namespace

}  // namespace ql
