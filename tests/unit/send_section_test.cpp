// The process-wide send section: transports on several threads send one at
// a time, and a waiter that cannot enter gives up instead of hanging.
#include "transport/send_section.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "repository/soap_repository.h"
#include "scripted_back_end.h"

namespace ql::test {
namespace {

std::atomic<int> g_inside{0};
std::atomic<int> g_overlaps{0};  // sends that began while another was under way

class CSectionBackEnd final : public CScriptedBackEnd {
public:
    BOOL LockSend() override { return EnterSendSection() ? TRUE : FALSE; }
    void UnlockSend() override { LeaveSendSection(); }
    BOOL SendHttpRequest(HttpHandle request, LPCWSTR headers, DWORD headersLength, const void* body,
                         DWORD bodyLength) override {
        if (++g_inside > 1) ++g_overlaps;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        --g_inside;
        return CScriptedBackEnd::SendHttpRequest(request, headers, headersLength, body, bodyLength);
    }
};

TEST(SendSectionTest, TransportsOnManyThreadsSendOneAtATime) {
    constexpr int kThreads = 4;
    constexpr int kCalls = 20;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            CSectionBackEnd transport;
            transport.SetUrl(OLESTR("vault"), OLESTR("http://vault/x"), OLESTR(""));
            const GUID null{};
            for (int call = 0; call < kCalls; ++call) {
                // Every other call resends once, so that the section spans
                // a whole run of the loop, not one send.
                if (call % 2 == 1) transport.Expect(StatusReply(503));
                transport.Expect(Reply(Wire(255).Put(StreamHeader()).Long(S_OK).bytes));
                transport.BeginCall(&null, &IID_IHttpPersist, OLESTR("Ping"));
                EXPECT_EQ(S_OK, transport.SendRequest());
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(0, g_overlaps.load());
}

TEST(SendSectionTest, AWaiterGivesUpAfterItsTime) {
    ASSERT_TRUE(EnterSendSection(0));
    bool entered = true;
    std::thread waiter([&] { entered = EnterSendSection(50); });
    waiter.join();
    EXPECT_FALSE(entered);
    LeaveSendSection();
    ASSERT_TRUE(EnterSendSection(0));
    LeaveSendSection();
}

}  // namespace
}  // namespace ql::test
