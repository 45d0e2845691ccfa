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

TEST(FileStoreTest, BacksUpCommitsReadsBackAndRefusesWhatDoesNotFitTheSequence) {
    FileStore store;
    LONGLONG id = store.CreateFile(1, 512);
    for (LONG n : {2, 0, 1, 3}) EXPECT_EQ(S_OK, store.WriteBlock(id, 1, Block(n)));
    std::vector<const StoredBlock*> blocks;
    struct Step {
        const char* name;
        HRESULT expected;
        HRESULT actual;
        std::vector<LONG> found = {};  // the blocks the call left in blocks
        std::vector<LONG> numbers = {};
    };
    // Run in order (a braced list is evaluated left to right).
    const Step steps[] = {
        {"unknown file", kNoSuchFile, store.WriteBlock(id + 1, 1, Block(0))},
        {"other volume", kNoSuchFile, store.WriteBlock(id, 2, Block(0))},
        {"negative block", kBadArgument, store.WriteBlock(id, 1, Block(-1))},
        {"read before commit", kNoSuchFile, store.ReadBlocks(id, 1, 3, 0, 4, blocks)},
        {"list before commit", kNoSuchFile, store.ListBlocks(id, 1, blocks)},
        {"complete unknown", kNoSuchFile, store.Complete(id + 1, 1, 3)},
        {"commit", S_OK, store.Complete(id, 1, 3)},
        {"commit again, same rev", S_OK, store.Complete(id, 1, 3)},
        {"commit again, other rev", kBadArgument, store.Complete(id, 1, 4)},
        {"write after commit", kBadArgument, store.WriteBlock(id, 1, Block(4))},
        {"read a range", S_OK, store.ReadBlocks(id, 1, 3, 1, 2, blocks), Numbers(blocks), {1, 2}},
        {"read other rev", kNoSuchFile, store.ReadBlocks(id, 1, 4, 0, 1, blocks), Numbers(blocks)},
        {"list", S_OK, store.ListBlocks(id, 1, blocks), Numbers(blocks), {0, 1, 2, 3}},
        {"negative count", kBadArgument, store.ReadBlocks(id, 1, 3, 0, -1, blocks),
         Numbers(blocks)},
        {"read past the end", S_OK, store.ReadBlocks(id, 1, 3, 4, 5, blocks), Numbers(blocks)},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_EQ(step.expected, step.actual);
        EXPECT_EQ(step.numbers, step.found);
    }
    EXPECT_EQ(2, store.CreateFile(1, 512));
}

}  // namespace
}  // namespace ql::vault
