#include "serialization/marshal_holders.h"

#include <gtest/gtest.h>

#include <utility>

#include "codec_test_util.h"

namespace ql {
namespace {

using test::CountingMemMgr;
using test::H;
using test::ReplyReader;
using test::Text;
using test::ThrownBy;

// Reads the reply's next pointer into the caller's pointer variable.
template <class W>
void ReadIntoVariable(ReplyReader& reply, typename W::type*& variable) {
    ParameterHolder<W>::ForPointerVariable(&reply.memMgr, &variable).Read(reply.in);
}

TEST(ParameterHolder, TemporaryForNullCallerPointerIsFreedOnce) {
    ReplyReader reply(255, "01000000 04000000 41000000");
    {
        auto holder = ParameterHolder<wire::Bstr>::ForCallerPointer(&reply.memMgr, nullptr);
        holder.Read(reply.in);
        // Moving hands the temporary over; only the last holder frees it.
        ParameterHolder<wire::Bstr> moved(std::move(holder));
        EXPECT_EQ(holder.Pointee(), nullptr);
        EXPECT_EQ(Text(*moved.Pointee()), "A");
    }
    EXPECT_EQ(reply.memMgr.allocations, 1);
    EXPECT_EQ(reply.memMgr.frees, 1);
}

TEST(ParameterHolder, PointerVariableIsReplacedOrFreed) {
    ReplyReader reply(255, "00000000 01000000 09000000 01000000 0A000000 00000000");
    CountingMemMgr& memMgr = reply.memMgr;
    // Absent: the caller's pointee is freed and the variable nulled.
    auto* variable = static_cast<LONG*>(memMgr.Allocate(sizeof(LONG)));
    ReadIntoVariable<wire::Long>(reply, variable);
    EXPECT_EQ(variable, nullptr);
    EXPECT_EQ(memMgr.frees, 1);
    // Present with a null variable: a pointee that stays with the caller.
    ReadIntoVariable<wire::Long>(reply, variable);
    ASSERT_NE(variable, nullptr);
    EXPECT_EQ(*variable, 9);
    EXPECT_EQ(memMgr.frees, 1);
    // Present with a pointee: filled in place.
    LONG* before = variable;
    ReadIntoVariable<wire::Long>(reply, variable);
    EXPECT_EQ(variable, before);
    EXPECT_EQ(*variable, 10);
    memMgr.Free(variable);

    // A string pointee is released along with its cell.
    auto* text = static_cast<BSTR*>(memMgr.Allocate(sizeof(BSTR)));
    *text = SysAllocString(OLESTR("old"));
    ReadIntoVariable<wire::Bstr>(reply, text);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(memMgr.allocations, memMgr.frees);
}

TEST(ArrayHolder, WritesCapacityLengthAndElements) {
    LONG longs[3] = {1, 2, 3};
    LONG* longArray = longs;
    ULONG capacity = 3, length = 2;
    test::Writer w(255);
    ArrayHolder<wire::Long>(SharedMemMgr(), &longArray, &capacity, &length, false).Write(w.out);
    EXPECT_EQ(w.Body(), H("03000000 02000000 01000000 02000000"));

    // A null array starts with zero counts and cannot be written with a length.
    LONG* none = nullptr;
    ArrayHolder<wire::Long> empty(SharedMemMgr(), &none, &capacity, &length, true);
    EXPECT_EQ(capacity + length + empty.Capacity(), 0u);
    EXPECT_EQ(ThrownBy([&] { empty.WriteWithLength(w.out, 1); }), E_POINTER);
}

// A holder that may not grow refuses instead (ReaderLimits, fixed buffers).
TEST(ArrayHolder, GrowsTheCallersArrayAndZeroesTheTail) {
    ReplyReader reply(255, "06000000 01000000 01000000");
    CountingMemMgr& memMgr = reply.memMgr;
    auto* array = static_cast<LONG*>(memMgr.Allocate(2 * sizeof(LONG)));
    array[0] = array[1] = 9;
    ULONG capacity = 2, length = 2;
    ArrayHolder<wire::Long>(&memMgr, &array, &capacity, &length, true).Read(reply.in);
    EXPECT_EQ(memMgr.reallocations, 1);
    EXPECT_EQ(capacity, 6u);
    EXPECT_EQ(length, 1u);
    EXPECT_EQ(array[0], 1);
    // The grown tail is zeroed.
    for (int i = 2; i < 6; ++i) EXPECT_EQ(array[i], 0) << i;
    // The grown array is the caller's.
    EXPECT_EQ(memMgr.frees, 0);
    memMgr.Free(array);
}

}  // namespace
}  // namespace ql
