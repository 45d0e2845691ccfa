#include "support/platform/valid_ptr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "trace_recorder.h"

namespace ql {
namespace {

const char kReadOnlyText[] = "constant data lives in read-only pages";

TEST(ValidPtr, NullIsNeverValidAndNotTraced) {
    test::TraceRecorder traces;
    EXPECT_FALSE(TqlIsValidPtr(nullptr, 1, kTqlReadableProtections));
    EXPECT_FALSE(TqlIsValidPtr(nullptr, 0, 0xFFFFFFFF));
    EXPECT_TRUE(traces.Messages().empty());
}

TEST(ValidPtr, StackAndHeapMemoryIsReadableAndWritable) {
    int local = 0;
    auto heap = std::make_unique<char[]>(64);
    for (const void* pointer :
         {static_cast<const void*>(&local), static_cast<const void*>(heap.get())}) {
        EXPECT_TRUE(TqlIsValidPtr(pointer, 8, kTqlReadableProtections));
        EXPECT_TRUE(TqlIsValidPtr(pointer, 8, kTqlWritableProtections));
    }
}

TEST(ValidPtr, ConstantDataIsReadableButNotWritable) {
    EXPECT_TRUE(TqlIsValidPtr(kReadOnlyText, sizeof kReadOnlyText, kTqlReadableProtections));
    EXPECT_FALSE(TqlIsValidPtr(kReadOnlyText, sizeof kReadOnlyText, kTqlWritableProtections));
}

TEST(ValidPtr, ARangeLargerThanItsRegionIsRefused) {
    test::TraceRecorder traces;
    int local = 0;
    EXPECT_FALSE(TqlIsValidPtr(&local, ~SIZE_T{0} / 2, kTqlReadableProtections));
    EXPECT_TRUE(traces.Contains(") is less than cb"));
    // A size that wraps around the address space.
    EXPECT_FALSE(TqlIsValidPtr(&local, ~SIZE_T{0}, kTqlReadableProtections));
}

}  // namespace
}  // namespace ql
