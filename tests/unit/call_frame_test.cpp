// The per-call frame: both paths, the exception mapping, the lock, and the
// reading of out-arguments and event chains, driven through a scripted
// transport.
#include "proxies/call_frame.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <stdexcept>
#include <utility>

#include "catalogue/families.h"
#include "repository_fixture.h"
#include "trace_recorder.h"

namespace ql::test {
namespace {

// A remote object for the DCOM path; only its references matter.
class FakeRemote final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    ULONG refs = 0;
};

// An argument that runs `write` while the request is written and `read`
// while the reply is read (after the send).
struct Hook {
    std::function<void()> write, read;
    void Prepare(ATL::IAtlMemMgr*) const {}
    void Write(CBinarySerializer&) const {
        if (write) write();
    }
    void Read(CBinaryDeserializer&) const {
        if (read) read();
    }
    void Finish() const noexcept {}
};

// Whether another thread can take the lock right now.
bool LockIsFree(CCriticalSection& lock) {
    auto tryTake = [&] {
        if (!lock.TryEnter()) return false;
        lock.Leave();
        return true;
    };
    return std::async(std::launch::async, tryTake).get();
}

class CallFrameTest : public RepositoryTest {
protected:
    // A call of DSFileSystem "Echo" that runs the given arguments; on the
    // DCOM path the remote method answers 7.
    template <class... Args>
    HRESULT Call(Args&&... args) {
        return RunRemoteCall(
            m_repository->Target(), kFamilyFileSystem, OLESTR("Echo"),
            [](IUnknown*) { return static_cast<HRESULT>(7); }, std::forward<Args>(args)...);
    }
    HRESULT Echo(LONG key, LONG* result, _RNSM_EVENT* event) {
        return Call(call::In<wire::Long>(key), call::Out<wire::Long>(result), call::Event(event));
    }

    // The request of Echo(key) up to its event chain, and a reply of result.
    static Wire EchoRequest(LONG key) {
        Wire w(255);
        w.Put(CallHeader(kFamilyFileSystem.clsid, kFamilyFileSystem.iid, u"Echo")).Long(key);
        return w;
    }

    // One event node of empty strings, the last of its chain.
    static Wire& Node(Wire& w, ULONG ourCode) {
        w.ULong(ourCode).ULong(0).ULong(0).NullBstr().ULong(0).ULong(0).UShort(0);
        return w.ULong(0);
    }

    TraceRecorder m_traces;
};

TEST_F(CallFrameTest, HttpPathSendsTheFamilyPairAndReadsOutArgumentsOfAFailedMethod) {
    Wire reply(255);
    reply.Put(ReplyHead(E_FAIL));
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
    EXPECT_EQ(0x00000005, Call(Hook{nullptr, [] { ATL::AtlThrow(S_FALSE); }}));

    // A non-negative exception from the send itself: S_OK.
    m_transport->ExpectAnyCallThrowing(S_FALSE);
    EXPECT_EQ(S_OK, Call());

    // A negative exception: its own value, traced with its text.
    m_transport->ExpectAnyCallThrowing(static_cast<HRESULT>(0x800706BA));
    EXPECT_EQ(static_cast<HRESULT>(0x800706BA), Call());
    EXPECT_TRUE(
        m_traces.Contains("ICurDSFileSystem::Echo() - Caught CAtlException. hr=800706BA ("));

    // Anything else: E_FAIL, and the lock is released all the same.
    m_transport->ExpectAnyCall(ReplyHead(S_OK));
    EXPECT_EQ(E_FAIL, Call(Hook{nullptr, [] { throw std::runtime_error("not an HRESULT"); }}));
    EXPECT_TRUE(m_traces.Contains("ICurDSFileSystem::Echo() - Caught unknown exception"));
    EXPECT_TRUE(LockIsFree(m_repository->Target().callLock));

    // A reply shorter than its out-arguments.
    m_transport->ExpectAnyCall(ReplyHead(S_OK));
    LONG value = 0;
    EXPECT_EQ(static_cast<HRESULT>(0x8007001E), Echo(1, &value, nullptr));
}

TEST_F(CallFrameTest, TheLockIsHeldDuringTheCallAndReleasedAfterIt) {
    CCriticalSection& lock = m_repository->Target().callLock;
    bool held = false;
    m_transport->ExpectAnyCall(ReplyHead(S_OK));
    EXPECT_EQ(S_OK, Call(Hook{[&] { held = !LockIsFree(lock); }, nullptr}));
    EXPECT_TRUE(held);
    EXPECT_TRUE(LockIsFree(lock));
}

TEST_F(CallFrameTest, DcomPathPassesTheCallToTheRemotePointerAndSendsNothing) {
    EXPECT_EQ(S_OK, m_repository->Initialize(1, nullptr, 0, 0, nullptr, 0, nullptr, nullptr));
    // No remote pointer yet: a clear error, no crash, nothing sent.
    EXPECT_EQ(static_cast<HRESULT>(0x800401FD), Call());

    FakeRemote remote;
    m_repository->SetRemoteInterfaceForTesting(&remote);
    EXPECT_EQ(0x00000007, Call());
    EXPECT_EQ(0u, m_transport->SendCount());

    // Liveness always travels over HTTP, whatever the transport type.
    m_transport->ExpectAnyCall(Wire(255).Put(ReplyHead(S_OK)).ULong(1).bytes);
    ULONG status = 0;
    EXPECT_EQ(S_OK, m_repository->Ping(&status));
    EXPECT_EQ(1u, m_transport->SendCount());

    DestroyRepository();
    EXPECT_EQ(0u, remote.refs);  // the object released its one reference
}

}  // namespace
}  // namespace ql::test
