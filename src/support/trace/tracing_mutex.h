// The machine-wide mutex around every registration and every write to a
// debug log file, so that threads, modules and processes sharing one file
// never interleave their lines or see a rotation half done.
#pragma once

#include <cstdint>

namespace ql {

class CTqlTracingMutex {
public:
    // Creates or opens the mutex and waits for it without a time-out. When
    // it cannot be had, the holder goes on unguarded.
    CTqlTracingMutex() noexcept;
    ~CTqlTracingMutex();
    CTqlTracingMutex(const CTqlTracingMutex&) = delete;
    CTqlTracingMutex& operator=(const CTqlTracingMutex&) = delete;

    bool Held() const noexcept { return m_held; }

private:
    // The platform's mutex handle or lock-file descriptor, while open.
    std::intptr_t m_lock = 0;
    bool m_open = false;
    bool m_held = false;
};

}  // namespace ql
