// Without named kernel objects, the copies of the library in one process
// share their blocks through a process-wide registry of named objects:
// equal names give one object, as long as anyone holds a handle to it.
// Mutexes are recursive per thread with timed waits; blocks are anonymous
// shared memory, zero-filled, or a mapping of an open file.
#include "support/shared_state/shared_memory.h"

#include <errno.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "support/base/win32_errors.h"
#include "support/platform/named_object_registry.h"
#include "support/platform/system_wrappers.h"
#include "support/trace/trace.h"

namespace ql {

namespace {

// Anything that can carry a name in the registry; mutexes and mappings share
// one name space, as kernel objects do.
class CNamedObject {
public:
    virtual ~CNamedObject() = default;
};

class CPosixMutex;

// The mutexes the calling thread holds. A thread that ends holding one
// abandons it, as on Windows: it is released, so that the next waiter takes
// it instead of waiting for ever.
struct HeldMutexes {
    ~HeldMutexes();
    std::vector<std::weak_ptr<CPosixMutex>> held;
};

// Trivially destructible, so it stays readable after the list is gone (in
// the destructors of static objects, which run after those of the main
// thread's thread-local ones).
thread_local bool t_bHeldMutexesGone = false;
thread_local HeldMutexes t_heldMutexes;

class CPosixMutex final : public CNamedObject, public std::enable_shared_from_this<CPosixMutex> {
public:
    DWORD Lock(DWORD timeout) {
        {
            std::unique_lock<std::mutex> guard(m_guard);
            const std::thread::id self = std::this_thread::get_id();
            if (m_depth > 0 && m_owner == self) {
                ++m_depth;
                return 0;
            }
            auto isFree = [this] { return m_depth == 0; };
            if (timeout == kTqlInfinite) {
                m_released.wait(guard, isFree);
            } else if (!m_released.wait_for(guard, std::chrono::milliseconds(timeout), isFree)) {
                return kTqlErrorTimeout;
            }
            m_owner = self;
            m_depth = 1;
        }
        if (!t_bHeldMutexesGone) {
            try {
                t_heldMutexes.held.push_back(weak_from_this());
            } catch (const std::bad_alloc&) {
                // Held all the same; only an abandonment would go unnoticed.
            }
        }
        return 0;
    }

    DWORD Unlock() {
        {
            std::lock_guard<std::mutex> guard(m_guard);
            if (m_depth == 0 || m_owner != std::this_thread::get_id()) return kTqlErrorNotOwner;
            if (--m_depth > 0) return 0;
            m_owner = std::thread::id();
            m_released.notify_one();
        }
        if (!t_bHeldMutexesGone) {
            auto& held = t_heldMutexes.held;
            for (auto entry = held.begin(); entry != held.end(); ++entry) {
                if (entry->lock().get() == this) {
                    held.erase(entry);
                    break;
                }
            }
        }
        return 0;
    }

    // Releases the mutex entirely when the calling thread holds it.
    void Abandon() {
        std::lock_guard<std::mutex> guard(m_guard);
        if (m_depth == 0 || m_owner != std::this_thread::get_id()) return;
        m_depth = 0;
        m_owner = std::thread::id();
        m_released.notify_one();
    }

private:
    std::mutex m_guard;
    std::condition_variable m_released;
    std::thread::id m_owner;
    unsigned long m_depth = 0;
};

HeldMutexes::~HeldMutexes() {
    t_bHeldMutexesGone = true;
    for (const auto& entry : held)
        if (std::shared_ptr<CPosixMutex> mutex = entry.lock()) mutex->Abandon();
}

// One mapped block: anonymous shared memory or a file's pages. Made empty
// first, so that nothing mapped is lost when making it throws.
class CSection final : public CNamedObject {
public:
    explicit CSection(bool fileBacked) noexcept : m_fileBacked(fileBacked) {}
    ~CSection() override {
        if (m_base != nullptr) ::munmap(m_base, m_length);
    }
    CSection(const CSection&) = delete;
    CSection& operator=(const CSection&) = delete;

    void Adopt(void* base, std::size_t length) noexcept {
        m_base = base;
        m_length = length;
    }
    void* Base() const noexcept { return m_base; }
    bool IsFileBacked() const noexcept { return m_fileBacked; }
    // What a view of it really holds: whole pages.
    std::size_t RegionSize() const noexcept {
        std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        return (m_length + page - 1) / page * page;
    }

private:
    void* m_base = nullptr;
    std::size_t m_length = 0;
    bool m_fileBacked;
};

using MutexRef = std::shared_ptr<CPosixMutex>;
using SectionRef = std::shared_ptr<CSection>;

// Never destroyed: the static objects of any copy of the library may still
// open or close blocks while the process ends.
CTqlNamedObjectRegistry<CNamedObject>& Objects() {
    static auto* registry = new CTqlNamedObjectRegistry<CNamedObject>;
    return *registry;
}

DWORD MakeMutex(MutexRef& out) {
    out = std::make_shared<CPosixMutex>();
    return 0;
}

DWORD MakeMemorySection(std::uint64_t bytes, SectionRef& out) {
    if (bytes > std::numeric_limits<std::size_t>::max()) return kTqlErrorNotEnoughMemory;
    auto length = static_cast<std::size_t>(bytes);
    auto section = std::make_shared<CSection>(false);
    void* base = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return TqlErrorFromErrno(errno);
    section->Adopt(base, length);
    out = std::move(section);
    return 0;
}

// Maps `bytes` of an open file; a writable mapping longer than the file
// extends it, a read-only one fails.
DWORD MakeFileSection(int descriptor, std::uint64_t bytes, bool readOnly, SectionRef& out) {
    struct stat status = {};
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0) return kTqlErrorInvalidHandle;
    if (!S_ISREG(status.st_mode)) return kTqlErrorNotSupported;
    if (bytes > std::numeric_limits<std::size_t>::max() ||
        bytes > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        return kTqlErrorNotEnoughMemory;
    auto section = std::make_shared<CSection>(true);
    if (bytes > static_cast<std::uint64_t>(status.st_size)) {
        // A read-only section cannot be larger than its file: the system's
        // "section too big", which reads as 8.
        if (readOnly) return kTqlErrorNotEnoughMemory;
        if (::ftruncate(descriptor, static_cast<off_t>(bytes)) != 0)
            return TqlErrorFromErrno(errno);
    }
    auto length = static_cast<std::size_t>(bytes);
    int protection = readOnly ? PROT_READ : PROT_READ | PROT_WRITE;
    void* base = ::mmap(nullptr, length, protection, MAP_SHARED, descriptor, 0);
    if (base == MAP_FAILED) return TqlErrorFromErrno(errno);
    section->Adopt(base, length);
    out = std::move(section);
    return 0;
}

CPosixMutex& MutexOf(HANDLE handle) { return **static_cast<MutexRef*>(handle); }

// Holds a lock on a mutex and releases it once.
class CMutexHold {
public:
    explicit CMutexHold(CPosixMutex& mutex) noexcept : m_mutex(mutex) {}
    ~CMutexHold() { m_mutex.Unlock(); }
    CMutexHold(const CMutexHold&) = delete;
    CMutexHold& operator=(const CMutexHold&) = delete;

private:
    CPosixMutex& m_mutex;
};

}  // namespace

DWORD CTqlSharedMemory::CreateObjects(LPCWSTR name, DWORD size, LPCWSTR mutexName,
                                      LPCVOID initialData, TqlSecurityAttributes* /*security*/,
                                      BOOL readOnly, HANDLE file, DWORD sizeHigh, DWORD timeout) {
    try {
        MutexRef mutex;
        bool mutexExisted = false;
        DWORD error = Objects().OpenOrMake(mutexName, MakeMutex, mutex, &mutexExisted);
        if (error != 0) {
            TqlSharedStateTraceMsg(
                kTqlLevelError,
                OLESTR("CTqlSharedMemory::Create()- _CreateMutex() failed, err=%1!d! (%1!Z!)."),
                error);
            return error;
        }
        error = mutex->Lock(timeout);
        if (error != 0) {
            TqlSharedStateTraceMsg(
                kTqlLevelError,
                OLESTR("CTqlSharedMemory::Create()- shield(this) failed, err=%1!d! (%1!Z!)."),
                error);
            return error;
        }

        // Traces wait until the mutex is released: the tracer may itself need
        // a block guarded by it.
        const bool pagingFile = file == TqlPagingFile();
        const std::uint64_t bytes = (std::uint64_t{sizeHigh} << 32) | size;
        {
            CMutexHold hold(*mutex);
            SectionRef section;
            bool existed = false;
            auto make = [&](SectionRef& out) {
                if (pagingFile) return MakeMemorySection(bytes, out);
                auto descriptor = static_cast<int>(reinterpret_cast<std::intptr_t>(file));
                return MakeFileSection(descriptor, bytes, readOnly != FALSE, out);
            };
            error = Objects().OpenOrMake(name, make, section, &existed);
            if (error == 0) {
                DWORD recordedLow = size;
                DWORD recordedHigh = sizeHigh;
                if (existed && !section->IsFileBacked()) {
                    // The block was made by another module, perhaps smaller.
                    std::size_t region = section->RegionSize();
                    if (recordedHigh != 0 || recordedLow > region) {
                        recordedLow = static_cast<DWORD>(region);
                        recordedHigh = 0;
                    }
                } else if (!existed && pagingFile && !readOnly) {
                    if (initialData != nullptr)
                        std::memcpy(section->Base(), initialData, size);
                    else
                        std::memset(section->Base(), 0, size);
                }
                auto mappingBox = std::make_unique<SectionRef>(section);
                auto mutexBox = std::make_unique<MutexRef>(mutex);
                m_pView = section->Base();
                m_hMapping = mappingBox.release();
                m_hMutex = mutexBox.release();
                m_dwSizeLow = recordedLow;
                m_dwSizeHigh = recordedHigh;
            }
        }
        if (error != 0)
            TqlSharedStateTraceMsg(
                kTqlLevelError,
                OLESTR("CTqlSharedMemory::Create()- _CreateFileMapping() failed, err=%1!d! "
                       "(%1!Z!)."),
                error);
        return error;
    } catch (const std::bad_alloc&) {
        return kTqlErrorNotEnoughMemory;
    }
}

DWORD CTqlSharedMemory::LockMutex(HANDLE mutex, DWORD timeout) noexcept {
    return MutexOf(mutex).Lock(timeout);
}

DWORD CTqlSharedMemory::UnlockMutex(HANDLE mutex) noexcept { return MutexOf(mutex).Unlock(); }

void CTqlSharedMemory::CloseMutex(HANDLE mutex) noexcept { delete static_cast<MutexRef*>(mutex); }

void CTqlSharedMemory::CloseMapping(HANDLE mapping, LPVOID /*view*/) noexcept {
    // The view is the section's own pages; they go with the last handle.
    delete static_cast<SectionRef*>(mapping);
}

DWORD CTqlSharedMemory::CurrentProcessId() noexcept { return static_cast<DWORD>(::getpid()); }

}  // namespace ql
