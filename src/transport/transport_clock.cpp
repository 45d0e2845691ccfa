#include "transport/transport_clock.h"

#include <chrono>
#include <thread>

namespace ql {

namespace {

class CRealClock final : public ITransportClock {
public:
    void Sleep(DWORD milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

}  // namespace

ITransportClock& RealTransportClock() noexcept {
    static CRealClock clock;
    return clock;
}

}  // namespace ql
