// What tracing costs: a call whose level is off (no formatting, no
// allocation), and a line written to a log file (open, append, close under
// the machine-wide mutex, as every line is).
#include <benchmark/benchmark.h>

#include "support/trace/trace.h"
#include "temp_dir.h"

namespace {

using namespace ql;

void BM_TraceLevelOff(benchmark::State& state) {
    TqlComponent component = TqlTraceRegisterComponent(OLESTR("BenchOff"), nullptr, 1, 0, 0, 2, 0);
    int i = 0;
    for (auto _ : state) {
        TqlTrace(component, 4, OLESTR("DSFileSystem_ReadBLOBBlock %d %s"), ++i, OLESTR("x"));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TraceLevelOff);

void BM_TraceLineToFile(benchmark::State& state) {
    test::TempDir dir;
    WString log = dir.Wide("bench.log");
    TqlComponent component = TqlTraceRegisterComponent(OLESTR("BenchFile"), log.c_str(), 4,
                                                       kTqlOptionsFromRegistry, 0, 2, 0);
    int i = 0;
    for (auto _ : state)
        TqlTrace(component, 4, OLESTR("CAbsHttpBinTransport::SendRequest() - call %d"), ++i);
}
BENCHMARK(BM_TraceLineToFile)->Unit(benchmark::kMicrosecond);

void BM_TraceInsertStyleToFile(benchmark::State& state) {
    test::TempDir dir;
    WString log = dir.Wide("bench-insert.log");
    TqlComponent component = TqlTraceRegisterComponent(OLESTR("BenchInsert"), log.c_str(), 4,
                                                       kTqlOptionsFromRegistry, 0, 2, 0);
    for (auto _ : state)
        TqlTraceErrorMsg(component,
                         OLESTR("ICur%1::%2() - Caught CAtlException. hr=%3!X! (%4!Z!)."),
                         OLESTR("DSVault"), OLESTR("Read"), 0x800706BA, 0x800706BA);
}
BENCHMARK(BM_TraceInsertStyleToFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
