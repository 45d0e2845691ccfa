// Size control of the debug log: one file trimmed at its head, or numbered
// files rotated.
#include "support/trace/trace_log_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_dir.h"

namespace ql::test {
namespace {

// Writes text and its line end to the file name in dir.
DWORD WriteLine(const TempDir& dir, const std::string& name, const std::string& text,
                TqlLogLimits limits) {
    return TqlWriteLogLine(dir.Wide(name), WidenAscii(text + "\r\n"), limits);
}

bool IsBanner(const std::string& line) {
    return line.starts_with("----- ") && line.ends_with(" -----");
}

TEST(TraceLogWriter, OneFileDropsLinesUpToTheFirstLineFeedPastTheExcess) {
    TempDir dir;
    auto path = dir.Path() / "one.log";
    // 90 bytes in three lines of 30.
    const std::string a(28, 'a'), b(28, 'b'), c(28, 'c'), d(28, 'd');
    WriteAll(path, a + "\r\n" + b + "\r\n" + c + "\r\n");
    // 90 + 30 - 100 = 20: everything up to the first line feed at or after
    // offset 20 goes, that is the whole first line.
    ASSERT_EQ(0u, WriteLine(dir, "one.log", d, {100, 1}));
    EXPECT_EQ(b + "\r\n" + c + "\r\n" + d + "\r\n", ReadAll(path));

    // A line as long as the limit empties the file first.
    const std::string big(120, 'x');
    ASSERT_EQ(0u, WriteLine(dir, "one.log", big, {100, 0}));
    EXPECT_EQ(big + "\r\n", ReadAll(path));

    // With no limit the file grows without header, trimming or rotation.
    for (int i = 0; i < 50; ++i) WriteLine(dir, "unlimited.log", big, {0, 5});
    EXPECT_EQ(50u * 122u, ReadAll(dir.Path() / "unlimited.log").size());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "unlimited.1.log"));
}

TEST(TraceLogWriter, RotationShiftsNumberedFilesAndFramesThemWithBanners) {
    TempDir dir;
    auto numbered = [&](int n) { return dir.Path() / ("agent." + std::to_string(n) + ".log"); };
    const std::string old[] = {"one\r\n", "two\r\n", "three\r\n", "four\r\n"};
    for (int n = 1; n <= 4; ++n) WriteAll(numbered(n), old[n - 1]);
    const std::string line(50, 'L');
    // The first line of a fresh rotating file carries a header; the line that
    // fills the file is followed by a trailer, then the file rotates.
    ASSERT_EQ(0u, WriteLine(dir, "agent.log", line, {100, 5}));
    auto fresh = ReadLines(dir.Path() / "agent.log");
    ASSERT_EQ(2u, fresh.size());
    EXPECT_TRUE(IsBanner(fresh[0]));
    ASSERT_EQ(0u, WriteLine(dir, "agent.log", line, {100, 5}));

    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "agent.log"));
    auto rotated = ReadLines(numbered(1));
    ASSERT_EQ(4u, rotated.size());
    EXPECT_TRUE(IsBanner(rotated[0]));
    EXPECT_EQ(line, rotated[1]);
    EXPECT_EQ(line, rotated[2]);
    EXPECT_TRUE(IsBanner(rotated[3]));
    for (int n = 2; n <= 4; ++n) EXPECT_EQ(old[n - 2], ReadAll(numbered(n)));
    EXPECT_FALSE(std::filesystem::exists(numbered(5)));  // "four" is gone

    // The next line starts a new file with a header.
    ASSERT_EQ(0u, WriteLine(dir, "agent.log", "next", {100, 5}));
    auto next = ReadLines(dir.Path() / "agent.log");
    ASSERT_EQ(2u, next.size());
    EXPECT_TRUE(IsBanner(next[0]));
    EXPECT_EQ("next", next[1]);
}

TEST(TraceLogWriter, RotatedNames) {
    auto rotated = [](const char* path, DWORD n) {
        return ToUtf8(TqlRotatedLogName(WidenAscii(path), n));
    };
    EXPECT_EQ("C:\\logs\\agent.3.log", rotated("C:\\logs\\agent.log", 3));
    EXPECT_EQ("/var/log/name.1", rotated("/var/log/name", 1));
    EXPECT_EQ("/var/log.d/name.2", rotated("/var/log.d/name", 2));
    EXPECT_EQ("\\\\?\\C:\\a.b\\c.2.txt", rotated("\\\\?\\C:\\a.b\\c.txt", 2));
}

TEST(TraceLogWriter, UnopenableFileReportsTheError) {
    TempDir dir;
    EXPECT_NE(0u, WriteLine(dir, "missing-dir/x.log", "line", {0, 0}));
}

}  // namespace
}  // namespace ql::test
