// The registry readers and writers, the same on every platform: on Windows
// against the system registry (a fresh key under HKEY_CURRENT_USER), on POSIX
// against the file store in a fresh temporary directory.
#include "support/registry/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "support/base/wide_string.h"
#include "temp_dir.h"

namespace ql {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        m_key = WidenAscii("Software\\QuillonTests-" + m_store.Path().filename().string() + "-" +
                           std::to_string(counter++));
    }
    void TearDown() override { TqlDeleteRegistryKey(HKEY_CURRENT_USER, m_key.c_str(), FALSE); }

    LPCWSTR Key() const { return m_key.c_str(); }

    DWORD Dword(LPCWSTR name, DWORD value, DWORD type = REG_DWORD, const WString& sub = {}) {
        return TqlWriteRegistryDword(HKEY_CURRENT_USER, Path(sub).c_str(), name, type, value,
                                     FALSE);
    }
    DWORD ReadDword(LPCWSTR name, DWORD* value, const WString& sub = {}) {
        return TqlReadRegistryDword(HKEY_CURRENT_USER, Path(sub).c_str(), name, value, FALSE);
    }
    // Reads into a buffer of `chars` characters; the text read, terminators
    // included, or the buffer as it was left.
    DWORD ReadString(LPCWSTR name, DWORD* chars, WString* text, const WString& sub = {}) {
        WString buffer(std::max<DWORD>(*chars, 1), u'#');
        DWORD result = TqlReadRegistryString(HKEY_CURRENT_USER, Path(sub).c_str(), name,
                                             buffer.data(), chars, FALSE);
        *text = result == 0 ? buffer.substr(0, *chars) : buffer;
        return result;
    }
    DWORD Query(LPCWSTR name, DWORD* type, BYTE* data, DWORD* bytes) {
        return TqlQueryRegistryValue(HKEY_CURRENT_USER, Key(), name, type, data, bytes, FALSE);
    }
    WString Path(const WString& sub) const {
        return sub.empty() ? m_key : m_key + OLESTR("\\") + sub;
    }

    test::TempDir m_store;
    // The POSIX store in a fresh directory; Windows has no store to point.
    test::ScopedEnvironment m_storeDirectory{"QL_REGISTRY_DIR", m_store.Path().string().c_str()};
    WString m_key;
};

// Strings as written (a count or kTqlNullTerminated) and as read back: the
// length includes the terminator, nothing is expanded, a list keeps its
// strings and ends with an empty one, a missing terminator is added.
TEST_F(RegistryTest, StringsReadBackTerminatedWithTheirLength) {
    const struct {
        LPCWSTR name;
        DWORD type;
        WString data;
        DWORD chars;
        WString expected;
    } rows[] = {
        {OLESTR("Plain"), REG_SZ, OLESTR("C:\\logs\\tql.log"), kTqlNullTerminated,
         WString(OLESTR("C:\\logs\\tql.log"), 16)},
        {OLESTR("Expand"), REG_EXPAND_SZ, OLESTR("%TEMP%\\x"), kTqlNullTerminated,
         WString(OLESTR("%TEMP%\\x"), 9)},
        {OLESTR("List"), REG_MULTI_SZ, WString(OLESTR("a\0bc\0"), 5), 5,
         WString(OLESTR("a\0bc\0\0"), 6)},
        {OLESTR("Cut"), REG_SZ, OLESTR("abcdef"), 3, WString(OLESTR("abc"), 4)},
        {OLESTR("Empty"), REG_SZ, WString(), 0, WString(1, WCHAR{0})},
        {OLESTR(""), REG_SZ, OLESTR("default"), kTqlNullTerminated, WString(OLESTR("default"), 8)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.name));
        const WCHAR* data = row.chars == 0 ? nullptr : row.data.c_str();
        ASSERT_EQ(TqlWriteRegistryString(HKEY_CURRENT_USER, Key(), row.name[0] ? row.name : nullptr,
                                         row.type, data, row.chars, FALSE),
                  0u);
        WString text;
        DWORD chars = 64;
        ASSERT_EQ(ReadString(row.name, &chars, &text), 0u);
        EXPECT_EQ(text, row.expected);
        // Exactly the size needed fits; one less reports that size.
        chars = static_cast<DWORD>(row.expected.size());
        EXPECT_EQ(ReadString(row.name, &chars, &text), 0u);
        if (chars < 2) continue;
        chars -= 1;
        EXPECT_EQ(ReadString(row.name, &chars, &text), 234u);
        EXPECT_EQ(chars, row.expected.size());
        EXPECT_EQ(text, WString(row.expected.size() - 1, u'#')) << "the buffer stays as it was";
    }
    DWORD type = 0;
    DWORD bytes = 0;
    ASSERT_EQ(Query(OLESTR("List"), &type, nullptr, &bytes), 0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(bytes, 12u);
}

TEST_F(RegistryTest, RawValuesRoundTripAndStringsGetTheirTerminatorOnRead) {
    const BYTE blob[] = {0x00, 0xFF, 0x10, 0x7F, 0x80};
    ASSERT_EQ(TqlSetRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Blob"), REG_BINARY, blob,
                                  sizeof blob, FALSE),
              0u);
    BYTE read[8] = {};
    DWORD bytes = 2;
    DWORD type = 0;
    EXPECT_EQ(Query(OLESTR("Blob"), &type, read, &bytes), 234u);
    EXPECT_EQ(bytes, sizeof blob);
    bytes = sizeof read;
    ASSERT_EQ(Query(OLESTR("Blob"), &type, read, &bytes), 0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(std::vector<BYTE>(read, read + bytes), std::vector<BYTE>(blob, blob + sizeof blob));

    const WCHAR raw[] = {u'h', u'i'};
    ASSERT_EQ(TqlSetRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Raw"), REG_SZ,
                                  reinterpret_cast<const BYTE*>(raw), sizeof raw, FALSE),
              0u);
    WString text;
    DWORD chars = 3;
    ASSERT_EQ(ReadString(OLESTR("Raw"), &chars, &text), 0u);
    EXPECT_EQ(text, WString(OLESTR("hi"), 3));
    chars = 2;
    EXPECT_EQ(ReadString(OLESTR("Raw"), &chars, &text), 234u);
    EXPECT_EQ(chars, 3u);
}

TEST_F(RegistryTest, DwordsAreTakenAsStoredAndNamesIgnoreCase) {
    ASSERT_EQ(Dword(OLESTR("Little"), 0x12345678u), 0u);
    ASSERT_EQ(Dword(OLESTR("Big"), 0x12345678u, REG_DWORD_BIG_ENDIAN), 0u);
    ASSERT_EQ(Dword(OLESTR("LogFilesNumber"), 5, REG_DWORD, OLESTR("Mixed\\Case")), 0u);
    // Writing under another spelling replaces the value.
    ASSERT_EQ(Dword(OLESTR("LOGFILESNUMBER"), 6, REG_DWORD, OLESTR("mixed\\CASE")), 0u);
    const struct {
        LPCWSTR name;
        LPCWSTR sub;
        DWORD expected;
    } rows[] = {{OLESTR("Little"), OLESTR(""), 0x12345678u},
                {OLESTR("Big"), OLESTR(""), 0x12345678u},
                {OLESTR("logfilesnumber"), OLESTR("MIXED\\case"), 6}};
    for (const auto& row : rows) {
        DWORD value = 0;
        ASSERT_EQ(ReadDword(row.name, &value, row.sub), 0u) << ToUtf8(row.name);
        EXPECT_EQ(value, row.expected) << ToUtf8(row.name);
    }
}

// Documented failures: 2 missing, 87 bad argument, 1629 wrong type; the
// output is left alone every time.
TEST_F(RegistryTest, FailuresLeaveTheOutputAlone) {
    ASSERT_EQ(TqlWriteRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("Text"), REG_SZ, OLESTR("5"),
                                     kTqlNullTerminated, FALSE),
              0u);
    ASSERT_EQ(Dword(OLESTR("Number"), 5), 0u);
    const BYTE shortDword[] = {1, 2};
    ASSERT_EQ(TqlSetRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Short"), REG_DWORD, shortDword,
                                  sizeof shortDword, FALSE),
              0u);
    const HKEY user = HKEY_CURRENT_USER;
    const WString nowhere = Path(OLESTR("Nowhere"));
    DWORD value = 0xCAFEF00Du;
    WCHAR buffer[8] = {u'k', u'e', u'e', u'p', 0};
    DWORD chars = 8;
    const struct {
        const char* what;
        DWORD result;
        DWORD expected;
    } rows[] = {
        {"dword missing", TqlReadRegistryDword(user, Key(), OLESTR("None"), &value, FALSE), 2},
        {"string missing key",
         TqlReadRegistryString(user, nowhere.c_str(), OLESTR("Text"), buffer, &chars, FALSE), 2},
        {"dword of text", TqlReadRegistryDword(user, Key(), OLESTR("Text"), &value, FALSE), 1629},
        {"dword of 2 bytes", TqlReadRegistryDword(user, Key(), OLESTR("Short"), &value, FALSE),
         1629},
        {"string of dword",
         TqlReadRegistryString(user, Key(), OLESTR("Number"), buffer, &chars, FALSE), 1629},
        {"null sub-key", TqlReadRegistryDword(user, nullptr, OLESTR("Text"), &value, FALSE), 87},
        {"null value", TqlReadRegistryDword(user, Key(), OLESTR("Number"), nullptr, FALSE), 87},
        {"null root", TqlReadRegistryString(nullptr, Key(), OLESTR("Text"), buffer, &chars, FALSE),
         87},
        {"null buffer", TqlReadRegistryString(user, Key(), OLESTR("Text"), nullptr, &chars, FALSE),
         87},
        {"string sub-key",
         TqlReadRegistryString(user, nullptr, OLESTR("Text"), buffer, &chars, FALSE), 87},
        {"dword type", TqlWriteRegistryDword(user, Key(), OLESTR("T"), REG_SZ, 1, FALSE), 87},
        {"string type",
         TqlWriteRegistryString(user, Key(), OLESTR("T"), REG_DWORD, OLESTR("x"), 1, FALSE), 87},
        {"null data", TqlWriteRegistryString(user, Key(), OLESTR("T"), REG_SZ, nullptr, 4, FALSE),
         87},
        {"too large",
         TqlSetRegistryValue(user, Key(), OLESTR("T"), REG_BINARY, nullptr,
                             kTqlMaxRegistryValueBytes + 1, FALSE),
         87},
    };
    for (const auto& row : rows) EXPECT_EQ(row.result, row.expected) << row.what;
    EXPECT_EQ(value, 0xCAFEF00Du);
    EXPECT_EQ(WString(buffer), WString(OLESTR("keep")));
    EXPECT_EQ(chars, 8u);
}

TEST_F(RegistryTest, DeletingValuesAndKeys) {
    ASSERT_EQ(Dword(OLESTR("Gone"), 1), 0u);
    ASSERT_EQ(Dword(OLESTR("Deep"), 1, REG_DWORD, OLESTR("A\\B\\C")), 0u);
    ASSERT_EQ(Dword(OLESTR("Sibling"), 2, REG_DWORD, OLESTR("AB")), 0u);
    DWORD value = 0;
    EXPECT_EQ(TqlDeleteRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Gone"), FALSE), 0u);
    EXPECT_EQ(TqlDeleteRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Gone"), FALSE), 2u);
    EXPECT_EQ(ReadDword(OLESTR("Gone"), &value), 2u);
    // A key goes with everything under it, and only that.
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CURRENT_USER, Path(OLESTR("a")).c_str(), FALSE), 0u);
    EXPECT_EQ(ReadDword(OLESTR("Deep"), &value, OLESTR("A\\B\\C")), 2u);
    EXPECT_EQ(ReadDword(OLESTR("Sibling"), &value, OLESTR("AB")), 0u);
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CURRENT_USER, Path(OLESTR("A")).c_str(), FALSE), 2u);
    EXPECT_EQ(
        TqlDeleteRegistryValue(HKEY_CURRENT_USER, Path(OLESTR("A")).c_str(), OLESTR("Deep"), FALSE),
        2u);
    // A root key itself is never deleted.
    for (LPCWSTR root : {OLESTR(""), OLESTR("\\"), static_cast<LPCWSTR>(nullptr)})
        EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CURRENT_USER, root, FALSE), 87u);
}

}  // namespace
}  // namespace ql
