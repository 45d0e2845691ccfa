// The clock the resend loop waits on. Production waits the real time; tests
// give the transport a clock that only records the waits.
#pragma once

#include "support/base/com_types.h"

namespace ql {

class ITransportClock {
public:
    virtual void Sleep(DWORD milliseconds) = 0;

protected:
    ~ITransportClock() = default;
};

// Blocks the calling thread for the time asked.
ITransportClock& RealTransportClock() noexcept;

}  // namespace ql
