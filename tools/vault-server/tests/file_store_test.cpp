#include "file_store.h"

#include <gtest/gtest.h>

namespace ql::vault {
namespace {

StoredBlock Block(LONG number) {
    StoredBlock block;
    block.blockNumber = number;
    return block;
}

std::vector<LONG> Numbers(const std::vector<const StoredBlock*>& blocks) {
    std::vector<LONG> numbers;
    for (const StoredBlock* block : blocks) numbers.push_back(block->blockNumber);
    return numbers;
}

TEST(FileStoreTest, BackUpReadBackAndList) {
    FileStore store;
    LONGLONG id = store.CreateFile(7, 4096);
    for (LONG n : {2, 0, 1, 3}) EXPECT_EQ(S_OK, store.WriteBlock(id, 7, Block(n)));
    std::vector<const StoredBlock*> blocks;
    // Nothing is visible before the revision is committed.
    EXPECT_EQ(kNoSuchFile, store.ReadBlocks(id, 7, 1, 0, 4, blocks));
    EXPECT_EQ(kNoSuchFile, store.ListBlocks(id, 7, blocks));
    EXPECT_EQ(S_OK, store.Complete(id, 7, 1));

    EXPECT_EQ(S_OK, store.ReadBlocks(id, 7, 1, 1, 2, blocks));
    EXPECT_EQ((std::vector<LONG>{1, 2}), Numbers(blocks));
    EXPECT_EQ(S_OK, store.ListBlocks(id, 7, blocks));
    EXPECT_EQ((std::vector<LONG>{0, 1, 2, 3}), Numbers(blocks));
}

TEST(FileStoreTest, RefusesWhatDoesNotFitTheSequence) {
    FileStore store;
    LONGLONG id = store.CreateFile(1, 512);
    std::vector<const StoredBlock*> blocks;
    struct Case {
        const char* name;
        HRESULT expected;
        HRESULT actual;
    };
    const Case before[] = {
        {"unknown file", kNoSuchFile, store.WriteBlock(id + 1, 1, Block(0))},
        {"other volume", kNoSuchFile, store.WriteBlock(id, 2, Block(0))},
        {"negative block", kBadArgument, store.WriteBlock(id, 1, Block(-1))},
        {"complete unknown", kNoSuchFile, store.Complete(id + 1, 1, 1)},
        {"commit", S_OK, store.Complete(id, 1, 3)},
        {"commit again, same rev", S_OK, store.Complete(id, 1, 3)},
        {"commit again, other rev", kBadArgument, store.Complete(id, 1, 4)},
        {"write after commit", kBadArgument, store.WriteBlock(id, 1, Block(0))},
        {"read other rev", kNoSuchFile, store.ReadBlocks(id, 1, 4, 0, 1, blocks)},
        {"negative count", kBadArgument, store.ReadBlocks(id, 1, 3, 0, -1, blocks)},
        {"read empty file", S_OK, store.ReadBlocks(id, 1, 3, 0, 5, blocks)},
    };
    for (const Case& c : before) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, c.actual);
    }
    EXPECT_TRUE(blocks.empty());
    EXPECT_EQ(2, store.CreateFile(1, 512));
}

}  // namespace
}  // namespace ql::vault
