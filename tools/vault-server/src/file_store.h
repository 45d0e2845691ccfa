// The in-memory backup store behind the few file-system methods the server
// implements: a file is created, written block by block, committed as a
// revision, then read back and listed. Nothing else keeps state. Not
// thread-safe: the service serialises its calls.
#pragma once

#include <map>
#include <vector>

#include "support/base/com_types.h"

namespace ql::vault {

struct StoredBlock {
    LONG blockNumber = 0;
    ULONG flags = 0;
    LONG lowHash = 0;
    LONG highHash = 0;
    ULONG dataSize = 0;  // as the client sent it
    LONG crc = 0;
    std::vector<BYTE> data;  // the block's byte run as received (size + 4 bytes)
};

// Method results (never renumber: clients see them).
inline constexpr HRESULT kNoSuchFile = static_cast<HRESULT>(0x80070002u);   // ERROR_FILE_NOT_FOUND
inline constexpr HRESULT kBadArgument = static_cast<HRESULT>(0x80070057u);  // E_INVALIDARG

class FileStore {
public:
    // A new, empty, uncommitted file; identifiers count from 1.
    LONGLONG CreateFile(LONG volumeId, LONG blockSize);
    // Stores (or replaces) one block of an uncommitted file.
    HRESULT WriteBlock(LONGLONG fileId, LONG volumeId, StoredBlock block);
    // Commits the file's blocks as revision rev; a committed file takes no
    // more blocks. Committing twice with the same rev is accepted.
    HRESULT Complete(LONGLONG fileId, LONG volumeId, LONG rev);
    // Blocks startBlock .. startBlock + count - 1 of a committed revision,
    // those that exist, in block order.
    HRESULT ReadBlocks(LONGLONG fileId, LONG volumeId, LONG rev, LONG startBlock, LONG count,
                       std::vector<const StoredBlock*>& blocks) const;
    // Every block of a committed file, in block order.
    HRESULT ListBlocks(LONGLONG fileId, LONG volumeId,
                       std::vector<const StoredBlock*>& blocks) const;
    std::size_t FileCount() const noexcept { return m_files.size(); }

private:
    struct File {
        LONG volumeId = 0;
        LONG blockSize = 0;
        bool committed = false;
        LONG rev = 0;
        std::map<LONG, StoredBlock> blocks;
    };
    const File* Committed(LONGLONG fileId, LONG volumeId) const;

    std::map<LONGLONG, File> m_files;
    LONGLONG m_nextId = 1;
};

}  // namespace ql::vault
