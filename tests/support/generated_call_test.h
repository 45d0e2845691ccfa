// The fixture of the tests generated from the catalogue: a repository on a
// scripted transport, with what the generated per-method helpers need.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string_view>
#include <thread>

#include "generated_call_support.h"
#include "proxies/call_frame.h"
#include "repository_fixture.h"

namespace ql::test {

class GeneratedCallTest : public RepositoryTest {
public:
    CScriptedTransport& Transport() { return *m_transport; }
    CSoapRepository* Repository() { return m_repository; }

    // The call header a request of this family carries before the object
    // has a server object.
    static Bytes FamilyCallHeader(const RemoteFamily& family, std::u16string_view method) {
        return CallHeader(family.clsid, family.iid, method);
    }
    static Bytes ReplyHead(HRESULT result) { return RepositoryTest::ReplyHead(result); }

    // The family interface the object answers for iid (one reference).
    template <class I>
    I* QueryFamily(const IID& iid) {
        void* found = nullptr;
        EXPECT_EQ(S_OK, m_repository->QueryInterface(iid, &found));
        return static_cast<I*>(found);
    }
};

// Holds a lock on a thread of its own until Release, so that a caller that
// tried to take it would wait.
class CallLockHolder {
public:
    explicit CallLockHolder(CCriticalSection& lock) {
        m_thread = std::thread([this, &lock] {
            lock.Enter();
            std::unique_lock<std::mutex> guard(m_mutex);
            m_bHeld = true;
            m_changed.notify_all();
            m_changed.wait(guard, [this] { return m_bReleasing; });
            lock.Leave();
        });
        std::unique_lock<std::mutex> guard(m_mutex);
        m_changed.wait(guard, [this] { return m_bHeld; });
    }
    CallLockHolder(const CallLockHolder&) = delete;
    CallLockHolder& operator=(const CallLockHolder&) = delete;
    ~CallLockHolder() { Release(); }

    void Release() {
        if (!m_thread.joinable()) return;
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_bReleasing = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bHeld = false;
    bool m_bReleasing = false;
    std::thread m_thread;
};

}  // namespace ql::test
