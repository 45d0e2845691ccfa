// Reads random reply bytes as a sequence of typical out-arguments. The
// first input byte chooses where in the sequence reading starts and whether
// the reply's length is known (as from memory or a Content-Length) or not (a
// chunked reply); the rest is the reply body. Every failure must be a
// CAtlException; every value read is used (strings to their terminator,
// arrays to their length) and written again, and must come out as the bytes
// it was read from; everything the reader allocated must be released again
// (LeakSanitizer checks). The reader's own limits keep memory in check: the
// fuzzer runs with a low malloc limit and the plain COM task allocator.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "catalogue/record_codecs.h"
#include "memory_read_stream.h"
#include "serialization/binary_serializer.h"
#include "serialization/marshal_holders.h"
#include "serialization/read_write_binary_stream.h"

namespace {

using namespace ql;

struct Reply {
    CBinaryDeserializer& in;
    test::MemoryReadStream& stream;
    const std::uint8_t* bytes;  // the reply body, header included
    ATL::IAtlMemMgr* memMgr;
};

[[noreturn]] void Finding() { __builtin_trap(); }

// A string is used to its terminator, which must sit at its length.
void Touch(BSTR text) {
    if (text == nullptr) return;
    UINT length = SysStringLen(text);
    UINT i = 0;
    while (text[i] != 0) ++i;
    if (i > length || text[length] != 0) Finding();
}
void Touch(const VARIANT& value) {
    if (value.vt == VT_BSTR) Touch(value.bstrVal);
}
template <class T>
void Touch(const T&) {}

// Writes again, with the reply's threshold, what write writes, and expects
// exactly the bytes the reader consumed since from (whole) or their last
// bytes (tail: an array's elements, whose head the reader may have cut).
template <class F>
void ExpectSameBytes(Reply& r, std::size_t from, bool tail, F&& write) {
    CReadWriteBinaryStream stream;
    CBinarySerializer out;
    out.SetHeader(r.in.Threshold(), r.in.Version());
    out.Attach(&stream);
    write(out);
    std::size_t written = stream.GetLength() - wire::kHeaderSize;
    std::size_t consumed = r.stream.Position() - from;
    if (written > consumed || (!tail && written != consumed)) Finding();
    if (std::memcmp(stream.GetBuffer() + wire::kHeaderSize, r.bytes + from + consumed - written,
                    written) != 0)
        Finding();
}

// Uses the first length elements and expects them as the tail of what was
// read since from.
template <class W>
void UseElements(Reply& r, std::size_t from, const typename W::type* elements, ULONG length) {
    for (ULONG i = 0; i < length; ++i) Touch(elements[i]);
    ExpectSameBytes(r, from, true, [&](CBinarySerializer& out) {
        if constexpr (W::kBlockElement) {
            out.WriteScalarBlock(elements, length, sizeof(typename W::type));
        } else {
            for (ULONG i = 0; i < length; ++i) W::Write(out, elements[i]);
        }
    });
}

// One value into a zeroed target, used and written again. A refused value
// leaves nothing behind (LeakSanitizer checks).
template <class W>
void Value(Reply& r) {
    const std::size_t from = r.stream.Position();
    typename W::type value;
    std::memset(static_cast<void*>(&value), 0, sizeof value);
    W::Read(r.in, value);
    Touch(value);
    ExpectSameBytes(r, from, false, [&](CBinarySerializer& out) { W::Write(out, value); });
    W::Release(value, r.memMgr);
}

// An array of the holder's own cell, freed by the holder.
template <class W>
void OwnArray(Reply& r) {
    const std::size_t from = r.stream.Position();
    ArrayHolder<W> holder(r.memMgr, nullptr, nullptr, nullptr, true);
    holder.Read(r.in);
    UseElements<W>(r, from, holder.Array(), holder.Length());
}

// A fixed buffer of eight, which must not be replaced.
void FixedArray(Reply& r) {
    const std::size_t from = r.stream.Position();
    LONGLONG fixed[8] = {};
    LONGLONG* cell = fixed;
    ULONG count = 8;
    ArrayHolder<wire::Int64>(r.memMgr, &cell, &count, nullptr, false).Read(r.in);
    if (cell != fixed || count > 8) Finding();
    UseElements<wire::Int64>(r, from, fixed, count);
}

void ByteBlock(Reply& r) {
    const std::size_t from = r.stream.Position();
    ULONG size = r.in.ReadULong();
    BYTE* data = nullptr;
    r.in.ReadByteBlock(size, data);  // a refused block leaves nothing behind
    ExpectSameBytes(r, from, false, [&](CBinarySerializer& out) {
        out.WriteULong(size);
        out.WriteByteBlock(size, data);
    });
    r.memMgr->Free(data);
}

// A list of records, each owning a string and an array.
void List(Reply& r) {
    auto holder =
        ParameterHolder<wire::Record<_filesystementry>>::ForCallerPointer(r.memMgr, nullptr);
    holder.Read(r.in);
    for (const _filesystementry* node = holder.Pointee(); node != nullptr;
         node = node->pNextFileSystemEntry) {
        Touch(node->Name);
        _filebackuphistory backup;
        for (ULONG i = 0; i < node->numBackups; ++i)
            std::memcpy(&backup, node->pBackupList + i, sizeof backup);
    }
}

constexpr void (*kSteps[])(Reply&) = {
    Value<wire::Long>,
    Value<wire::ULong>,
    Value<wire::Short>,
    Value<wire::UShort>,
    Value<wire::Int64>,
    Value<wire::Bstr>,
    Value<wire::Guid>,
    Value<wire::SystemTime>,
    Value<wire::Variant>,
    OwnArray<wire::Bstr>,
    FixedArray,
    OwnArray<wire::Guid>,
    ByteBlock,
    List,
};
constexpr int kStepCount = sizeof kSteps / sizeof kSteps[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    int start = data[0] % kStepCount;
    bool lengthKnown = (data[0] & 0x80) == 0;
    test::MemoryReadStream stream(data + 1, size - 1);
    {
        CBinaryDeserializer in(SharedMemMgr());
        Reply reply{in, stream, data + 1, SharedMemMgr()};
        try {
            if (lengthKnown)
                in.Attach(&stream, size - 1);
            else
                in.Attach(&stream);
            for (int i = 0; i < kStepCount; ++i) kSteps[(start + i) % kStepCount](reply);
        } catch (const ATL::CAtlException&) {
        }
    }
    if (stream.References() != 0) __builtin_trap();  // the reader must let go of the reply
    return 0;
}
