// What the reader and writer refuse, and what they release, when a reply or
// a caller's arguments are not what they should be.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "catalogue/record_codecs.h"
#include "codec_test_util.h"
#include "generated_call_test.h"
#include "memory_read_stream.h"
#include "proxies/call_arguments.h"
#include "serialization/marshal_holders.h"
#include "serialization/wire_limits.h"
#include "support/base/hresults.h"

namespace ql {
namespace {

using test::Bytes;
using test::Reply;
using test::ThrownBy;

// A reply read either with its length known (as from memory or a
// Content-Length) or as a stream of unknown length (a chunked reply).
struct Reader {
    Reader(const Bytes& body, bool lengthKnown)
        : reply(body), stream(reply.data(), reply.size()), in(&memMgr) {
        in.Attach(&stream, lengthKnown ? reply.size() : CBinaryDeserializer::kUnknownLength);
    }
    Bytes reply;
    test::MemoryReadStream stream;
    test::CountingMemMgr memMgr;
    CBinaryDeserializer in;
};

TEST(ReaderLimits, StringsMustBeWholeCharactersEndingInTheirTerminator) {
    const struct {
        const char* payload;
        HRESULT result;
    } cases[] = {
        {"03000000 410000", E_INVALIDARG},          // odd byte count
        {"05000000 4100 0000 00", E_INVALIDARG},    // odd, its last whole character zero
        {"04000000 41004200", E_INVALIDARG},        // no terminator
        {"06000000 4100 4200 0043", E_INVALIDARG},  // half a terminator
        {"06000000 4100 4200 00", hr::kReadFault},  // cut inside the terminator
    };
    for (bool known : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.payload) + (known ? " (length known)" : ""));
            Reader reply(Reply(255, c.payload), known);
            BSTR target = SysAllocString(OLESTR("old"));
            EXPECT_EQ(ThrownBy([&] { reply.in.ReadBstr(target); }), c.result);
            EXPECT_EQ(target, nullptr);
        }
    }
}

// Reads one value of the kind named and frees it. A failed read leaves no
// string or block behind; an array's holder frees what it allocated
// (LeakSanitizer watches).
HRESULT ReadOne(Reader& reply, const std::string& what) {
    BSTR text = nullptr;
    BYTE* data = nullptr;
    HRESULT result = ThrownBy([&] {
        if (what == "string") {
            reply.in.ReadBstr(text);
        } else if (what == "byte block") {
            reply.in.ReadByteBlock(reply.in.ReadULong(), data);
        } else if (what == "string array") {
            ArrayHolder<wire::Bstr>(&reply.memMgr, nullptr, nullptr, nullptr, true).Read(reply.in);
        } else {
            ArrayHolder<wire::Long>(&reply.memMgr, nullptr, nullptr, nullptr, true).Read(reply.in);
        }
    });
    if (FAILED(result)) {
        EXPECT_EQ(text, nullptr);
        EXPECT_EQ(data, nullptr);
    }
    SysFreeString(text);
    reply.memMgr.Free(data);
    return result;
}

TEST(ReaderLimits, AnnouncedSizesAreRefusedBeforeAllocatingWhatHasNotArrived) {
    const std::string hundred(200, '5');  // 100 bytes after the announcement
    const struct {
        const char* what;
        std::string payload;
        bool lengthKnown;
        HRESULT result;
        std::size_t largest;  // the largest allocation allowed
    } cases[] = {
        // Sizes beyond a known reply length: nothing is allocated.
        {"string", "FEFFFF7F 4100", true, hr::kReadFault, 0},
        {"byte block", "F0FFFF7F 00000000", true, hr::kReadFault, 0},
        {"long array", "FFFFFF0F FFFFFF0F 01000000", true, hr::kReadFault, 0},
        {"string array", "FFFFFF0F FFFFFF0F 00000000", true, hr::kReadFault, 0},
        // Capacity beyond the length carries no data: bounded slack only.
        {"long array", "FFFFFF0F 00000000", true, E_INVALIDARG, 0},
        // Without a reply length memory grows only as data arrives.
        {"long array", "FFFFFF3F FFFFFF3F " + hundred, false, hr::kReadFault, wire::kReadStepBytes},
        {"byte block", "F0FFFF7F " + hundred, false, hr::kReadFault, 0},
        {"string", "FEFFFF7F " + hundred, false, hr::kReadFault, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + c.payload.substr(0, 30));
        Reader reply(Reply(255, c.payload), c.lengthKnown);
        EXPECT_EQ(ReadOne(reply, c.what), c.result);
        // Strings are allocated by the string allocator, not the memory
        // manager; they take the same announced-run path as byte blocks.
        if (std::string(c.what) == "string") continue;
        EXPECT_LE(reply.memMgr.lastSize, c.largest);
        EXPECT_EQ(reply.memMgr.reallocations, 0);
    }
}

TEST(ReaderLimits, WithoutAReplyLengthHonestLargeValuesArriveWhole) {
    const ULONG count = static_cast<ULONG>(3 * wire::kReadStepBytes / sizeof(LONG) + 5);
    test::Wire longs(255);
    longs.ArrayHead(count, count);
    for (ULONG i = 0; i < count; ++i) longs.Put(test::Le(i * 7, 4));
    Reader reply(Reply(255, longs.bytes), false);
    LONG* elements = nullptr;
    ULONG length = 0;
    ArrayHolder<wire::Long>(&reply.memMgr, &elements, &length, nullptr, true).Read(reply.in);
    ASSERT_EQ(length, count);
    for (ULONG i = 0; i < count; i += 9973) ASSERT_EQ(elements[i], static_cast<LONG>(i * 7));
    EXPECT_EQ(elements[count - 1], static_cast<LONG>((count - 1) * 7));
    reply.memMgr.Free(elements);

    std::u16string big(3 * wire::kReadStepBytes / 2 + 3, u'q');
    Reader text(Reply(255, test::Wire(255).Bstr(big).bytes), false);
    BSTR read = nullptr;
    text.in.ReadBstr(read);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(SysStringLen(read), big.size());
    EXPECT_EQ(test::BstrText(read), big);
    SysFreeString(read);
}

// A caller's negative LONG count arrives as 2^31 or more; the head check
// that refuses it is shared by every kind of element.
TEST(ReaderLimits, NegativeCallerCountsAreRefusedBeforeAnythingIsWritten) {
    BSTR strings[2] = {SysAllocString(OLESTR("a")), SysAllocString(OLESTR("b"))};
    BSTR* array = strings;
    LONG count = -1;
    test::Writer w(255);
    ArrayHolder<wire::Bstr> sent(SharedMemMgr(), &array, reinterpret_cast<ULONG*>(&count), nullptr,
                                 false);
    EXPECT_EQ(ThrownBy([&] { sent.Write(w.out); }), E_INVALIDARG);
    EXPECT_EQ(w.Body(), "");

    // A negative [in,out] count describes no array to refill either.
    Reader reply(Reply(255, "01000000 01000000 04000000 41000000"), true);
    ArrayHolder<wire::Bstr> holder(&reply.memMgr, &array, reinterpret_cast<ULONG*>(&count), nullptr,
                                   true);
    EXPECT_EQ(ThrownBy([&] { holder.Read(reply.in); }), E_INVALIDARG);
    EXPECT_EQ(array, strings);
    SysFreeString(strings[0]);
    SysFreeString(strings[1]);
}

// The caller's buffer is uninitialised: releasing its elements would free
// garbage pointers. More than it holds is refused, and still nothing is
// released.
TEST(ReaderLimits, FixedBufferWithoutCountReleasesNothingOfTheCaller) {
    _rnsm_filedescriptor buffer[4];
    std::memset(buffer, 0xAB, sizeof buffer);
    const std::pair<const char*, HRESULT> cases[] = {{"00000000 00000000", S_OK},
                                                     {"04000000 00000000", S_OK},
                                                     {"05000000 05000000", hr::kInvalidUserBuffer}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        Reader reply(Reply(255, c.first), true);
        auto arg = call::RecvArrayFixed<wire::Record<_rnsm_filedescriptor>>(
            buffer, nullptr, call::Capacity(4), true);
        arg.Prepare(&reply.memMgr);
        EXPECT_EQ(ThrownBy([&] { arg.Read(reply.in); }), c.second);
        arg.Finish();
        EXPECT_EQ(reply.memMgr.lastSize, 0u);
    }
}

using ReaderLimitsCall = test::GeneratedCallTest;

TEST_F(ReaderLimitsCall, InOutArrayWithoutCountNeverShrinksAndReleasesWhatItDrops) {
    auto* itf = QueryFamily<IDSFileSystem_62>(IID_IDSFileSystem);
    // Two matches the caller sends, each owning a list of physical files.
    _hashsize hashes[2] = {};
    LONG count = 2;
    auto* matches = test::AllocZeroed<_hashmatch>(2);
    for (int i = 0; i < 2; ++i) {
        matches[i].numMatches = 1;
        matches[i].pPhysicalFileList = test::AllocZeroed<_physicalfilehash>(1);
    }
    // The reply: no hashes, and a match array of capacity 1, length 0.
    Bytes reply = ReplyHead(S_OK);
    test::AppendBytes(reply, test::Hex("00000000 00000000  01000000 00000000  00000000"));
    Transport().ExpectAnyCall(reply);
    EXPECT_EQ(S_OK, itf->ReadDateTimeMatches(hashes, &count, &matches, nullptr));
    // Both elements are still there (AddressSanitizer checks the second),
    // emptied; their lists were released (LeakSanitizer checks).
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(matches[i].pPhysicalFileList, nullptr);
        EXPECT_EQ(matches[i].numMatches, 0u);
    }
    CoTaskMemFree(matches);
    itf->Release();
}

}  // namespace
}  // namespace ql
