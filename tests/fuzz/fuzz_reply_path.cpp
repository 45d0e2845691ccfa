// Feeds random replies to the generated proxies. The first two input bytes
// pick a carried method, the third the reply's tag threshold; the rest is the
// reply after its stream header (the method's result, then what it
// receives). The method is called with caller variables of its own, which
// are released afterwards as a caller would: every failure must stay inside
// the call, and nothing may leak (LeakSanitizer) or be touched out of bounds
// (AddressSanitizer).
#include <cstddef>
#include <cstdint>
#include <memory>

#include "bytes.h"
#include "repository/soap_repository.h"
#include "scripted_transport.h"

namespace ql::fuzz {
extern const int kReplyCallCount;
void CallWithReply(int index, CSoapRepository* repository);
}  // namespace ql::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ql;
    if (size < 3) return 0;
    static test::CScriptedTransport* transport = nullptr;
    static CSoapRepository* const repository = [] {
        auto owned = std::make_unique<test::CScriptedTransport>();
        transport = owned.get();
        return CSoapRepository::Create(std::move(owned), OLESTR("Fuzz"),
                                       [] { return std::unique_ptr<IClientConfigReader>(); });
    }();
    int index = (data[0] | data[1] << 8) % fuzz::kReplyCallCount;
    LONG threshold = data[2] < 128 ? 255 : data[2] - 128;
    test::Bytes reply = test::StreamHeader();
    reply[8] = static_cast<BYTE>(threshold);
    reply.insert(reply.end(), data + 3, data + size);
    transport->Forget();
    transport->ExpectAnyCall(std::move(reply));
    fuzz::CallWithReply(index, repository);
    return 0;
}
