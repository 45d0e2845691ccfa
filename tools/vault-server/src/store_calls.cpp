#include "store_calls.h"

#include <cstring>
#include <vector>

#include "catalogue/record_codecs.h"
#include "reply_writer.h"
#include "serialization/record_fields.h"
#include "server/record_peer.h"
#include "wire_items.h"

namespace ql::vault {
namespace {

// A record read from the request, released when the call ends.
template <class T>
class Received {
public:
    explicit Received(CBinaryDeserializer& in) : m_memMgr(in.MemMgr()) {
        std::memset(static_cast<void*>(&m_value), 0, sizeof m_value);
        try {
            wire::RecordCodec<T>::Read(in, m_value);
        } catch (...) {
            wire::RecordCodec<T>::Release(m_value, m_memMgr);
            throw;
        }
    }
    ~Received() { wire::RecordCodec<T>::Release(m_value, m_memMgr); }
    Received(const Received&) = delete;
    Received& operator=(const Received&) = delete;
    const T& operator*() const noexcept { return m_value; }

private:
    ATL::IAtlMemMgr* m_memMgr;
    T m_value;
};

// A sized array of records read from the request, released when the call
// ends.
template <class T>
class ReceivedArray {
public:
    explicit ReceivedArray(CBinaryDeserializer& in) : m_memMgr(in.MemMgr()) {
        try {
            wire::field::ReadArray<wire::RecordCodec<T>>(in, m_elements, m_count);
        } catch (...) {
            wire::field::ReleaseArray<wire::RecordCodec<T>>(m_elements, m_count, m_memMgr);
            throw;
        }
    }
    ~ReceivedArray() {
        wire::field::ReleaseArray<wire::RecordCodec<T>>(m_elements, m_count, m_memMgr);
    }
    ReceivedArray(const ReceivedArray&) = delete;
    ReceivedArray& operator=(const ReceivedArray&) = delete;
    const T* begin() const noexcept { return m_elements; }
    const T* end() const noexcept { return m_elements + m_count; }

private:
    ATL::IAtlMemMgr* m_memMgr;
    T* m_elements = nullptr;
    ULONG m_count = 0;
};

// The reply's event chain: absent.
std::string Finish(ReplyWriter& reply) {
    reply.Out().WritePresentFlag(false);
    return reply.Bytes();
}

StoredBlock ToStored(const _blockdescriptor& descriptor) {
    StoredBlock block;
    block.blockNumber = descriptor.blockNumber;
    const _datablockdescriptor* data = descriptor.pDataBlock;
    if (data == nullptr) return block;
    block.flags = data->Flags;
    block.lowHash = data->lowBlockHash;
    block.highHash = data->highBlockHash;
    block.dataSize = data->dataSize;
    block.crc = data->Crc;
    ULONG run = data->dataSize & 0xFFFFu;  // the codec carries size + 4 bytes of the low 16 bits
    if (run != 0 && data->pBlockData != nullptr) {
        block.data.assign(data->pBlockData, data->pBlockData + run + 4);
    }
    return block;
}

std::string CreatePhysicalFile(FileStore& store, CBinaryDeserializer& in) {
    Received<_fileobject> fileObject(in);
    in.ReadShort();  // buildTechnique
    LONG volumeId = in.ReadLong();
    SkipEvent(in);
    LONGLONG id = store.CreateFile(volumeId, (*fileObject).blocksize);
    ReplyWriter reply(S_OK);
    wire::Int64::Write(reply.Out(), id);
    return Finish(reply);
}

std::string WriteFileBlocks(FileStore& store, CBinaryDeserializer& in) {
    ReceivedArray<_blockdescriptor> blocks(in);
    in.ReadShort();  // buildTechnique
    SkipEvent(in);
    HRESULT result = S_OK;
    for (const _blockdescriptor& descriptor : blocks) {
        result =
            store.WriteBlock(descriptor.physicalFileID, descriptor.volumeID, ToStored(descriptor));
        if (FAILED(result)) break;
    }
    ReplyWriter reply(result);
    return Finish(reply);
}

std::string CompleteFileTransaction(FileStore& store, CBinaryDeserializer& in) {
    LONGLONG fileId = 0;
    wire::Int64::Read(in, fileId);
    LONG volumeId = in.ReadLong();
    LONG rev = in.ReadLong();
    SkipEvent(in);
    ReplyWriter reply(store.Complete(fileId, volumeId, rev));
    return Finish(reply);
}

// Writes blocks as the sized array of _blockdescriptor the client reads.
void WriteBlocks(CBinarySerializer& out, LONGLONG fileId, LONG volumeId, LONG rev,
                 const std::vector<const StoredBlock*>& blocks) {
    std::vector<_datablockdescriptor> data(blocks.size());
    std::vector<_blockdescriptor> descriptors(blocks.size());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const StoredBlock& block = *blocks[i];
        // No byte run is announced without bytes to send.
        ULONG size = block.data.empty() && (block.dataSize & 0xFFFFu) != 0 ? 0u : block.dataSize;
        data[i] =
            _datablockdescriptor{block.flags, block.lowHash, block.highHash,
                                 size,        block.crc,     const_cast<BYTE*>(block.data.data())};
        descriptors[i] = _blockdescriptor{
            fileId, static_cast<SHORT>(rev), volumeId, block.blockNumber, &data[i], nullptr};
    }
    wire::field::WriteArray<wire::RecordCodec<_blockdescriptor>>(
        out, descriptors.data(), static_cast<ULONG>(descriptors.size()));
}

std::string ReadFileBlocks(FileStore& store, CBinaryDeserializer& in) {
    LONG start = in.ReadLong();
    LONG count = in.ReadLong();
    LONG volumeId = in.ReadLong();
    LONGLONG fileId = 0;
    wire::Int64::Read(in, fileId);
    LONG rev = in.ReadLong();
    in.ReadShort();  // buildTechnique
    { ReceivedArray<_blockdescriptor> callerBuffer(in); }
    SkipEvent(in);
    std::vector<const StoredBlock*> blocks;
    HRESULT result = store.ReadBlocks(fileId, volumeId, rev, start, count, blocks);
    ReplyWriter reply(result);
    WriteBlocks(reply.Out(), fileId, volumeId, rev, blocks);
    return Finish(reply);
}

std::string ReadBlockHashes61(FileStore& store, CBinaryDeserializer& in) {
    LONG volumeId = in.ReadLong();
    LONGLONG fileId = 0;
    wire::Int64::Read(in, fileId);
    in.ReadShort();  // buildTechnique
    SkipEvent(in);
    std::vector<const StoredBlock*> blocks;
    HRESULT result = store.ListBlocks(fileId, volumeId, blocks);
    std::vector<_blockhash> hashes;
    for (const StoredBlock* block : blocks) hashes.push_back({block->lowHash, block->highHash});
    ReplyWriter reply(result);
    wire::field::WriteArray<wire::RecordCodec<_blockhash>>(reply.Out(), hashes.data(),
                                                           static_cast<ULONG>(hashes.size()));
    return Finish(reply);
}

struct StoreMethod {
    const char* name;
    std::string (*run)(FileStore&, CBinaryDeserializer&);
};

constexpr StoreMethod kStoreMethods[] = {
    {"CreatePhysicalFile", &CreatePhysicalFile},
    {"WriteFileBlocks", &WriteFileBlocks},
    {"CompleteFileTransaction", &CompleteFileTransaction},
    {"ReadFileBlocks", &ReadFileBlocks},
    {"ReadBlockHashes61", &ReadBlockHashes61},
};

}  // namespace

bool IsStoreMethod(const std::string& method) noexcept {
    for (const StoreMethod& entry : kStoreMethods) {
        if (method == entry.name) return true;
    }
    return false;
}

bool RunStoreCall(FileStore& store, const std::string& method, CBinaryDeserializer& in,
                  std::string& replyBody) {
    for (const StoreMethod& entry : kStoreMethods) {
        if (method == entry.name) {
            replyBody = entry.run(store, in);
            return true;
        }
    }
    return false;
}

}  // namespace ql::vault
