// A descriptor that names no open file is refused as an invalid handle.
#include <gtest/gtest.h>

#include "support/shared_state/shared_memory.h"

namespace ql {
namespace {

TEST(SharedMemoryPosix, ClosedDescriptorIsAnInvalidHandle) {
    CTqlSharedMemory closed;
    EXPECT_EQ(closed.Create(nullptr, 10, nullptr, nullptr, nullptr, FALSE,
                            TqlHandleFromDescriptor(12345)),
              6u);
    EXPECT_FALSE(closed.IsCreated());
}

}  // namespace
}  // namespace ql
