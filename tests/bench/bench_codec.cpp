// Figures for the body codec: a call with ten scalar arguments, bulk data
// (64 KiB byte blocks, a 10,000-element scalar array) next to memcpy of the
// same bytes, and building a 64 MiB request body.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "memory_read_stream.h"
#include "serialization/marshal_holders.h"
#include "serialization/read_write_binary_stream.h"
#include "support/shared_state/process_heap.h"

namespace {

using namespace ql;

constexpr ULONG kBlockData = 65536 - 4;  // a block's run is size + 4 bytes
constexpr ULONG kArrayElements = 10000;

// A request stream with the serializer bound to it, as BeginCall leaves it.
struct Request {
    CReadWriteBinaryStream stream;
    CBinarySerializer out;
    Request() { out.SetHeader(wire::kRequestTagThreshold, wire::kProtocolVersion); }
    void Begin() {
        stream.ResetBuffer();
        out.Attach(&stream);
    }
    std::vector<BYTE> Bytes() const {
        return std::vector<BYTE>(stream.GetBuffer(), stream.GetBuffer() + stream.GetLength());
    }
};

void WriteTenScalars(CBinarySerializer& out, int i) {
    out.WriteLong(i);
    out.WriteULong(static_cast<ULONG>(i));
    out.WriteShort(static_cast<SHORT>(i));
    out.WriteUShort(static_cast<USHORT>(i));
    wire::Int64::Write(out, i);
    wire::UInt64::Write(out, static_cast<ULONGLONG>(i));
    wire::UChar::Write(out, static_cast<BYTE>(i));
    wire::Char::Write(out, static_cast<CHAR>(i));
    wire::Int::Write(out, i);
    wire::UInt::Write(out, static_cast<UINT>(i));
}

void BM_EncodeTenScalars(benchmark::State& state) {
    Request request;
    int i = 0;
    for (auto _ : state) {
        request.Begin();
        WriteTenScalars(request.out, ++i);
        benchmark::DoNotOptimize(request.stream.GetBuffer());
    }
}
BENCHMARK(BM_EncodeTenScalars);

void BM_DecodeTenScalars(benchmark::State& state) {
    Request request;
    request.Begin();
    WriteTenScalars(request.out, 7);
    std::vector<BYTE> reply = request.Bytes();
    test::MemoryReadStream stream(reply.data(), reply.size());
    CBinaryDeserializer in(SharedMemMgr());
    for (auto _ : state) {
        stream.Rewind();
        in.Attach(&stream);
        LONGLONG big;
        ULONGLONG ubig;
        BYTE byte;
        CHAR ch;
        INT integer;
        UINT uinteger;
        benchmark::DoNotOptimize(in.ReadLong());
        benchmark::DoNotOptimize(in.ReadULong());
        benchmark::DoNotOptimize(in.ReadShort());
        benchmark::DoNotOptimize(in.ReadUShort());
        wire::Int64::Read(in, big);
        wire::UInt64::Read(in, ubig);
        wire::UChar::Read(in, byte);
        wire::Char::Read(in, ch);
        wire::Int::Read(in, integer);
        wire::UInt::Read(in, uinteger);
        benchmark::DoNotOptimize(big + ubig + byte + ch + integer + uinteger);
    }
    in.Detach();
}
BENCHMARK(BM_DecodeTenScalars);

// The floor for the decoders: memcpy of the same bytes into a block from
// the COM task allocator, which is where the reader puts them.
void BM_MemcpyAllocated(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::vector<BYTE> source(bytes, 0x5A);
    for (auto _ : state) {
        void* target = CoTaskMemAlloc(bytes);
        std::memcpy(target, source.data(), bytes);
        benchmark::DoNotOptimize(target);
        CoTaskMemFree(target);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_MemcpyAllocated)->Arg(65536)->Arg(kArrayElements * sizeof(LONG));

// A whole call carrying one block: a fresh body per call, as every request
// gets, compared with BM_MemcpyIntoFreshBody below.
void BM_EncodeByteBlock64K(benchmark::State& state) {
    std::vector<BYTE> data(kBlockData + 4, 0x5A);
    Request request;
    for (auto _ : state) {
        request.Begin();
        request.out.WriteULong(kBlockData);
        request.out.WriteByteBlock(kBlockData, data.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * (kBlockData + 4)));
}
BENCHMARK(BM_EncodeByteBlock64K);

// The floor for the encoders: memcpy of the same bytes into a fresh
// zero-filled block of the capacity the body stream takes for them.
void BM_MemcpyIntoFreshBody(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    const std::size_t unit = CReadWriteBinaryStream::kGrowthUnit;
    const std::size_t capacity = (bytes + 16 + unit - 1) / unit * unit;
    std::vector<BYTE> source(bytes, 0x5A);
    for (auto _ : state) {
        void* body = TqlAlloc(capacity);
        std::memcpy(static_cast<BYTE*>(body) + 16, source.data(), bytes);
        benchmark::DoNotOptimize(body);
        TqlFree(body);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_MemcpyIntoFreshBody)->Arg(65536)->Arg(kArrayElements * sizeof(LONG));

void BM_DecodeByteBlock64K(benchmark::State& state) {
    std::vector<BYTE> data(kBlockData + 4, 0x5A);
    Request request;
    request.Begin();
    request.out.WriteULong(kBlockData);
    request.out.WriteByteBlock(kBlockData, data.data());
    std::vector<BYTE> reply = request.Bytes();
    test::MemoryReadStream stream(reply.data(), reply.size());
    CBinaryDeserializer in(SharedMemMgr());
    for (auto _ : state) {
        stream.Rewind();
        in.Attach(&stream);
        BYTE* block = nullptr;
        in.ReadByteBlock(in.ReadULong(), block);
        benchmark::DoNotOptimize(block);
        CoTaskMemFree(block);
    }
    in.Detach();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * (kBlockData + 4)));
}
BENCHMARK(BM_DecodeByteBlock64K);

void BM_EncodeLongArray10K(benchmark::State& state) {
    std::vector<LONG> values(kArrayElements, 42);
    Request request;
    for (auto _ : state) {
        request.Begin();
        LONG* elements = values.data();
        ULONG count = kArrayElements;
        ArrayHolder<wire::Long> holder(SharedMemMgr(), &elements, &count, nullptr, false);
        holder.Write(request.out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kArrayElements * 4));
}
BENCHMARK(BM_EncodeLongArray10K);

void BM_DecodeLongArray10K(benchmark::State& state) {
    std::vector<LONG> values(kArrayElements, 42);
    Request request;
    request.Begin();
    {
        LONG* elements = values.data();
        ULONG count = kArrayElements;
        ArrayHolder<wire::Long> holder(SharedMemMgr(), &elements, &count, nullptr, false);
        holder.Write(request.out);
    }
    std::vector<BYTE> reply = request.Bytes();
    test::MemoryReadStream stream(reply.data(), reply.size());
    CBinaryDeserializer in(SharedMemMgr());
    for (auto _ : state) {
        stream.Rewind();
        in.Attach(&stream);
        LONG* elements = nullptr;
        ULONG count = 0;
        {
            ArrayHolder<wire::Long> holder(SharedMemMgr(), &elements, &count, nullptr, true);
            holder.Read(in);
        }
        benchmark::DoNotOptimize(elements);
        CoTaskMemFree(elements);
    }
    in.Detach();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kArrayElements * 4));
}
BENCHMARK(BM_DecodeLongArray10K);

constexpr std::size_t kBody = 64u << 20;
constexpr std::size_t kChunk = 64u << 10;

// A 64 MiB body written in 64 KiB pieces into a fresh stream.
void BM_Build64MiBBody(benchmark::State& state) {
    std::vector<BYTE> chunk(kChunk, 0x5A);
    CReadWriteBinaryStream stream;
    for (auto _ : state) {
        stream.ResetBuffer();
        for (std::size_t done = 0; done < kBody; done += kChunk) {
            DWORD written = 0;
            stream.WriteStream(reinterpret_cast<LPCSTR>(chunk.data()), static_cast<int>(kChunk),
                               &written);
        }
        benchmark::DoNotOptimize(stream.GetBuffer());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBody));
}
BENCHMARK(BM_Build64MiBBody)->Unit(benchmark::kMillisecond);

// The same body grown one 64 KiB unit per piece straight on the heap: what
// growing in single units costs on this platform.
void BM_Grow64MiBInUnitSteps(benchmark::State& state) {
    std::vector<BYTE> chunk(kChunk, 0x5A);
    for (auto _ : state) {
        BYTE* buffer = nullptr;
        for (std::size_t done = 0; done < kBody; done += kChunk) {
            buffer = static_cast<BYTE*>(TqlReAlloc(buffer, done + kChunk));
            std::memcpy(buffer + done, chunk.data(), kChunk);
        }
        benchmark::DoNotOptimize(buffer);
        TqlFree(buffer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBody));
}
BENCHMARK(BM_Grow64MiBInUnitSteps)->Unit(benchmark::kMillisecond);

void BM_Memcpy64MiB(benchmark::State& state) {
    std::vector<BYTE> source(kBody, 0x5A);
    for (auto _ : state) {
        void* target = TqlAlloc(kBody);
        std::memcpy(target, source.data(), kBody);
        benchmark::DoNotOptimize(target);
        TqlFree(target);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBody));
}
BENCHMARK(BM_Memcpy64MiB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
