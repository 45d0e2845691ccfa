#include "file_store.h"

#include <utility>

namespace ql::vault {

LONGLONG FileStore::CreateFile(LONG volumeId, LONG blockSize) {
    LONGLONG id = m_nextId++;
    File& file = m_files[id];
    file.volumeId = volumeId;
    file.blockSize = blockSize;
    return id;
}

HRESULT FileStore::WriteBlock(LONGLONG fileId, LONG volumeId, StoredBlock block) {
    auto it = m_files.find(fileId);
    if (it == m_files.end() || it->second.volumeId != volumeId) return kNoSuchFile;
    if (it->second.committed || block.blockNumber < 0) return kBadArgument;
    LONG number = block.blockNumber;
    it->second.blocks[number] = std::move(block);
    return S_OK;
}

HRESULT FileStore::Complete(LONGLONG fileId, LONG volumeId, LONG rev) {
    auto it = m_files.find(fileId);
    if (it == m_files.end() || it->second.volumeId != volumeId) return kNoSuchFile;
    File& file = it->second;
    if (file.committed) return file.rev == rev ? S_OK : kBadArgument;
    file.committed = true;
    file.rev = rev;
    return S_OK;
}

const FileStore::File* FileStore::Committed(LONGLONG fileId, LONG volumeId) const {
    auto it = m_files.find(fileId);
    if (it == m_files.end() || it->second.volumeId != volumeId || !it->second.committed) {
        return nullptr;
    }
    return &it->second;
}

HRESULT FileStore::ReadBlocks(LONGLONG fileId, LONG volumeId, LONG rev, LONG startBlock, LONG count,
                              std::vector<const StoredBlock*>& blocks) const {
    blocks.clear();
    const File* file = Committed(fileId, volumeId);
    if (file == nullptr || file->rev != rev) return kNoSuchFile;
    if (startBlock < 0 || count < 0) return kBadArgument;
    LONGLONG end = static_cast<LONGLONG>(startBlock) + count;
    for (auto it = file->blocks.lower_bound(startBlock);
         it != file->blocks.end() && it->first < end; ++it) {
        blocks.push_back(&it->second);
    }
    return S_OK;
}

HRESULT FileStore::ListBlocks(LONGLONG fileId, LONG volumeId,
                              std::vector<const StoredBlock*>& blocks) const {
    blocks.clear();
    const File* file = Committed(fileId, volumeId);
    if (file == nullptr) return kNoSuchFile;
    for (const auto& [number, block] : file->blocks) blocks.push_back(&block);
    return S_OK;
}

}  // namespace ql::vault
