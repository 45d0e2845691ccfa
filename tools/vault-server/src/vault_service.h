// The vault's answer to one request body: the object-lifetime calls
// (CreateObject, DestroyObject, Ping, CheckTransport, PerfTest), the store's
// file-system methods, and the generic empty answer for every other method
// of the catalogue. No sockets: the HTTP side hands bodies in and writes
// the reply out.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <span>
#include <string>

#include "call_reader.h"
#include "file_store.h"

namespace ql::vault {

// "HVEH" values (never renumber: clients act on them).
inline constexpr const char* kVaultOk = "200";
inline constexpr const char* kVaultObjectNotFound = "65667272";
inline constexpr const char* kVaultExceptionInMethod = "65863880";

// PerfTest answers at most this many characters (the wire count is 32-bit).
inline constexpr std::int64_t kMaxPerfTestChars = 512ll * 1024 * 1024;

struct VaultReply {
    unsigned httpStatus = 200;  // 400 when the body does not parse
    std::string hveh;           // empty: no "HVEH" header
    // The body is body, then fillBytes bytes of UTF-16LE 'x', then tail:
    // a large PerfTest answer is never built in memory.
    std::string body;
    std::uint64_t fillBytes = 0;
    std::string tail;
};

class VaultService {
public:
    VaultReply Handle(std::span<const unsigned char> body);

    // The method a body names, or "" when its headers do not parse.
    static std::string MethodOf(std::span<const unsigned char> body);

private:
    VaultReply Persist(CallReader& reader);
    VaultReply PerfTest(CallReader& reader);
    VaultReply Remote(CallReader& reader);
    // Empty (no object held) or created and not destroyed; under m_lock.
    bool Known(const std::string& objectId) const;

    std::mutex m_lock;  // guards everything below
    std::set<std::string> m_objects;
    unsigned long m_nextObject = 1;
    FileStore m_store;
};

}  // namespace ql::vault
