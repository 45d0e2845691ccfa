// The per-call frame: both paths, the exception mapping, the lock, and the
// reading of out-arguments and event chains, driven through a scripted
// transport.
#include "proxies/call_frame.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <utility>

#include "repository_fixture.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

const RemoteFamily kFileSystem{
    OLESTR("DSFileSystem"),
    {0xCB469298, 0x8BCB, 0x11D2, {0xAA, 0x9C, 0x00, 0xC0, 0x4F, 0xA3, 0x71, 0x11}},
    {0x42A08E36, 0xB219, 0x4B0B, {0x8E, 0x03, 0x73, 0x7B, 0x36, 0xD4, 0x5F, 0x66}}};

// A remote interface for the DCOM path: one method with an [in] long, an
// [out] long and the event chain.
struct ITestRemote : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Echo(LONG key, LONG* result, _RNSM_EVENT* event) = 0;
};

class FakeRemote final : public ITestRemote {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE Echo(LONG key, LONG* result, _RNSM_EVENT*) override {
        ++calls;
        *result = key * 2;
        return 0x00000007;
    }
    ULONG refs = 0;
    int calls = 0;
};

// Throws the given exception when the frame reads it, after the send.
struct ThrowOnRead {
    HRESULT atlResult;
    bool unknown;
    void Prepare(ATL::IAtlMemMgr*) {}
    void Write(CBinarySerializer&) {}
    void Read(CBinaryDeserializer&) {
        if (unknown) throw std::runtime_error("not an HRESULT");
        ATL::AtlThrow(atlResult);
    }
    void Finish() noexcept {}
};

// Whether another thread can take the lock right now.
bool LockIsFree(CCriticalSection& lock) {
    std::atomic<bool> taken{false};
    std::thread other([&] {
        taken = lock.TryEnter();
        if (taken) lock.Leave();
    });
    other.join();
    return taken;
}

// Watches, during the write, whether another thread can take the lock.
struct ProbeLock {
    CCriticalSection* lock;
    bool* heldByCall;
    void Prepare(ATL::IAtlMemMgr*) {}
    void Write(CBinarySerializer&) { *heldByCall = !LockIsFree(*lock); }
    void Read(CBinaryDeserializer&) {}
    void Finish() noexcept {}
};

class CallFrameTest : public RepositoryTest {
protected:
    HRESULT Echo(LONG key, LONG* result, _RNSM_EVENT* event) {
        return RunRemoteCall(
            m_repository->Target(), kFileSystem, OLESTR("Echo"),
            [&](IUnknown* remote) {
                return reinterpret_cast<ITestRemote*>(remote)->Echo(key, result, event);
            },
            call::In<wire::Long>(key), call::Out<wire::Long>(result), call::Event(event));
    }

    // A call of no method that runs only the given arguments.
    template <class... Args>
    HRESULT Probe(Args&&... args) {
        return RunRemoteCall(
            m_repository->Target(), kFileSystem, OLESTR("Probe"),
            [](IUnknown*) { return E_UNEXPECTED; }, std::forward<Args>(args)...);
    }

    // The request of Echo(key) up to its event chain, and a reply of result.
    static Wire EchoRequest(LONG key) {
        Wire w(255);
        w.Put(CallHeader(kFileSystem.clsid, kFileSystem.iid, u"Echo")).Long(key);
        return w;
    }
    static Wire ReplyOf(HRESULT result) {
        Wire w(255);
        w.Put(ReplyHead(result));
        return w;
    }

    // One event node of empty strings, the last of its chain.
    static Wire& Node(Wire& w, ULONG ourCode) {
        w.ULong(ourCode).ULong(0).ULong(0).NullBstr().ULong(0).ULong(0).UShort(0);
        return w.ULong(0);
    }

    TraceRecorder m_traces;
};

TEST_F(CallFrameTest, PingBodyIsTheDocumentedSixtyTwoBytes) {
    const Bytes ping =
        Hex("0C 00 00 00 01 00 06 00 FF 00 00 00"
            "00 00 00 00"
            "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
            "F4 4F 7F 75 D0 1F 4A 4B 8C EE 42 FF 31 CD 6A 6D"
            "0A 00 00 00 50 00 69 00 6E 00 67 00 00 00");
    ASSERT_EQ(62u, ping.size());
    m_transport->ExpectCall(ping, ReplyOf(S_OK).ULong(0x00C0FFEE).bytes);

    ULONG status = 0;
    EXPECT_EQ(S_OK, m_repository->Ping(&status));
    EXPECT_EQ(0x00C0FFEEu, status);
    EXPECT_TRUE(m_traces.Contains("IHttpPersist_Ping"));
    EXPECT_TRUE(
        m_traces.Contains("CSoapRepository: Ping result: hr=0x00000000, status=0x00C0FFEE."));
}

TEST_F(CallFrameTest, HttpPathSendsTheFamilyPairAndReadsOutArgumentsOfAFailedMethod) {
    Wire reply = ReplyOf(E_FAIL);
    Node(reply.Long(42).Present(true), 0x1234);
    m_transport->ExpectCall(EchoRequest(5).Present(false).bytes, reply.bytes);

    LONG result = -1;
    _RNSM_EVENT event{};
    // The caller passes no chain: the flag says absent; the reply's chain is
    // read into a temporary and dropped.
    EXPECT_EQ(E_FAIL, Echo(5, &result, nullptr));
    EXPECT_EQ(42, result);

    // The same with a chain: the failed method's chain reaches the caller.
    Wire request = EchoRequest(6);
    m_transport->ExpectCall(Node(request.Present(true), 0).bytes, reply.bytes);
    EXPECT_EQ(E_FAIL, Echo(6, &result, &event));
    EXPECT_EQ(0x1234u, V(event.DwordOurCode));
    EXPECT_TRUE(m_traces.Contains("DSFileSystem_Echo"));
}

TEST_F(CallFrameTest, ExceptionsMapToTheirResults) {
    // A non-negative exception after the send: the send's result stands.
    m_transport->ExpectAnyCall(ReplyHead(0x00000005));
    EXPECT_EQ(0x00000005, Probe(ThrowOnRead{S_FALSE, false}));

    // A non-negative exception from the send itself: S_OK.
    m_transport->ExpectAnyCallThrowing(S_FALSE);
    EXPECT_EQ(S_OK, Probe());

    // A negative exception: its own value, traced with its text.
    m_transport->ExpectAnyCallThrowing(static_cast<HRESULT>(0x800706BA));
    EXPECT_EQ(static_cast<HRESULT>(0x800706BA), Probe());
    EXPECT_TRUE(
        m_traces.Contains("ICurDSFileSystem::Probe() - Caught CAtlException. hr=800706BA ("));

    // Anything else: E_FAIL.
    m_transport->ExpectAnyCall(ReplyHead(S_OK));
    EXPECT_EQ(E_FAIL, Probe(ThrowOnRead{S_OK, true}));
    EXPECT_TRUE(m_traces.Contains("ICurDSFileSystem::Probe() - Caught unknown exception"));

    // A reply shorter than its out-arguments.
    m_transport->ExpectAnyCall(ReplyHead(S_OK));
    LONG value = 0;
    EXPECT_EQ(static_cast<HRESULT>(0x8007001E), Echo(1, &value, nullptr));
}

TEST_F(CallFrameTest, TheLockIsHeldDuringTheCallAndReleasedOnEveryPath) {
    CCriticalSection& lock = m_repository->Target().callLock;
    bool held = false;
    m_transport->ExpectAnyCall(ReplyHead(S_OK));
    EXPECT_EQ(S_OK, Probe(ProbeLock{&lock, &held}));
    EXPECT_TRUE(held);
    EXPECT_TRUE(LockIsFree(lock));

    m_transport->ExpectAnyCallThrowing(E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, Echo(1, nullptr, nullptr));
    EXPECT_TRUE(LockIsFree(lock));

    m_transport->ExpectAnyCall(ReplyHead(S_OK));
    EXPECT_EQ(E_FAIL, Probe(ThrowOnRead{S_OK, true}));
    EXPECT_TRUE(LockIsFree(lock));
}

TEST_F(CallFrameTest, DcomPathPassesTheArgumentsUnchangedAndSendsNothing) {
    EXPECT_EQ(S_OK, m_repository->Initialize(1, nullptr, 0, 0, nullptr, 0, nullptr, nullptr));
    LONG result = 0;
    // No remote pointer yet: a clear error, no crash, nothing sent.
    EXPECT_EQ(static_cast<HRESULT>(0x800401FD), Echo(4, &result, nullptr));

    FakeRemote remote;
    m_repository->SetRemoteInterfaceForTesting(&remote);
    EXPECT_EQ(0x00000007, Echo(21, &result, nullptr));
    EXPECT_EQ(1, remote.calls);
    EXPECT_EQ(42, result);
    EXPECT_EQ(0u, m_transport->SendCount());
    EXPECT_TRUE(m_traces.Contains("DSFileSystem_Echo"));

    // Liveness always travels over HTTP, whatever the transport type.
    m_transport->ExpectAnyCall(ReplyOf(S_OK).ULong(1).bytes);
    ULONG status = 0;
    EXPECT_EQ(S_OK, m_repository->Ping(&status));
    EXPECT_EQ(1u, m_transport->SendCount());

    DestroyRepository();
    EXPECT_EQ(0u, remote.refs);  // the object released its one reference
}

}  // namespace
}  // namespace ql::test
