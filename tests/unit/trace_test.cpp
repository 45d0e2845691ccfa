// The tracing facility end to end: registration from the registry, lines
// in a real log file, function scopes, and lines from several threads and
// processes sharing one rotating file.
#include "support/trace/trace.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "allocation_counter.h"
#include "child_process.h"
#include "support/registry/registry.h"
#include "support/trace/trace_line.h"
#include "support/trace/trace_sink.h"
#include "temp_dir.h"

namespace ql::test {
namespace {

const WString kDebugKey = OLESTR("SOFTWARE\\TQL\\Debug");

// Component names are unique per test run: registration is permanent.
WString UniqueName(const char* base) {
    static std::atomic<int> counter{0};
    return WidenAscii(std::string(base) + std::to_string(counter++) + "_" +
                      std::to_string(static_cast<unsigned>(std::rand())));
}

std::vector<std::string> TextsAfterPrefix(const std::vector<std::string>& lines) {
    std::vector<std::string> texts;
    for (const auto& line : lines) {
        auto end = line.find("] ");
        texts.push_back(end == std::string::npos ? line : line.substr(end + 2));
    }
    return texts;
}

TEST(Trace, LinesAndScopesReachTheComponentsFile) {
    TempDir dir;
    WString name = UniqueName("FileTest");
    WString log = dir.Wide("component.log");
    // Options from the registry, which has none for it: the defaults.
    TqlComponent component =
        TqlTraceRegisterComponent(name.c_str(), log.c_str(), 4, kTqlOptionsFromRegistry, 0, 2, 0);
    ASSERT_NE(kTqlDefaultComponent, component);
    TqlComponentSettings settings;
    ASSERT_TRUE(TqlTraceDescribeComponent(component, &settings));
    EXPECT_EQ(0u, settings.options & kTqlOptionsFromRegistry);

    TqlTrace(component, 5, OLESTR("too detailed"));
    TqlTraceErrorMsg(component, OLESTR("err=%1!d!."), 87);
    {
        CTqlTraceScope outer(OLESTR("Outer"), component, 4);
        CTqlTraceScope inner(OLESTR("Inner"), component, 4);
        CTqlTraceScope off(OLESTR("Off"), component, 5);
        EXPECT_EQ(2u, TqlTraceNestingDepth());
        inner.Info(OLESTR("value=%d"), 3);
    }
    EXPECT_EQ(0u, TqlTraceNestingDepth());
    auto lines = ReadLines(dir.Path() / "component.log");
    ASSERT_FALSE(lines.empty());
    // [level component (S:session) P:pid T:tid] text
    std::regex prefix("^\\[1 " + ToUtf8(name) + "( S:[0-9]+)? P:[0-9A-F]+ T:[0-9A-F]+\\] err=87$");
    EXPECT_TRUE(std::regex_match(lines[0], prefix)) << lines[0];
    std::vector<std::string> expected = {
        "err=87", "Outer() {", "  Inner() {", "    Inner()- value=3", "  } // Inner", "} // Outer"};
    EXPECT_EQ(expected, TextsAfterPrefix(lines));
}

TEST(Trace, RegistrationReadsTheComponentKeyThenTheDebugKey) {
    TempDir dir;
    WString name = UniqueName("RegTest");
    WString key = kDebugKey + OLESTR("\\") + name;
    WString log = dir.Wide("from-registry.log");
    const std::pair<LPCWSTR, DWORD> values[] = {{OLESTR("Level"), 5},
                                                {OLESTR("DbgWriteThreadID"), 0},
                                                {OLESTR("DbgWriteTime"), 1},
                                                {OLESTR("DbgWriteNesting"), 3}};
    for (const auto& [value, data] : values)
        ASSERT_EQ(0u, TqlWriteRegistryDword(HKEY_LOCAL_MACHINE, key.c_str(), value, REG_DWORD, data,
                                            TRUE));
    ASSERT_EQ(0u, TqlWriteRegistryString(HKEY_LOCAL_MACHINE, key.c_str(), OLESTR("LogFile"), REG_SZ,
                                         log.c_str(), static_cast<DWORD>(log.size() + 1), TRUE));
    // A level named after a component in the debug key comes second.
    WString byName = UniqueName("ByName");
    ASSERT_EQ(0u, TqlWriteRegistryDword(HKEY_LOCAL_MACHINE, kDebugKey.c_str(), byName.c_str(),
                                        REG_DWORD, 2, TRUE));

    TqlComponent fromKey =
        TqlTraceRegisterComponent(name.c_str(), nullptr, 0, kTqlOptionsFromRegistry, 10, 2, 4);
    TqlComponent fromName = TqlTraceRegisterComponent(byName.c_str(), nullptr, 1, 0, 0, 2, 0);
    TqlComponentSettings settings;
    ASSERT_TRUE(TqlTraceDescribeComponent(fromKey, &settings));
    EXPECT_EQ(5, settings.level);
    EXPECT_EQ(log, settings.logFile);
    EXPECT_EQ(3u, settings.nestingWidth);
    EXPECT_EQ(10u * 1024u, settings.sizeLimit);
    EXPECT_EQ(4u, settings.filesNumber);
    EXPECT_NE(0u, settings.options & kTqlWriteTime);
    EXPECT_EQ(0u, settings.options & kTqlWriteThreadId);
    EXPECT_NE(0u, settings.options & kTqlWriteProcessId);
    ASSERT_TRUE(TqlTraceDescribeComponent(fromName, &settings));
    EXPECT_EQ(2, settings.level);

    // Handles above 0x10000 select the row in their low 8 bits; a null name
    // is refused.
    ASSERT_TRUE(TqlTraceDescribeComponent(kTqlRuntimeComponent, &settings));
    EXPECT_EQ(WString(OLESTR("RT")), settings.name);
    EXPECT_EQ(kTqlDefaultComponent, TqlTraceRegisterComponent(nullptr, nullptr, 0, 0, 0, 0, 0));

    TqlDeleteRegistryKey(HKEY_LOCAL_MACHINE, key.c_str(), TRUE);
    TqlDeleteRegistryValue(HKEY_LOCAL_MACHINE, kDebugKey.c_str(), byName.c_str(), TRUE);
}

TEST(Trace, AMessageWhoseLevelIsOffCostsNoFormattingAndNoAllocation) {
    if (!AllocationCountingAvailable()) GTEST_SKIP() << "the sanitizer runtime owns operator new";
    WString name = UniqueName("OffTest");
    TqlComponent component = TqlTraceRegisterComponent(name.c_str(), nullptr, 1, 0, 0, 2, 0);
    std::size_t before = AllocationsOnThisThread();
    for (int i = 0; i < 100; ++i)
        TqlTrace(component, 4, OLESTR("%s %d %S"), OLESTR("never formatted"), i, "x");
    TqlTraceInfoMsg(component, OLESTR("%1!Z!"), 5);
    EXPECT_EQ(before, AllocationsOnThisThread());
}

// Lines of many threads in two processes, into one rotating file: every
// line whole, none lost.
constexpr int kThreads = 4;
constexpr int kLinesPerThread = 250;
const char kChildVariable[] = "QL_TRACE_CHILD_LOG";

void WriteLines(const WString& log, const std::string& tag) {
    WString name = WidenAscii("Shared" + tag);
    // 16 KB files, many of them, so that rotation happens but drops nothing.
    TqlComponent component =
        TqlTraceRegisterComponent(name.c_str(), log.c_str(), 4, 0x21D, 16, 2, 200);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([component, t, &tag] {
            for (int i = 0; i < kLinesPerThread; ++i)
                TqlTrace(component, 3, OLESTR("line %S-%d-%d end"), tag.c_str(), t, i);
        });
    }
    for (auto& thread : threads) thread.join();
}

TEST(TraceChild, WritesItsShare) {
    const char* log = std::getenv(kChildVariable);
    if (log == nullptr)
        GTEST_SKIP() << "runs as a child of SharedRotatingFileFromThreadsAndProcesses";
    WriteLines(FromUtf8(log), std::getenv("QL_TRACE_CHILD_TAG"));
}

TEST(Trace, SharedRotatingFileFromThreadsAndProcesses) {
    TempDir dir;
    std::string log = ToUtf8(dir.Wide("shared.log"));
    ChildProcess first("TraceChild.WritesItsShare",
                       {{kChildVariable, log}, {"QL_TRACE_CHILD_TAG", "a"}});
    ChildProcess second("TraceChild.WritesItsShare",
                        {{kChildVariable, log}, {"QL_TRACE_CHILD_TAG", "b"}});
    WriteLines(FromUtf8(log), "p");
    EXPECT_EQ(0, first.Wait());
    EXPECT_EQ(0, second.Wait());

    std::set<std::string> seen;
    std::regex whole(
        "^\\[3 Shared[abp] P:[0-9A-F]+ T:[0-9A-F]+( [^\\]]*)?\\] "
        "line ([abp]-[0-9]+-[0-9]+) end$");
    std::regex banner("^----- .* -----$");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++files;
        for (const auto& line : ReadLines(entry.path())) {
            std::smatch match;
            if (std::regex_match(line, match, whole)) {
                EXPECT_TRUE(seen.insert(match[2]).second) << "twice: " << line;
            } else {
                EXPECT_TRUE(std::regex_match(line, banner)) << "torn line: " << line;
            }
        }
    }
    EXPECT_GT(files, 2) << "the files never rotated";
    EXPECT_EQ(static_cast<std::size_t>(3 * kThreads * kLinesPerThread), seen.size());
}

}  // namespace
}  // namespace ql::test
