// Size control of the debug log: one file trimmed at its head, or numbered
// files rotated.
#include "support/trace/trace_log_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_dir.h"

namespace ql::test {
namespace {

WString Wide(const std::string& text) { return WidenAscii(text); }

TEST(TraceLogWriter, OneFileDropsLinesUpToTheFirstLineFeedPastTheExcess) {
    TempDir dir;
    auto path = dir.Path() / "one.log";
    // 90 bytes in three lines of 30.
    const std::string a(28, 'a'), b(28, 'b'), c(28, 'c');
    WriteAll(path, a + "\r\n" + b + "\r\n" + c + "\r\n");
    const std::string d(28, 'd');
    // 90 + 30 - 100 = 20: everything up to the first line feed at or after
    // offset 20 goes, that is the whole first line.
    ASSERT_EQ(0u, TqlWriteLogLine(WidePath(path), Wide(d + "\r\n"), TqlLogLimits{100, 1}));
    EXPECT_EQ(b + "\r\n" + c + "\r\n" + d + "\r\n", ReadAll(path));

    // A line as long as the limit empties the file first.
    const std::string big(120, 'x');
    ASSERT_EQ(0u, TqlWriteLogLine(WidePath(path), Wide(big + "\r\n"), TqlLogLimits{100, 0}));
    EXPECT_EQ(big + "\r\n", ReadAll(path));

    // With no limit the file grows without header, trimming or rotation.
    auto unlimited = dir.Path() / "unlimited.log";
    for (int i = 0; i < 50; ++i)
        TqlWriteLogLine(WidePath(unlimited), Wide(big + "\r\n"), TqlLogLimits{0, 5});
    EXPECT_EQ(50u * 122u, ReadAll(unlimited).size());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "unlimited.1.log"));
}

TEST(TraceLogWriter, RotationShiftsNumberedFilesAndFramesThemWithBanners) {
    TempDir dir;
    auto path = dir.Path() / "agent.log";
    WriteAll(dir.Path() / "agent.1.log", "one\r\n");
    WriteAll(dir.Path() / "agent.2.log", "two\r\n");
    WriteAll(dir.Path() / "agent.3.log", "three\r\n");
    WriteAll(dir.Path() / "agent.4.log", "four\r\n");
    const std::string line(50, 'L');
    // The first line of a fresh rotating file carries a header; the line that
    // fills the file is followed by a trailer, then the file rotates.
    ASSERT_EQ(0u, TqlWriteLogLine(WidePath(path), Wide(line + "\r\n"), TqlLogLimits{100, 5}));
    EXPECT_TRUE(std::filesystem::exists(path));
    auto fresh = ReadLines(path);
    ASSERT_EQ(2u, fresh.size());
    EXPECT_EQ(0u, fresh[0].rfind("----- ", 0));
    ASSERT_EQ(0u, TqlWriteLogLine(WidePath(path), Wide(line + "\r\n"), TqlLogLimits{100, 5}));

    EXPECT_FALSE(std::filesystem::exists(path));
    auto rotated = ReadLines(dir.Path() / "agent.1.log");
    ASSERT_EQ(4u, rotated.size());
    EXPECT_EQ(0u, rotated[0].rfind("----- ", 0));
    EXPECT_EQ(line, rotated[1]);
    EXPECT_EQ(line, rotated[2]);
    EXPECT_EQ(0u, rotated[3].rfind("----- ", 0));
    EXPECT_EQ(" -----", rotated[3].substr(rotated[3].size() - 6));
    EXPECT_EQ("one\r\n", ReadAll(dir.Path() / "agent.2.log"));
    EXPECT_EQ("two\r\n", ReadAll(dir.Path() / "agent.3.log"));
    EXPECT_EQ("three\r\n", ReadAll(dir.Path() / "agent.4.log"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "agent.5.log"));  // "four" is gone

    // The next line starts a new file with a header.
    ASSERT_EQ(0u, TqlWriteLogLine(WidePath(path), Wide("next\r\n"), TqlLogLimits{100, 5}));
    auto next = ReadLines(path);
    ASSERT_EQ(2u, next.size());
    EXPECT_EQ(0u, next[0].rfind("----- ", 0));
    EXPECT_EQ("next", next[1]);
}

TEST(TraceLogWriter, RotatedNames) {
    EXPECT_EQ(WString(OLESTR("C:\\logs\\agent.3.log")),
              TqlRotatedLogName(OLESTR("C:\\logs\\agent.log"), 3));
    EXPECT_EQ(WString(OLESTR("/var/log/name.1")), TqlRotatedLogName(OLESTR("/var/log/name"), 1));
    EXPECT_EQ(WString(OLESTR("/var/log.d/name.2")),
              TqlRotatedLogName(OLESTR("/var/log.d/name"), 2));
    EXPECT_EQ(WString(OLESTR("\\\\?\\C:\\a.b\\c.2.txt")),
              TqlRotatedLogName(OLESTR("\\\\?\\C:\\a.b\\c.txt"), 2));

    TempDir dir;
    auto path = dir.Path() / "name";
    const std::string line(80, 'n');
    TqlWriteLogLine(WidePath(path), Wide(line + "\r\n"), TqlLogLimits{100, 3});
    TqlWriteLogLine(WidePath(path), Wide(line + "\r\n"), TqlLogLimits{100, 3});
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "name.1"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(TraceLogWriter, UnopenableFileReportsTheError) {
    TempDir dir;
    auto path = dir.Path() / "missing-dir" / "x.log";
    EXPECT_NE(0u, TqlWriteLogLine(WidePath(path), OLESTR("line\r\n"), TqlLogLimits{0, 0}));
}

}  // namespace
}  // namespace ql::test
