#include "support/shared_state/named_tls.h"

#include <cstdint>
#include <new>

#include "support/base/win32_errors.h"
#include "support/platform/tls_value.h"
#include "support/trace/trace.h"

namespace ql {

namespace {

// No system offers a process this many thread-local-storage indexes (Windows
// about a thousand); larger requests are refused before a block is made.
constexpr DWORD kMaxLocations = 0x10000;

// How the set-up under the lock ended; traced once the lock is released.
enum class SetUp { kNoView, kAdopted, kInitialized, kTooSmall, kAllocFailed, kNotLocked };

}  // namespace

CTqlNamedTls::CTqlNamedTls(LPCWSTR name, DWORD locations, BOOL freeOnDestruction)
    : m_bFreeOnDestruction(freeOnDestruction != FALSE) {
    const DWORD self = TqlTraceAddress(this);
    TqlSharedStateTrace(
        kTqlLevelDetail,
        OLESTR("CTqlNamedTls::CTqlNamedTls() begin : this=0x%X, name='%s', locs=%i, free=%i"), self,
        name, locations, freeOnDestruction);
    if (locations == 0) locations = 1;

    WString shmemName;
    WString mutexName;
    DWORD error = 0;
    try {
        shmemName = ProcessObjectName(OLESTR("TqlNamedTls_%s_ShMem_ProcId_0x%X"), name);
        mutexName = ProcessObjectName(OLESTR("TqlNamedTls_%s_Mutex_ProcId_0x%X"), name);
    } catch (const std::bad_alloc&) {
        error = kTqlErrorNotEnoughMemory;
    }
    // The count and one index per location, each 32 bits.
    const std::uint64_t bytes = (std::uint64_t{locations} + 1) * sizeof(DWORD);
    if (error == 0 && locations > kMaxLocations) error = kTqlErrorInvalidParameter;
    if (error == 0)
        error = Create(shmemName.c_str(), static_cast<DWORD>(bytes), mutexName.c_str(), nullptr,
                       nullptr, FALSE, TqlPagingFile(), 0, kTqlInfinite);
    if (error != 0) {
        TqlSharedStateTrace(kTqlLevelError,
                            OLESTR("CTqlNamedTls::CTqlNamedTls() : this=0x%X, "
                                   "CTqlSharedMemory::Create( shmem=%s, size=%d, mutex=%s ) fails "
                                   "with err=%d"),
                            self, shmemName.c_str(), static_cast<DWORD>(bytes), mutexName.c_str(),
                            error);
    } else {
        SetUp outcome = SetUp::kNotLocked;
        DWORD allocError = 0;
        {
            CShield shield(*this);
            auto* block = static_cast<DWORD*>(GetData());
            if (!shield.IsLocked()) {
                outcome = SetUp::kNotLocked;
            } else if (block == nullptr) {
                outcome = SetUp::kNoView;
            } else if (block[0] > 0) {
                // Another module set the block up.
                outcome = SetUp::kAdopted;
            } else if (GetSizeHigh() == 0 && bytes > GetSize()) {
                // A block left empty by a module that asked for fewer
                // locations is too small for this set-up.
                outcome = SetUp::kTooSmall;
            } else {
                outcome = SetUp::kInitialized;
                DWORD made = 0;
                for (; made < locations; ++made) {
                    DWORD index = kTqlNoTlsIndex;
                    allocError = TqlTlsAlloc(&index);
                    if (allocError != 0) break;
                    TqlTlsSetValue(index, nullptr);
                    block[1 + made] = index;
                }
                if (made == locations) {
                    block[0] = locations;
                } else {
                    // Give back what was had: the count stays 0.
                    while (made > 0) TqlTlsFree(block[made--]);
                    outcome = SetUp::kAllocFailed;
                }
            }
            m_bInitialized = outcome == SetUp::kAdopted || outcome == SetUp::kInitialized;
        }
        switch (outcome) {
            case SetUp::kNoView:
                TqlSharedStateTrace(kTqlLevelError,
                                    OLESTR("CTqlNamedTls::CTqlNamedTls() : this=0x%X, pTlsShMem is "
                                           "NULL after CTqlSharedMemory::Create()"),
                                    self);
                break;
            case SetUp::kAdopted:
                TqlSharedStateTrace(
                    kTqlLevelDetail,
                    OLESTR("CTqlNamedTls::CTqlNamedTls() : this=0x%X, Shared memory already "
                           "initialized."),
                    self);
                break;
            case SetUp::kInitialized:
                TqlSharedStateTrace(
                    kTqlLevelDetail,
                    OLESTR(
                        "CTqlNamedTls::CTqlNamedTls() : this=0x%X, Shared memory initialized OK."),
                    self);
                break;
            case SetUp::kTooSmall:
                TqlSharedStateTrace(kTqlLevelError,
                                    OLESTR("CTqlNamedTls::CTqlNamedTls() : this=0x%X, shared "
                                           "memory of %d bytes cannot hold %i TLS indexes"),
                                    self, GetSize(), locations);
                break;
            case SetUp::kAllocFailed:
                TqlSharedStateTrace(
                    kTqlLevelError,
                    OLESTR(
                        "CTqlNamedTls::CTqlNamedTls() : this=0x%X, _TlsAlloc() fails with err=%d"),
                    self, allocError);
                break;
            case SetUp::kNotLocked:
                break;
        }
    }
    TqlSharedStateTrace(kTqlLevelDetail,
                        OLESTR("CTqlNamedTls::CTqlNamedTls()  end  : this=0x%X, initOK=%i"), self,
                        static_cast<int>(m_bInitialized));
}

CTqlNamedTls::~CTqlNamedTls() {
    const DWORD self = TqlTraceAddress(this);
    TqlSharedStateTrace(
        kTqlLevelDetail,
        OLESTR("CTqlNamedTls::~CTqlNamedTls() begin : this=0x%X, initOK=%i, free=%i"), self,
        static_cast<int>(m_bInitialized), static_cast<int>(m_bFreeOnDestruction));
    if (m_bInitialized && m_bFreeOnDestruction) {
        DWORD freed = 0;
        {
            CShield shield(*this);
            auto* block = static_cast<DWORD*>(GetData());
            if (shield.IsLocked() && block != nullptr && block[0] > 0) {
                freed = block[0];
                for (DWORD i = 0; i < freed; ++i) TqlTlsFree(block[1 + i]);
                block[0] = 0;
            }
        }
        if (freed > 0)
            TqlSharedStateTrace(
                kTqlLevelDetail,
                OLESTR("CTqlNamedTls::~CTqlNamedTls() : this=0x%X, freeing %i TLS indexes"), self,
                freed);
    }
    TqlSharedStateTrace(kTqlLevelDetail, OLESTR("CTqlNamedTls::~CTqlNamedTls()  end  : this=0x%X"),
                        self);
    Close();
}

bool CTqlNamedTls::IndexOf(DWORD location, DWORD* index) const {
    // Every set-up writes a count that its block holds, so the indexes below
    // the count are inside the view.
    const auto* block = static_cast<const DWORD*>(GetData());
    if (block == nullptr || location >= block[0]) return false;
    *index = block[1 + location];
    return true;
}

bool CTqlNamedTls::GetValue(DWORD location, LPVOID* value) {
    const DWORD self = TqlTraceAddress(this);
    TqlSharedStateTrace(kTqlLevelDetail,
                        OLESTR("CTqlNamedTls::GetValue() begin : this=0x%X, loc=%d, initOK=%i"),
                        self, location, static_cast<int>(m_bInitialized));
    bool result = false;
    LPVOID found = nullptr;
    if (m_bInitialized && value != nullptr) {
        CShield shield(*this);
        DWORD index = kTqlNoTlsIndex;
        if (shield.IsLocked() && IndexOf(location, &index)) {
            found = TqlTlsGetValue(index);
            *value = found;
            result = true;
        }
    }
    TqlSharedStateTrace(
        kTqlLevelDetail,
        OLESTR("CTqlNamedTls::GetValue()  end  : this=0x%X, result=%i, rpValue=0x%X"), self,
        static_cast<int>(result), TqlTraceAddress(found));
    return result;
}

bool CTqlNamedTls::SetValue(DWORD location, LPVOID newValue, LPVOID* oldValue) {
    const DWORD self = TqlTraceAddress(this);
    TqlSharedStateTrace(
        kTqlLevelDetail,
        OLESTR("CTqlNamedTls::SetValue() begin : this=0x%X, loc=%d, newVal=0x%X, initOK=%i"), self,
        location, TqlTraceAddress(newValue), static_cast<int>(m_bInitialized));
    bool result = false;
    LPVOID previous = nullptr;
    if (m_bInitialized) {
        CShield shield(*this);
        DWORD index = kTqlNoTlsIndex;
        if (shield.IsLocked() && IndexOf(location, &index)) {
            previous = TqlTlsGetValue(index);
            result = TqlTlsSetValue(index, newValue) == 0;
        }
    }
    if (result && oldValue != nullptr) *oldValue = previous;
    TqlSharedStateTrace(
        kTqlLevelDetail,
        OLESTR("CTqlNamedTls::SetValue()  end  : this=0x%X, result=%i, rpOldValue=0x%X"), self,
        static_cast<int>(result), TqlTraceAddress(previous));
    return result;
}

bool CTqlNamedTls::IsInitialized() const { return m_bInitialized; }

CTqlNamedTls& TqlTraceTls() {
    static CTqlNamedTls* const slot = [] {
        // Its own traces would re-enter the tracer, which asks for this slot.
        CTqlSharedStateQuiet quiet;
        return new CTqlNamedTls(OLESTR("TqlTraceTls"), 1, FALSE);
    }();
    return *slot;
}

namespace {

// Makes the trace slot while the module loads and closes its handles when
// the module unloads; the object itself stays (see TqlTraceTls).
class CModuleTraceSlot {
public:
    CModuleTraceSlot() { TqlTraceTls(); }
    ~CModuleTraceSlot() { TqlTraceTls().Close(); }
    CModuleTraceSlot(const CModuleTraceSlot&) = delete;
    CModuleTraceSlot& operator=(const CModuleTraceSlot&) = delete;
};

CModuleTraceSlot g_traceSlot;

CTqlNamedTls g_createVaultObject(OLESTR("CreateVaultObject"), 2, FALSE);

}  // namespace

CTqlNamedTls& TqlCreateVaultObjectTls() { return g_createVaultObject; }

}  // namespace ql
