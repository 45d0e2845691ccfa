// What the reader and writer refuse, and what they release, when a reply or
// a caller's arguments are not what they should be.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

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

// The COM task allocator, remembering the largest block asked for.
class PeakMemMgr final : public ATL::IAtlMemMgr {
public:
    void* Allocate(std::size_t bytes) override {
        largest = std::max(largest, bytes);
        return CoTaskMemAlloc(bytes);
    }
    void Free(void* block) override { CoTaskMemFree(block); }
    void* Reallocate(void* block, std::size_t bytes) override {
        largest = std::max(largest, bytes);
        return CoTaskMemRealloc(block, bytes);
    }
    std::size_t largest = 0;
};

// A reply read either with its length known (as from memory or a
// Content-Length) or as a stream of unknown length (a chunked reply).
class Reader {
public:
    Reader(const Bytes& reply, bool lengthKnown)
        : m_reply(reply), m_stream(m_reply.data(), m_reply.size()), in(&memMgr) {
        if (lengthKnown)
            in.Attach(&m_stream, m_reply.size());
        else
            in.Attach(&m_stream);
    }

private:
    Bytes m_reply;
    test::MemoryReadStream m_stream;

public:
    PeakMemMgr memMgr;
    CBinaryDeserializer in;
};

Bytes Payload(const std::string& hex) { return Reply(255, hex); }

Bytes LongArray(ULONG count) {
    Bytes body = Payload("");
    test::AppendBytes(body, test::Le(count, 4));
    test::AppendBytes(body, test::Le(count, 4));
    for (ULONG i = 0; i < count; ++i) test::AppendBytes(body, test::Le(i * 7, 4));
    return body;
}

TEST(ReaderLimits, StringsMustBeWholeCharactersEndingInTheirTerminator) {
    const struct {
        const char* payload;
        HRESULT result;
    } cases[] = {
        {"04000000 41000000", S_OK},
        {"03000000 410000", E_INVALIDARG},          // odd byte count
        {"04000000 41004200", E_INVALIDARG},        // no terminator
        {"06000000 4100 4200 0043", E_INVALIDARG},  // half a terminator
        {"06000000 4100 4200 00", hr::kReadFault},  // cut inside the terminator
    };
    for (bool known : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.payload) + (known ? " (length known)" : ""));
            Reader reply(Payload(c.payload), known);
            BSTR target = SysAllocString(OLESTR("old"));
            EXPECT_EQ(ThrownBy([&] { reply.in.ReadBstr(target); }), c.result);
            if (c.result == S_OK) {
                ASSERT_NE(target, nullptr);
                EXPECT_EQ(test::BstrText(target), u"A");
            } else {
                EXPECT_EQ(target, nullptr);
            }
            SysFreeString(target);
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
        Reader reply(Payload(c.payload), c.lengthKnown);
        EXPECT_EQ(ReadOne(reply, c.what), c.result);
        EXPECT_LE(reply.memMgr.largest, c.largest);
    }
}

TEST(ReaderLimits, WithoutAReplyLengthHonestLargeValuesArriveWhole) {
    const ULONG count = static_cast<ULONG>(3 * wire::kReadStepBytes / sizeof(LONG) + 5);
    Reader reply(LongArray(count), false);
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

// Writes an array of two elements whose caller count is -1.
template <class W>
HRESULT WriteWithNegativeCount(typename W::type (&elements)[2], std::string& written) {
    typename W::type* array = elements;
    LONG count = -1;
    ArrayHolder<W> holder(SharedMemMgr(), &array, reinterpret_cast<ULONG*>(&count), nullptr, false);
    test::Writer w(255);
    HRESULT result = ThrownBy([&] { holder.Write(w.out); });
    written = w.Body();
    return result;
}

TEST(ReaderLimits, NegativeCallerCountsAreRefusedBeforeAnythingIsWritten) {
    _scheduleinfo records[2] = {};
    BSTR strings[2] = {SysAllocString(OLESTR("a")), SysAllocString(OLESTR("b"))};
    GUID guids[2] = {test::kTestGuid, test::kTestGuid};
    std::string written;
    EXPECT_EQ(WriteWithNegativeCount<wire::Record<_scheduleinfo>>(records, written), E_INVALIDARG);
    EXPECT_EQ(written, "");
    EXPECT_EQ(WriteWithNegativeCount<wire::Bstr>(strings, written), E_INVALIDARG);
    EXPECT_EQ(written, "");
    EXPECT_EQ(WriteWithNegativeCount<wire::Guid>(guids, written), E_INVALIDARG);
    EXPECT_EQ(written, "");

    // A negative [in,out] count describes no array to refill either.
    Reader reply(Payload("01000000 01000000 04000000 41000000"), true);
    BSTR* array = strings;
    LONG count = -1;
    ArrayHolder<wire::Bstr> holder(&reply.memMgr, &array, reinterpret_cast<ULONG*>(&count), nullptr,
                                   true);
    EXPECT_EQ(ThrownBy([&] { holder.Read(reply.in); }), E_INVALIDARG);
    EXPECT_EQ(array, strings);
    SysFreeString(strings[0]);
    SysFreeString(strings[1]);
}

TEST(ReaderLimits, FixedBufferWithoutCountReleasesNothingOfTheCaller) {
    // The caller's buffer is uninitialised: releasing its elements would
    // free garbage pointers.
    _rnsm_filedescriptor buffer[4];
    std::memset(buffer, 0xAB, sizeof buffer);
    for (const char* payload : {"00000000 00000000", "04000000 00000000"}) {
        SCOPED_TRACE(payload);
        Reader reply(Payload(payload), true);
        auto arg = call::RecvArrayFixed<wire::Record<_rnsm_filedescriptor>>(
            buffer, nullptr, call::Capacity(4), true);
        arg.Prepare(&reply.memMgr);
        arg.Read(reply.in);
        arg.Finish();
        EXPECT_EQ(reply.memMgr.largest, 0u);
    }
    // More than the buffer holds is refused, and still nothing is released.
    Reader reply(Payload("05000000 05000000"), true);
    auto arg = call::RecvArrayFixed<wire::Record<_rnsm_filedescriptor>>(buffer, nullptr,
                                                                        call::Capacity(4), true);
    arg.Prepare(&reply.memMgr);
    EXPECT_EQ(ThrownBy([&] { arg.Read(reply.in); }), hr::kInvalidUserBuffer);
    arg.Finish();
}

using ReaderLimitsCall = test::GeneratedCallTest;

TEST_F(ReaderLimitsCall, FixedBufferWithNullCountThroughTheProxy) {
    auto* itf = QueryFamily<IDSFileSystemView_622>(IID_IDSFileSystemView);
    _rnsm_filedescriptor buffer[4];
    std::memset(buffer, 0xAB, sizeof buffer);
    Bytes reply = ReplyHead(S_OK);
    test::AppendBytes(reply, test::Hex("00000000 00000000  00000000 00000000  00000000"));
    Transport().ExpectAnyCall(reply);
    EXPECT_EQ(S_OK, itf->ReadFileTreeInfo(4, nullptr, buffer, nullptr, nullptr, nullptr));
    itf->Release();
}

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
