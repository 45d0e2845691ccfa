#include "serialization/marshal_holders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "bytes.h"
#include "scripted_transport.h"
#include "serialization/read_write_binary_stream.h"
#include "support/hresults.h"
#include "support/unique_bstr.h"
#include "support/wide_string.h"

namespace ql {
namespace {

using test::Bytes;

std::string H(const char* text) { return test::ToHex(test::Hex(text)); }

template <class F>
HRESULT ThrownBy(F&& action) {
    try {
        action();
    } catch (const ATL::CAtlException& e) {
        return e.Result();
    }
    return S_OK;
}

Bytes Reply(const char* payload, LONG threshold = 255) {
    Bytes body = test::StreamHeader(12, wire::kProtocolVersion, threshold);
    test::AppendBytes(body, test::Hex(payload));
    return body;
}

std::string Text(BSTR value) { return ToUtf8(WStringView(value, SysStringLen(value))); }

struct Writer {
    explicit Writer(LONG threshold) {
        out.SetHeader(threshold, wire::kProtocolVersion);
        out.Attach(&stream);
    }
    std::string Body() const {
        return test::ToHex(
            Bytes(stream.GetBuffer() + wire::kHeaderSize, stream.GetBuffer() + stream.GetLength()));
    }
    CReadWriteBinaryStream stream;
    CBinarySerializer out;
};

// The COM task allocator with counts. Fresh memory, including what growth
// adds, is filled with 0xCD so that missing zeroing shows.
class CountingMemMgr final : public ATL::IAtlMemMgr {
public:
    void* Allocate(std::size_t bytes) override {
        ++allocations;
        return Fresh(bytes);
    }
    void Free(void* block) override {
        if (block == nullptr) return;
        ++frees;
        m_sizes.erase(block);
        CoTaskMemFree(block);
    }
    void* Reallocate(void* block, std::size_t bytes) override {
        ++reallocations;
        auto known = m_sizes.find(block);
        if (known == m_sizes.end()) return CoTaskMemRealloc(block, bytes);
        void* grown = Fresh(bytes);
        std::memcpy(grown, block, std::min(bytes, known->second));
        m_sizes.erase(known);
        CoTaskMemFree(block);
        return grown;
    }

    int allocations = 0;
    int reallocations = 0;
    int frees = 0;

private:
    void* Fresh(std::size_t bytes) {
        void* block = CoTaskMemAlloc(bytes);
        std::memset(block, 0xCD, bytes);
        m_sizes[block] = bytes;
        return block;
    }
    std::map<void*, std::size_t> m_sizes;
};

const GUID kGuid = {0x7DAEE74C, 0xCC99, 0x4443, {0xAE, 0xE2, 0xBE, 0xE1, 0xCF, 0xAB, 0x10, 0x3D}};

TEST(ParameterHolder, CallerPointerWritesPresenceAndPointee) {
    LONG value = 7;
    auto present = ParameterHolder<wire::Long>::ForCallerPointer(SharedMemMgr(), &value);
    auto absent = ParameterHolder<wire::Long>::ForCallerPointer(SharedMemMgr(), nullptr);
    Writer tagged(0);
    present.Write(tagged.out);
    absent.Write(tagged.out);
    EXPECT_EQ(tagged.Body(), H("00000000 11000000 01000000 13000000 07000000 "
                               "00000000 11000000 00000000"));
    Writer plain(255);
    present.Write(plain.out);
    absent.Write(plain.out);
    EXPECT_EQ(plain.Body(), H("01000000 07000000 00000000"));
}

TEST(ParameterHolder, CallerPointeeKeepsItsAddress) {
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    test::AttachReply(in, Reply("01000000 2A000000 00000000"));
    LONG value = 7;
    {
        auto holder = ParameterHolder<wire::Long>::ForCallerPointer(&memMgr, &value);
        holder.Read(in);
        EXPECT_EQ(holder.Pointee(), &value);
        EXPECT_EQ(value, 42);
        // An absent reply clears the caller's pointee but leaves it in place.
        holder.Read(in);
        EXPECT_EQ(holder.Pointee(), &value);
        EXPECT_EQ(value, 0);
    }
    EXPECT_EQ(memMgr.allocations, 0);
    EXPECT_EQ(memMgr.frees, 0);

    // What the pointee owned is released before it is cleared.
    CBinaryDeserializer strings(&memMgr);
    test::AttachReply(strings, Reply("00000000"));
    BSTR text = SysAllocString(OLESTR("old"));
    {
        auto holder = ParameterHolder<wire::Bstr>::ForCallerPointer(&memMgr, &text);
        holder.Read(strings);
        EXPECT_EQ(holder.Pointee(), &text);
    }
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(memMgr.frees, 0);
}

TEST(ParameterHolder, TemporaryForNullCallerPointerIsFreed) {
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    test::AttachReply(in, Reply("01000000 04000000 41000000"));
    {
        auto holder = ParameterHolder<wire::Bstr>::ForCallerPointer(&memMgr, nullptr);
        holder.Read(in);
        ASSERT_NE(holder.Pointee(), nullptr);
        EXPECT_EQ(Text(*holder.Pointee()), "A");
        EXPECT_EQ(memMgr.allocations, 1);
        // Moving hands the temporary over; only the last holder frees it.
        ParameterHolder<wire::Bstr> moved(std::move(holder));
        EXPECT_EQ(holder.Pointee(), nullptr);
        EXPECT_EQ(Text(*moved.Pointee()), "A");
    }
    EXPECT_EQ(memMgr.frees, 1);
}

TEST(ParameterHolder, PointerVariableIsReplacedOrFreed) {
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    test::AttachReply(in, Reply("00000000 01000000 09000000 01000000 0A000000"));

    // Absent: the caller's pointee is freed and the variable nulled.
    auto* variable = static_cast<LONG*>(memMgr.Allocate(sizeof(LONG)));
    *variable = 5;
    {
        auto holder = ParameterHolder<wire::Long>::ForPointerVariable(&memMgr, &variable);
        holder.Read(in);
    }
    EXPECT_EQ(variable, nullptr);
    EXPECT_EQ(memMgr.frees, 1);

    // Present with a null variable: a zeroed pointee that stays with the caller.
    {
        auto holder = ParameterHolder<wire::Long>::ForPointerVariable(&memMgr, &variable);
        holder.Read(in);
    }
    ASSERT_NE(variable, nullptr);
    EXPECT_EQ(*variable, 9);
    EXPECT_EQ(memMgr.allocations, 2);
    EXPECT_EQ(memMgr.frees, 1);

    // Present with a pointee: filled in place.
    LONG* before = variable;
    {
        auto holder = ParameterHolder<wire::Long>::ForPointerVariable(&memMgr, &variable);
        holder.Read(in);
    }
    EXPECT_EQ(variable, before);
    EXPECT_EQ(*variable, 10);
    memMgr.Free(variable);

    // A string pointee is released along with its cell.
    CBinaryDeserializer strings(&memMgr);
    test::AttachReply(strings, Reply("00000000"));
    auto* text = static_cast<BSTR*>(memMgr.Allocate(sizeof(BSTR)));
    *text = SysAllocString(OLESTR("old"));
    {
        auto holder = ParameterHolder<wire::Bstr>::ForPointerVariable(&memMgr, &text);
        holder.Read(strings);
    }
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(memMgr.allocations, memMgr.frees);
}

TEST(ArrayHolder, WritesCapacityLengthAndElements) {
    LONG longs[3] = {1, 2, 3};
    LONG* longArray = longs;
    ULONG capacity = 3;
    ULONG length = 2;
    ArrayHolder<wire::Long> separate(SharedMemMgr(), &longArray, &capacity, &length, false);
    Writer tagged(0);
    separate.Write(tagged.out);
    EXPECT_EQ(tagged.Body(), H("01000000 11000000 03000000 11000000 02000000 "
                               "10000000 01000000 02000000"));
    Writer plain(255);
    separate.Write(plain.out);
    separate.WriteWithLength(plain.out, 0);
    EXPECT_EQ(plain.Body(), H("03000000 02000000 01000000 02000000 03000000 00000000"));

    // One count for both: the capacity written is the length.
    LONGLONG int64s[2] = {-1, 2};
    LONGLONG* int64Array = int64s;
    ULONG count = 2;
    ArrayHolder<wire::Int64> shared(SharedMemMgr(), &int64Array, &count, nullptr, false);
    Writer runs(0);
    shared.Write(runs.out);
    EXPECT_EQ(runs.Body(), H("01000000 11000000 02000000 11000000 02000000 "
                             "10000000 FFFFFFFFFFFFFFFF 0200000000000000"));

    // Strings and GUIDs go one by one, each with its own tag.
    CUniqueBstr a(SysAllocString(OLESTR("A")));
    BSTR strings[2] = {a.Get(), nullptr};
    BSTR* stringArray = strings;
    ULONG stringCount = 2;
    ArrayHolder<wire::Bstr> texts(SharedMemMgr(), &stringArray, &stringCount, nullptr, false);
    Writer textOut(0);
    texts.Write(textOut.out);
    EXPECT_EQ(textOut.Body(), H("01000000 11000000 02000000 11000000 02000000 "
                                "40000000 11000000 04000000 10000000 41000000 "
                                "40000000 11000000 00000000"));

    GUID guids[1] = {kGuid};
    GUID* guidArray = guids;
    ULONG guidCount = 1;
    ArrayHolder<wire::Guid> ids(SharedMemMgr(), &guidArray, &guidCount, nullptr, false);
    Writer guidOut(0);
    ids.Write(guidOut.out);
    EXPECT_EQ(guidOut.Body(), H("01000000 11000000 01000000 11000000 01000000 "
                                "60000000 4CE7AE7D 99CC 4344 AEE2BEE1CFAB103D"));

    Writer refused(255);
    LONG* none = nullptr;
    ULONG noneCount = 0;
    ArrayHolder<wire::Long> empty(SharedMemMgr(), &none, &noneCount, nullptr, false);
    EXPECT_EQ(ThrownBy([&] { empty.WriteWithLength(refused.out, 1); }), E_POINTER);
}

TEST(ArrayHolder, NullArrayStartsWithZeroCounts) {
    LONG* array = nullptr;
    ULONG capacity = 7;
    ULONG length = 5;
    ArrayHolder<wire::Long> holder(SharedMemMgr(), &array, &capacity, &length, true);
    EXPECT_EQ(capacity, 0u);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(holder.Capacity(), 0u);
}

TEST(ArrayHolder, ReadsInPlaceWhenCapacitySuffices) {
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    // Capacity 2 with a length of 5: the length is cut to 2.
    test::AttachReply(in, Reply("02000000 05000000 0A000000 0B000000"));
    LONG elements[4] = {};
    LONG* array = elements;
    ULONG capacity = 4;
    ULONG length = 0;
    ArrayHolder<wire::Long> holder(&memMgr, &array, &capacity, &length, false);
    holder.Read(in);
    EXPECT_EQ(array, elements);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(holder.Length(), 2u);
    EXPECT_EQ(elements[0], 10);
    EXPECT_EQ(elements[1], 11);
    EXPECT_EQ(capacity, 4u);
    EXPECT_EQ(memMgr.allocations + memMgr.reallocations, 0);
}

TEST(ArrayHolder, GrowsOnlyWhenAllowed) {
    EXPECT_EQ(static_cast<ULONG>(hr::kInvalidUserBuffer), 0x800706F8u);
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    test::AttachReply(in, Reply("06000000 01000000 01000000"));
    LONG fixed[2] = {9, 9};
    LONG* fixedArray = fixed;
    ULONG fixedCount = 2;
    ArrayHolder<wire::Long> refusing(&memMgr, &fixedArray, &fixedCount, nullptr, false);
    EXPECT_EQ(ThrownBy([&] { refusing.Read(in); }), hr::kInvalidUserBuffer);
    EXPECT_EQ(fixedArray, fixed);
    EXPECT_EQ(memMgr.allocations + memMgr.reallocations, 0);

    test::AttachReply(in, Reply("06000000 01000000 01000000"));
    auto* array = static_cast<LONG*>(memMgr.Allocate(2 * sizeof(LONG)));
    array[0] = array[1] = 9;
    ULONG capacity = 2;
    ULONG length = 2;
    {
        ArrayHolder<wire::Long> growing(&memMgr, &array, &capacity, &length, true);
        growing.Read(in);
        EXPECT_EQ(growing.Capacity(), 6u);
    }
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

TEST(ArrayHolder, OversizedCapacityIsRefusedBeforeAllocation) {
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    // 2^30 elements of 8 bytes, then of 4 bytes: both pass 4 GiB.
    test::AttachReply(in, Reply("00000040 00000000 00000040 00000000"));
    ArrayHolder<wire::Int64> int64s(&memMgr, nullptr, nullptr, nullptr, true);
    EXPECT_EQ(ThrownBy([&] { int64s.Read(in); }), E_INVALIDARG);
    EXPECT_EQ(int64s.Array(), nullptr);
    ArrayHolder<wire::Long> longs(&memMgr, nullptr, nullptr, nullptr, true);
    EXPECT_EQ(ThrownBy([&] { longs.Read(in); }), E_INVALIDARG);
    EXPECT_EQ(memMgr.allocations + memMgr.reallocations, 0);
}

TEST(ArrayHolder, StringElementsAreReleasedBeforeReading) {
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    test::AttachReply(in, Reply("02000000 01000000 04000000 5A000000"));
    auto* array = static_cast<BSTR*>(memMgr.Allocate(2 * sizeof(BSTR)));
    array[0] = SysAllocString(OLESTR("old0"));
    array[1] = SysAllocString(OLESTR("old1"));
    BSTR* before = array;
    ULONG capacity = 2;
    ULONG length = 2;
    {
        ArrayHolder<wire::Bstr> holder(&memMgr, &array, &capacity, &length, true);
        holder.Read(in);
    }
    EXPECT_EQ(array, before);
    EXPECT_EQ(length, 1u);
    EXPECT_EQ(Text(array[0]), "Z");
    EXPECT_EQ(array[1], nullptr);
    SysFreeString(array[0]);
    memMgr.Free(array);
}

TEST(ArrayHolder, OwnArrayIsFreedWithItsElements) {
    CountingMemMgr memMgr;
    CBinaryDeserializer in(&memMgr);
    test::AttachReply(in, Reply("03000000 02000000 04000000 41000000 04000000 42000000"));
    {
        ArrayHolder<wire::Bstr> holder(&memMgr, nullptr, nullptr, nullptr, false);
        holder.Read(in);
        ASSERT_NE(holder.Array(), nullptr);
        EXPECT_EQ(holder.Length(), 2u);
        EXPECT_EQ(Text(holder.Array()[0]), "A");
        EXPECT_EQ(Text(holder.Array()[1]), "B");
        EXPECT_EQ(holder.Array()[2], nullptr);
    }
    EXPECT_EQ(memMgr.allocations, 1);
    EXPECT_EQ(memMgr.frees, 1);
}

}  // namespace
}  // namespace ql
