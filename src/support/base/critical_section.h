// RAII over a CRITICAL_SECTION and a scoped guard that leaves it on every
// path.
#pragma once

#include "support/base/com_types.h"

namespace ql {

class CCriticalSection {
public:
    CCriticalSection() noexcept { InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() noexcept { EnterCriticalSection(&m_cs); }
    bool TryEnter() noexcept { return TryEnterCriticalSection(&m_cs) != FALSE; }
    void Leave() noexcept { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

class CCriticalSectionLock {
public:
    explicit CCriticalSectionLock(CCriticalSection& cs) noexcept : m_cs(cs) { m_cs.Enter(); }
    ~CCriticalSectionLock() { m_cs.Leave(); }
    CCriticalSectionLock(const CCriticalSectionLock&) = delete;
    CCriticalSectionLock& operator=(const CCriticalSectionLock&) = delete;

private:
    CCriticalSection& m_cs;
};

}  // namespace ql
