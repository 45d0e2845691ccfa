// The wrappers that exist on every platform: files, the current directory and
// the names of the account and the computer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/base/wide_string.h"
#include "support/platform/system_wrappers.h"
#include "temp_dir.h"

namespace ql {
namespace {

constexpr DWORD kErrorAlreadyExists = 183;

class SystemWrappersTest : public ::testing::Test {
protected:
    test::TempDir m_dir;
};

TEST_F(SystemWrappersTest, FilesMoveDeleteAndReportTheirAttributes) {
    WString file = m_dir.Wide("a.txt");
    WString moved = m_dir.Wide("b.txt");
    WString other = m_dir.Wide("c.txt");
    test::WriteAll(m_dir.Path() / "a.txt", "x");
    test::WriteAll(m_dir.Path() / "c.txt", "y");

    EXPECT_EQ(_GetFileAttributes(m_dir.Wide("").c_str()) & kTqlFileAttributeDirectory,
              kTqlFileAttributeDirectory);
    DWORD attributes = _GetFileAttributes(file.c_str());
    ASSERT_NE(attributes, kTqlInvalidFileAttributes);
    EXPECT_EQ(attributes & (kTqlFileAttributeDirectory | kTqlFileAttributeReadOnly), 0u);

    ASSERT_TRUE(_SetFileAttributes(file.c_str(), kTqlFileAttributeReadOnly));
    EXPECT_EQ(_GetFileAttributes(file.c_str()) & kTqlFileAttributeReadOnly,
              kTqlFileAttributeReadOnly);
    ASSERT_TRUE(_SetFileAttributes(file.c_str(), kTqlFileAttributeNormal));
    EXPECT_EQ(_GetFileAttributes(file.c_str()) & kTqlFileAttributeReadOnly, 0u);

    // Moving never replaces an existing file.
    EXPECT_FALSE(_MoveFile(file.c_str(), other.c_str()));
    EXPECT_EQ(_GetLastError(), kErrorAlreadyExists);
    EXPECT_EQ(test::ReadAll(m_dir.Path() / "c.txt"), "y");
    ASSERT_TRUE(_MoveFile(file.c_str(), moved.c_str()));
    EXPECT_EQ(test::ReadAll(m_dir.Path() / "b.txt"), "x");

    EXPECT_TRUE(_DeleteFile(moved.c_str()));
    EXPECT_FALSE(_DeleteFile(moved.c_str()));
    EXPECT_EQ(_GetLastError(), 2u);
    EXPECT_EQ(_GetFileAttributes(moved.c_str()), kTqlInvalidFileAttributes);
    EXPECT_EQ(_GetLastError(), 2u);
    EXPECT_FALSE(_SetFileAttributes(moved.c_str(), kTqlFileAttributeNormal));
    EXPECT_EQ(_GetLastError(), 2u);
}

TEST_F(SystemWrappersTest, CurrentDirectoryIsReadAndChanged) {
    DWORD needed = _GetCurrentDirectory(0, nullptr);
    ASSERT_GT(needed, 1u);
    WString saved(needed, 0);
    ASSERT_EQ(_GetCurrentDirectory(needed, saved.data()), needed - 1);
    saved.resize(needed - 1);
    // Too small: the size needed, terminator included.
    WCHAR small[2] = {};
    EXPECT_EQ(_GetCurrentDirectory(2, small), needed);

    WString target = test::WidePath(std::filesystem::canonical(m_dir.Path()));
    ASSERT_TRUE(_SetCurrentDirectory(target.c_str()));
    WCHAR now[1024] = {};
    DWORD length = _GetCurrentDirectory(1024, now);
    EXPECT_EQ(WString(now, length), target);
    EXPECT_FALSE(_SetCurrentDirectory(m_dir.Wide("missing").c_str()));
    EXPECT_NE(_GetLastError(), 0u);
    ASSERT_TRUE(_SetCurrentDirectory(saved.c_str()));
}

TEST(SystemWrappers, AccountAndComputerNames) {
    WCHAR user[256] = {};
    DWORD chars = 256;
    ASSERT_TRUE(_GetUserName(user, &chars));
    // The length counts the terminator; too small a buffer reports the need.
    EXPECT_EQ(chars, WideLength(user) + 1);
    DWORD small = 1;
    WCHAR tiny[1] = {};
    EXPECT_FALSE(_GetUserName(tiny, &small));
    EXPECT_EQ(_GetLastError(), 122u);
    EXPECT_EQ(small, chars);

    WCHAR computer[256] = {};
    chars = 256;
    ASSERT_TRUE(_GetComputerName(computer, &chars));
    // Here the length leaves the terminator out, and the need counts it.
    EXPECT_EQ(chars, WideLength(computer));
    EXPECT_GT(chars, 0u);
    small = 1;
    EXPECT_FALSE(_GetComputerName(tiny, &small));
    EXPECT_EQ(_GetLastError(), 111u);
    EXPECT_EQ(small, chars + 1);
}

}  // namespace
}  // namespace ql
