// The memory map is read from /proc/self/maps: it names every mapping with
// its extent and protections, which is what the check needs, and reading it
// never faults, whatever address is asked about. It is parsed as it streams
// in, without allocating, so the check also works where the heap is suspect.
#include "support/platform/valid_ptr.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>

#include "support/trace/trace.h"

namespace ql {

namespace {

// The Windows values the traces and masks are written in.
constexpr DWORD kMemCommit = 0x1000;
constexpr DWORD kMemFree = 0x10000;
constexpr DWORD kPageNoAccess = 0x01;
constexpr DWORD kPageReadOnly = 0x02;
constexpr DWORD kPageReadWrite = 0x04;
constexpr DWORD kPageExecute = 0x10;
constexpr DWORD kPageExecuteRead = 0x20;
constexpr DWORD kPageExecuteReadWrite = 0x40;

struct Region {
    std::uintptr_t start = 0;  // of the mapping that holds the address
    std::uintptr_t end = 0;    // one past it
    DWORD state = kMemFree;
    DWORD protect = 0;
};

DWORD ProtectionOf(bool read, bool write, bool execute) {
    if (execute) return write ? kPageExecuteReadWrite : read ? kPageExecuteRead : kPageExecute;
    if (write) return kPageReadWrite;
    return read ? kPageReadOnly : kPageNoAccess;
}

// Parses "start-end perms ..." lines one character at a time.
class CMapsParser {
public:
    explicit CMapsParser(std::uintptr_t address) : m_address(address) {}

    void Feed(const char* data, std::size_t length) {
        for (std::size_t i = 0; i < length && !m_found; ++i) Step(data[i]);
    }
    // Takes a last line that has no line end.
    void Finish() {
        if (!m_found) EndLine();
    }
    bool Found() const { return m_found; }
    const Region& Result() const { return m_region; }

private:
    enum class Field { Start, End, Perms, Rest };

    static int HexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    void Step(char c) {
        if (c == '\n') {
            EndLine();
            return;
        }
        switch (m_field) {
            case Field::Start:
                if (c == '-')
                    m_field = Field::End;
                else if (HexValue(c) >= 0)
                    m_start = (m_start << 4) | static_cast<std::uintptr_t>(HexValue(c));
                break;
            case Field::End:
                if (c == ' ')
                    m_field = Field::Perms;
                else if (HexValue(c) >= 0)
                    m_end = (m_end << 4) | static_cast<std::uintptr_t>(HexValue(c));
                break;
            case Field::Perms:
                if (c == ' ') {
                    m_field = Field::Rest;
                } else if (m_permIndex < 3) {
                    m_perms[m_permIndex++] = c;
                }
                break;
            case Field::Rest:
                break;
        }
    }

    void EndLine() {
        if (m_field == Field::Rest && m_start <= m_address && m_address < m_end) {
            m_region.start = m_start;
            m_region.end = m_end;
            m_region.state = kMemCommit;
            m_region.protect =
                ProtectionOf(m_perms[0] == 'r', m_perms[1] == 'w', m_perms[2] == 'x');
            m_found = true;
        }
        m_field = Field::Start;
        m_start = m_end = 0;
        m_permIndex = 0;
    }

    std::uintptr_t m_address;
    Field m_field = Field::Start;
    std::uintptr_t m_start = 0;
    std::uintptr_t m_end = 0;
    char m_perms[3] = {};
    int m_permIndex = 0;
    bool m_found = false;
    Region m_region;
};

// False when the map cannot be read.
bool QueryRegion(std::uintptr_t address, Region& region) {
    int fd;
    do {
        fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    CMapsParser parser(address);
    char buffer[4096];
    bool ok = true;
    while (!parser.Found()) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        parser.Feed(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!ok) return false;
    parser.Finish();
    region = parser.Found() ? parser.Result() : Region{};
    return true;
}

}  // namespace

bool TqlIsValidPtr(const void* pointer, SIZE_T size, DWORD protectionMask) {
    if (pointer == nullptr) return false;
    auto start = reinterpret_cast<std::uintptr_t>(pointer);
    Region region;
    if (!QueryRegion(start, region)) {
        TqlTrace(kTqlRuntimeComponent, kTqlLevelEntry,
                 OLESTR("%p: BAD PTR, VirtualQuery returned 0, possibly is a kernel-mode address"),
                 pointer);
        return false;
    }
    if (region.state != kMemCommit) {
        TqlTrace(kTqlRuntimeComponent, kTqlLevelEntry,
                 OLESTR("%p: BAD PTR, memInfo.State (%08lX) is not MEM_COMMIT"), pointer,
                 region.state);
        return false;
    }
    if ((region.protect & protectionMask) == 0) {
        TqlTrace(kTqlRuntimeComponent, kTqlLevelEntry,
                 OLESTR("%p: BAD PTR, memInfo.Protect (%08lX) does not match dwFlags"), pointer,
                 region.protect);
        return false;
    }
    // As on Windows, the region is counted from the page that holds the
    // address.
    std::uintptr_t pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    std::uintptr_t base = start & ~(pageSize - 1);
    std::uintptr_t regionSize = region.end - base;
    if (regionSize < size) {
        TqlTrace(kTqlRuntimeComponent, kTqlLevelEntry,
                 OLESTR("%p: BAD PTR, memInfo.RegionSize (%d) is less than cb"), pointer,
                 static_cast<int>(regionSize));
        return false;
    }
    if (start + size < start || start + size > region.end) {
        TqlTrace(kTqlRuntimeComponent, kTqlLevelEntry,
                 OLESTR("%p: BAD PTR, (pv + cb) exceeds (BaseAddress + RegionSize)"), pointer);
        return false;
    }
    return true;
}

}  // namespace ql
