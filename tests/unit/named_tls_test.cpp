// Named thread-local storage: indexes shared by every user of a name in the
// process, values per thread; and the plain per-module CTqlTlsValue.
#include "support/shared_state/named_tls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "support/base/wide_string.h"
#include "support/platform/tls_value.h"
#include "support/trace/trace_sink.h"
#include "trace_recorder.h"

namespace ql {
namespace {

LPVOID P(std::uintptr_t value) { return reinterpret_cast<LPVOID>(value); }

std::string Hex(const void* address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(TqlTraceAddress(address)));
    return text;
}

// The count in the block behind a named TLS; 0 when there is no usable block.
DWORD BlockCount(LPCWSTR name) {
    CTqlSharedMemory memory;
    WString shmem =
        CTqlSharedMemory::ProcessObjectName(OLESTR("TqlNamedTls_%s_ShMem_ProcId_0x%X"), name);
    WString mutex =
        CTqlSharedMemory::ProcessObjectName(OLESTR("TqlNamedTls_%s_Mutex_ProcId_0x%X"), name);
    if (memory.Create(shmem.c_str(), 4, mutex.c_str()) != 0) return 0;
    CTqlSharedMemory::CShield shield(memory);
    return *static_cast<const DWORD*>(memory.GetData());
}

// The calling thread's value of a location; P(1) when it cannot be had.
LPVOID ValueOf(CTqlNamedTls& tls, DWORD location) {
    LPVOID value = P(1);
    return tls.GetValue(location, &value) ? value : P(1);
}

TEST(NamedTls, UsersOfANameShareItsIndexesWithValuesPerThread) {
    test::TraceRecorder traces;
    CTqlNamedTls first(OLESTR("QlTestTls-Shared"), 2, FALSE);
    CTqlNamedTls second(OLESTR("QlTestTls-Shared"), 2, FALSE);
    ASSERT_TRUE(first.IsInitialized());
    ASSERT_TRUE(second.IsInitialized());
    EXPECT_TRUE(traces.Contains("CTqlNamedTls::CTqlNamedTls() : this=" + Hex(&second) +
                                ", Shared memory already initialized."));
    EXPECT_EQ(BlockCount(OLESTR("QlTestTls-Shared")), 2u);

    EXPECT_EQ(ValueOf(second, 0), nullptr) << "a new slot starts null";
    LPVOID old = P(1);
    ASSERT_TRUE(first.SetValue(1, P(0x1234), &old));
    EXPECT_EQ(old, nullptr);
    EXPECT_EQ(ValueOf(second, 1), P(0x1234));
    ASSERT_TRUE(second.SetValue(1, P(0x5678), &old));
    EXPECT_EQ(old, P(0x1234));
    EXPECT_EQ(ValueOf(first, 1), P(0x5678));

    // Another thread has values of its own.
    auto other = std::async(std::launch::async, [] {
        CTqlNamedTls mine(OLESTR("QlTestTls-Shared"), 2, FALSE);
        LPVOID before = ValueOf(mine, 1);
        return before == nullptr && mine.SetValue(1, P(22), nullptr) && ValueOf(mine, 1) == P(22);
    });
    EXPECT_TRUE(other.get());
    EXPECT_EQ(ValueOf(first, 1), P(0x5678));
    EXPECT_TRUE(first.SetValue(1, nullptr, nullptr)) << "the old value may go unasked";

    // Locations from the count on are refused, the out values left alone.
    LPVOID value = P(0xAAAA);
    EXPECT_FALSE(first.GetValue(2, &value));
    EXPECT_FALSE(first.GetValue(0xFFFFFFFFu, &value));
    EXPECT_FALSE(first.SetValue(2, P(1), &value));
    EXPECT_EQ(value, P(0xAAAA));
    EXPECT_FALSE(first.GetValue(0, nullptr));
    // A user that asks for more locations than the block was set up with
    // gets only those.
    CTqlNamedTls wider(OLESTR("QlTestTls-Shared"), 5, FALSE);
    ASSERT_TRUE(wider.IsInitialized());
    EXPECT_TRUE(wider.GetValue(1, &value));
    EXPECT_FALSE(wider.GetValue(2, &value));
}

// The instances this module makes while it loads are shared by name with
// every other user, with as many locations as they were made with.
TEST(NamedTls, ModuleInstancesAreSharedWithEveryUserOfTheirNames) {
    EXPECT_EQ(&TqlTraceTls(), &TqlTraceTls());
    const struct {
        CTqlNamedTls& tls;
        LPCWSTR name;
        DWORD locations;
    } rows[] = {{TqlTraceTls(), OLESTR("TqlTraceTls"), 1},
                {TqlCreateVaultObjectTls(), OLESTR("CreateVaultObject"), 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.name));
        ASSERT_TRUE(row.tls.IsInitialized());
        EXPECT_EQ(BlockCount(row.name), row.locations);
        CTqlNamedTls otherModule(row.name, 1, FALSE);
        DWORD last = row.locations - 1;
        LPVOID saved = nullptr;
        ASSERT_TRUE(row.tls.SetValue(last, P(3), &saved));
        EXPECT_EQ(ValueOf(otherModule, last), P(3));
        ASSERT_TRUE(otherModule.SetValue(last, P(4), nullptr));
        EXPECT_EQ(ValueOf(row.tls, last), P(4));
        EXPECT_EQ(ValueOf(row.tls, row.locations), P(1)) << "no location beyond the count";
        row.tls.SetValue(last, saved, nullptr);
    }
}

TEST(NamedTls, FreeOnDestructionEndsTheIndexesForEveryUser) {
    CTqlNamedTls keeper(OLESTR("QlTestTls-Free"), 1, FALSE);
    ASSERT_TRUE(keeper.IsInitialized());
    { CTqlNamedTls freer(OLESTR("QlTestTls-Free"), 1, TRUE); }
    EXPECT_EQ(BlockCount(OLESTR("QlTestTls-Free")), 0u);
    LPVOID value = P(5);
    EXPECT_FALSE(keeper.GetValue(0, &value));
    EXPECT_EQ(value, P(5));

    // The next user sets the block up again, and the keeper follows it.
    CTqlNamedTls again(OLESTR("QlTestTls-Free"), 1, FALSE);
    ASSERT_TRUE(again.IsInitialized());
    ASSERT_TRUE(again.SetValue(0, P(9), nullptr));
    EXPECT_EQ(ValueOf(keeper, 0), P(9));
    again.SetValue(0, nullptr, nullptr);
}

// Set-ups that fail: the object stays uninitialised, refuses every value
// and leaves the block empty, and the trace says why.
TEST(NamedTls, FailedSetUpsLeaveItUninitialised) {
    const WString squattedMutex = CTqlSharedMemory::ProcessObjectName(
        OLESTR("TqlNamedTls_%s_Mutex_ProcId_0x%X"), OLESTR("QlTestTls-Fail"));
    const struct {
        LPCWSTR name;
        DWORD locations;
        std::string fragment;  // after "this=0x..."
        std::string result;
    } rows[] = {
        // Far more indexes than an emptied one-location block can hold.
        {OLESTR("QlTestTls-Small"), 20000, "", ""},
        // More indexes than the system offers a process.
        {OLESTR("QlTestTls-Greedy"), 5000, ", _TlsAlloc() fails with err=", ""},
        // A block already holding the mutex's name.
        {OLESTR("QlTestTls-Fail"), 1,
         ", CTqlSharedMemory::Create( shmem=" +
             ToUtf8(CTqlSharedMemory::ProcessObjectName(OLESTR("TqlNamedTls_%s_ShMem_ProcId_0x%X"),
                                                        OLESTR("QlTestTls-Fail"))) +
             ", size=8, mutex=" + ToUtf8(squattedMutex),
         " ) fails with err=6"},
        // Refused before any block is asked for.
        {OLESTR("QlTestTls-Absurd"), 0x40000000u,
         ", CTqlSharedMemory::Create( shmem=", ") fails with err=87"},
    };
    CTqlNamedTls keeper(OLESTR("QlTestTls-Small"), 1, FALSE);
    { CTqlNamedTls freer(OLESTR("QlTestTls-Small"), 1, TRUE); }
    CTqlSharedMemory squatter;
    ASSERT_EQ(squatter.Create(squattedMutex.c_str(), 4, nullptr), 0u);
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.name));
        test::TraceRecorder traces;
        CTqlNamedTls tls(row.name, row.locations, FALSE);
        EXPECT_FALSE(tls.IsInitialized());
        if (!row.fragment.empty()) {
            EXPECT_TRUE(
                traces.Contains("CTqlNamedTls::CTqlNamedTls() : this=" + Hex(&tls) + row.fragment));
        }
        EXPECT_TRUE(traces.Contains(row.result)) << row.result;
        EXPECT_EQ(BlockCount(row.name), 0u);
        LPVOID value = P(1);
        EXPECT_FALSE(tls.GetValue(0, &value));
        EXPECT_FALSE(tls.SetValue(0, P(2), &value));
        EXPECT_EQ(value, P(1));
    }
    // The failed allocation gave its indexes back: they are still to be had.
    for (int i = 0; i < 3; ++i) {
        CTqlNamedTls again(OLESTR("QlTestTls-Greedy"), 500, TRUE);
        EXPECT_TRUE(again.IsInitialized());
    }
}

TEST(NamedTls, TracesEveryStepWithItsValues) {
    test::TraceRecorder traces;
    std::string self;
    {
        CTqlNamedTls tls(OLESTR("QlTestTls-Traced"), 3, TRUE);
        self = Hex(&tls);
        tls.SetValue(1, P(0xBEEF), nullptr);
        ValueOf(tls, 1);
        tls.SetValue(1, nullptr, nullptr);
    }
    const std::string expected[] = {
        "CTqlNamedTls::CTqlNamedTls() begin : this=" + self +
            ", name='QlTestTls-Traced', locs=3, free=1",
        "CTqlNamedTls::CTqlNamedTls() : this=" + self + ", Shared memory initialized OK.",
        "CTqlNamedTls::CTqlNamedTls()  end  : this=" + self + ", initOK=1",
        "CTqlNamedTls::SetValue() begin : this=" + self + ", loc=1, newVal=0xBEEF, initOK=1",
        "CTqlNamedTls::SetValue()  end  : this=" + self + ", result=1, rpOldValue=0x0",
        "CTqlNamedTls::GetValue() begin : this=" + self + ", loc=1, initOK=1",
        "CTqlNamedTls::GetValue()  end  : this=" + self + ", result=1, rpValue=0xBEEF",
        "CTqlNamedTls::SetValue()  end  : this=" + self + ", result=1, rpOldValue=0xBEEF",
        "CTqlNamedTls::~CTqlNamedTls() begin : this=" + self + ", initOK=1, free=1",
        "CTqlNamedTls::~CTqlNamedTls() : this=" + self + ", freeing 3 TLS indexes",
        "CTqlNamedTls::~CTqlNamedTls()  end  : this=" + self,
    };
    std::size_t next = 0;
    for (const auto& message : traces.Messages()) {
        if (next < std::size(expected) && message.text == expected[next]) {
            EXPECT_EQ(message.component + std::to_string(message.level), "RT5");
            ++next;
        }
    }
    EXPECT_EQ(next, std::size(expected))
        << "missing: " << expected[std::min(next, std::size(expected) - 1)];
}

// A sink that, like the tracer, reads the nesting depth for every line.
class CDepthReadingSink final : public ITraceSink {
public:
    void OnTraceMessage(LPCWSTR, int, LPCWSTR) override {
        ++m_lines;
        LPVOID depth = nullptr;
        TqlTraceTls().GetValue(0, &depth);
    }
    int Lines() const { return m_lines; }

private:
    int m_lines = 0;
};

TEST(NamedTls, TracingThatReadsTheDepthDoesNotRecurse) {
    test::TraceRecorder levels;  // every component at level 5
    CDepthReadingSink sink;
    ITraceSink* previous = TqlSetTraceSink(&sink);
    LPVOID depth = nullptr;
    bool read = TqlTraceTls().GetValue(0, &depth);
    TqlSetTraceSink(previous);
    EXPECT_TRUE(read);
    // The begin and end lines of the outer call only.
    EXPECT_EQ(sink.Lines(), 2);
}

TEST(TlsValue, OwnsOneIndexWithPerThreadValues) {
    auto first = std::make_unique<CTqlTlsValue>();
    CTqlTlsValue second;
    ASSERT_TRUE(first->IsValid());
    ASSERT_TRUE(second.IsValid());
    EXPECT_NE(first->GetIndex(), second.GetIndex());
    EXPECT_EQ(first->GetValue(), nullptr);
    EXPECT_TRUE(first->SetValue(P(65001)));
    EXPECT_EQ(first->GetValue(), P(65001));
    EXPECT_EQ(second.GetValue(), nullptr);
    EXPECT_EQ(TqlTlsGetValue(first->GetIndex()), P(65001)) << "a process-wide index";
    bool otherThreadSeesNull =
        std::async(std::launch::async, [&first] { return first->GetValue() == nullptr; }).get();
    EXPECT_TRUE(otherThreadSeesNull);

    // The destructor gives the index back.
    DWORD index = first->GetIndex();
    first.reset();
    DWORD reused = kTqlNoTlsIndex;
    ASSERT_EQ(TqlTlsAlloc(&reused), 0u);
    EXPECT_EQ(reused, index);
    EXPECT_EQ(TqlTlsGetValue(reused), nullptr);
    EXPECT_EQ(TqlTlsFree(reused), 0u);
}

}  // namespace
}  // namespace ql
