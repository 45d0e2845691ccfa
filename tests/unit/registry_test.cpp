// The registry readers and writers, the same on every platform: on Windows
// against the system registry (a fresh key under HKEY_CURRENT_USER), on POSIX
// against the file store in a fresh temporary directory.
#include "support/registry/registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "support/base/wide_string.h"
#include "temp_dir.h"

namespace ql {
namespace {

// Points the POSIX store at a directory for the life of a test and then
// restores the variable. Windows has no store to point.
class ScopedStoreDirectory {
public:
    explicit ScopedStoreDirectory(const std::string& directory) {
        const char* old = std::getenv(kName);
        m_had = old != nullptr;
        if (m_had) m_old = old;
        Set(directory.c_str());
    }
    ~ScopedStoreDirectory() { Set(m_had ? m_old.c_str() : nullptr); }
    ScopedStoreDirectory(const ScopedStoreDirectory&) = delete;
    ScopedStoreDirectory& operator=(const ScopedStoreDirectory&) = delete;

private:
    static constexpr char kName[] = "QL_REGISTRY_DIR";
    static void Set(const char* value) {
#ifdef _WIN32
        _putenv_s(kName, value != nullptr ? value : "");
#else
        if (value != nullptr)
            setenv(kName, value, 1);
        else
            unsetenv(kName);
#endif
    }

    std::string m_old;
    bool m_had = false;
};

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        m_key = WidenAscii("Software\\QuillonTests-" + m_store.Path().filename().string() + "-" +
                           std::to_string(counter++));
    }
    void TearDown() override { TqlDeleteRegistryKey(HKEY_CURRENT_USER, m_key.c_str(), FALSE); }

    LPCWSTR Key() const { return m_key.c_str(); }
    WString Sub(const char* path) const { return m_key + OLESTR("\\") + WidenAscii(path); }

    DWORD WriteString(LPCWSTR name, const WString& text, DWORD type = REG_SZ) {
        return TqlWriteRegistryString(HKEY_CURRENT_USER, Key(), name, type, text.c_str(),
                                      static_cast<DWORD>(text.size()), FALSE);
    }
    DWORD ReadString(LPCWSTR name, WString* text, DWORD* chars) {
        WCHAR buffer[64];
        for (WCHAR& c : buffer) c = u'#';
        DWORD result = TqlReadRegistryString(HKEY_CURRENT_USER, Key(), name, buffer, chars, FALSE);
        if (result == 0) *text = WString(buffer, *chars);
        return result;
    }

    test::TempDir m_store;
    ScopedStoreDirectory m_storeDirectory{m_store.Path().string()};
    WString m_key;
};

TEST_F(RegistryTest, StringTypesReadBackWithTheirLengthIncludingTheTerminator) {
    ASSERT_EQ(WriteString(OLESTR("Plain"), OLESTR("C:\\logs\\tql.log")), 0u);
    ASSERT_EQ(WriteString(OLESTR("Expand"), OLESTR("%TEMP%\\x"), REG_EXPAND_SZ), 0u);
    ASSERT_EQ(WriteString(OLESTR("List"), WString(OLESTR("a\0bc\0"), 5), REG_MULTI_SZ), 0u);

    WString text;
    DWORD chars = 64;
    ASSERT_EQ(ReadString(OLESTR("Plain"), &text, &chars), 0u);
    EXPECT_EQ(chars, 16u);
    EXPECT_EQ(text, WString(OLESTR("C:\\logs\\tql.log"), 16));
    // Not expanded.
    chars = 64;
    ASSERT_EQ(ReadString(OLESTR("Expand"), &text, &chars), 0u);
    EXPECT_EQ(text, WString(OLESTR("%TEMP%\\x"), 9));
    // A list keeps its strings and gets the empty string that ends it.
    chars = 64;
    ASSERT_EQ(ReadString(OLESTR("List"), &text, &chars), 0u);
    EXPECT_EQ(text, WString(OLESTR("a\0bc\0\0"), 6));
    DWORD type = 0;
    DWORD bytes = 0;
    ASSERT_EQ(TqlQueryRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("List"), &type, nullptr,
                                    &bytes, FALSE),
              0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(bytes, 12u);
}

TEST_F(RegistryTest, StringTooLargeForTheBufferReportsTheLengthNeeded) {
    ASSERT_EQ(WriteString(OLESTR("Ten"), OLESTR("0123456789")), 0u);
    WCHAR small[4] = {u'x', u'y', u'z', 0};
    DWORD chars = 4;
    EXPECT_EQ(TqlReadRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("Ten"), small, &chars, FALSE),
              234u);
    EXPECT_EQ(chars, 11u);
    EXPECT_EQ(WString(small), WString(OLESTR("xyz")));  // untouched

    // Exactly the size needed fits.
    WCHAR exact[11];
    chars = 11;
    ASSERT_EQ(TqlReadRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("Ten"), exact, &chars, FALSE),
              0u);
    EXPECT_EQ(chars, 11u);
    EXPECT_EQ(WString(exact), WString(OLESTR("0123456789")));
}

TEST_F(RegistryTest, DataWithoutTerminatorIsTerminatedOnWriteAndOnRead) {
    // The writer adds the terminator that the caller's count leaves out ...
    ASSERT_EQ(TqlWriteRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("Cut"), REG_SZ,
                                     OLESTR("abcdef"), 3, FALSE),
              0u);
    WString text;
    DWORD chars = 64;
    ASSERT_EQ(ReadString(OLESTR("Cut"), &text, &chars), 0u);
    EXPECT_EQ(text, WString(OLESTR("abc"), 4));
    // ... and the reader terminates raw data stored without one.
    const WCHAR raw[] = {u'h', u'i'};
    ASSERT_EQ(TqlSetRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Raw"), REG_SZ,
                                  reinterpret_cast<const BYTE*>(raw), sizeof raw, FALSE),
              0u);
    chars = 3;
    ASSERT_EQ(ReadString(OLESTR("Raw"), &text, &chars), 0u);
    EXPECT_EQ(text, WString(OLESTR("hi"), 3));
    chars = 2;
    EXPECT_EQ(ReadString(OLESTR("Raw"), &text, &chars), 234u);
    EXPECT_EQ(chars, 3u);

    // Null-terminated input, and an empty string.
    ASSERT_EQ(TqlWriteRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("Z"), REG_SZ, OLESTR("zed"),
                                     kTqlNullTerminated, FALSE),
              0u);
    chars = 64;
    ASSERT_EQ(ReadString(OLESTR("Z"), &text, &chars), 0u);
    EXPECT_EQ(text, WString(OLESTR("zed"), 4));
    ASSERT_EQ(TqlWriteRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("Empty"), REG_SZ, nullptr, 0,
                                     FALSE),
              0u);
    chars = 1;
    ASSERT_EQ(ReadString(OLESTR("Empty"), &text, &chars), 0u);
    EXPECT_EQ(chars, 1u);
}

TEST_F(RegistryTest, DwordTypesAreTakenAsStored) {
    ASSERT_EQ(TqlWriteRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("Little"), REG_DWORD,
                                    0x12345678u, FALSE),
              0u);
    ASSERT_EQ(TqlWriteRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("Big"), REG_DWORD_BIG_ENDIAN,
                                    0x12345678u, FALSE),
              0u);
    DWORD value = 0;
    ASSERT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("Little"), &value, FALSE), 0u);
    EXPECT_EQ(value, 0x12345678u);
    value = 0;
    ASSERT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("Big"), &value, FALSE), 0u);
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_EQ(TqlWriteRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("Bad"), REG_SZ, 1, FALSE),
              87u);
}

TEST_F(RegistryTest, WrongTypesGive1629AndLeaveTheOutputAlone) {
    ASSERT_EQ(WriteString(OLESTR("Text"), OLESTR("5")), 0u);
    ASSERT_EQ(
        TqlWriteRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("Number"), REG_DWORD, 5, FALSE), 0u);
    const BYTE shortDword[] = {1, 2};
    ASSERT_EQ(TqlSetRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Short"), REG_DWORD, shortDword,
                                  sizeof shortDword, FALSE),
              0u);

    DWORD value = 0xCAFEF00Du;
    EXPECT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("Text"), &value, FALSE), 1629u);
    EXPECT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("Short"), &value, FALSE),
              1629u);
    EXPECT_EQ(value, 0xCAFEF00Du);

    WCHAR buffer[8] = {u'k', u'e', u'e', u'p', 0};
    DWORD chars = 8;
    EXPECT_EQ(
        TqlReadRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("Number"), buffer, &chars, FALSE),
        1629u);
    EXPECT_EQ(WString(buffer), WString(OLESTR("keep")));
    EXPECT_EQ(chars, 8u);
}

TEST_F(RegistryTest, MissingKeysAndValuesAndBadArguments) {
    DWORD value = 7;
    WCHAR buffer[8] = {};
    DWORD chars = 8;
    EXPECT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("None"), &value, FALSE), 2u);
    ASSERT_EQ(WriteString(OLESTR("Present"), OLESTR("x")), 0u);
    EXPECT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("None"), &value, FALSE), 2u);
    EXPECT_EQ(TqlReadRegistryString(HKEY_CURRENT_USER, Sub("Nowhere").c_str(), OLESTR("Present"),
                                    buffer, &chars, FALSE),
              2u);
    EXPECT_EQ(value, 7u);

    EXPECT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, nullptr, OLESTR("Present"), &value, FALSE),
              87u);
    EXPECT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Key(), OLESTR("Present"), nullptr, FALSE),
              87u);
    EXPECT_EQ(TqlReadRegistryString(nullptr, Key(), OLESTR("Present"), buffer, &chars, FALSE), 87u);
    EXPECT_EQ(
        TqlReadRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("Present"), nullptr, &chars, FALSE),
        87u);
    EXPECT_EQ(
        TqlReadRegistryString(HKEY_CURRENT_USER, nullptr, OLESTR("Present"), buffer, &chars, FALSE),
        87u);
    EXPECT_EQ(TqlWriteRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("T"), REG_DWORD, OLESTR("x"),
                                     1, FALSE),
              87u);
    EXPECT_EQ(
        TqlWriteRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("T"), REG_SZ, nullptr, 4, FALSE),
        87u);
    EXPECT_EQ(TqlSetRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("T"), REG_BINARY, nullptr,
                                  kTqlMaxRegistryValueBytes + 1, FALSE),
              87u);
}

TEST_F(RegistryTest, NamesAreComparedWithoutRegardToCase) {
    ASSERT_EQ(TqlWriteRegistryDword(HKEY_CURRENT_USER, Sub("Mixed\\Case").c_str(),
                                    OLESTR("LogFilesNumber"), REG_DWORD, 5, FALSE),
              0u);
    DWORD value = 0;
    ASSERT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Sub("MIXED\\case").c_str(),
                                   OLESTR("logfilesnumber"), &value, FALSE),
              0u);
    EXPECT_EQ(value, 5u);
    // Writing under another spelling replaces the value.
    ASSERT_EQ(TqlWriteRegistryDword(HKEY_CURRENT_USER, Sub("mixed\\CASE").c_str(),
                                    OLESTR("LOGFILESNUMBER"), REG_DWORD, 6, FALSE),
              0u);
    ASSERT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Sub("Mixed\\Case").c_str(),
                                   OLESTR("LogFilesNumber"), &value, FALSE),
              0u);
    EXPECT_EQ(value, 6u);
}

TEST_F(RegistryTest, DefaultValueHasTheEmptyName) {
    ASSERT_EQ(TqlWriteRegistryString(HKEY_CURRENT_USER, Key(), nullptr, REG_SZ, OLESTR("dflt"),
                                     kTqlNullTerminated, FALSE),
              0u);
    WCHAR buffer[8];
    DWORD chars = 8;
    ASSERT_EQ(TqlReadRegistryString(HKEY_CURRENT_USER, Key(), OLESTR(""), buffer, &chars, FALSE),
              0u);
    EXPECT_EQ(WString(buffer), WString(OLESTR("dflt")));
}

TEST_F(RegistryTest, DeletingValuesAndKeys) {
    ASSERT_EQ(WriteString(OLESTR("Gone"), OLESTR("x")), 0u);
    ASSERT_EQ(TqlWriteRegistryDword(HKEY_CURRENT_USER, Sub("A\\B\\C").c_str(), OLESTR("Deep"),
                                    REG_DWORD, 1, FALSE),
              0u);
    ASSERT_EQ(TqlWriteRegistryDword(HKEY_CURRENT_USER, Sub("AB").c_str(), OLESTR("Sibling"),
                                    REG_DWORD, 2, FALSE),
              0u);

    EXPECT_EQ(TqlDeleteRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Gone"), FALSE), 0u);
    EXPECT_EQ(TqlDeleteRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Gone"), FALSE), 2u);
    DWORD value = 0;
    WCHAR buffer[4];
    DWORD chars = 4;
    EXPECT_EQ(
        TqlReadRegistryString(HKEY_CURRENT_USER, Key(), OLESTR("Gone"), buffer, &chars, FALSE), 2u);

    // A key goes with everything under it, and only that.
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CURRENT_USER, Sub("a").c_str(), FALSE), 0u);
    EXPECT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Sub("A\\B\\C").c_str(), OLESTR("Deep"),
                                   &value, FALSE),
              2u);
    EXPECT_EQ(TqlReadRegistryDword(HKEY_CURRENT_USER, Sub("AB").c_str(), OLESTR("Sibling"), &value,
                                   FALSE),
              0u);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CURRENT_USER, Sub("A").c_str(), FALSE), 2u);
    EXPECT_EQ(TqlDeleteRegistryValue(HKEY_CURRENT_USER, Sub("A").c_str(), OLESTR("Deep"), FALSE),
              2u);

    // A root key itself is never deleted.
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CURRENT_USER, OLESTR(""), FALSE), 87u);
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CURRENT_USER, OLESTR("\\"), FALSE), 87u);
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CURRENT_USER, nullptr, FALSE), 87u);
}

TEST_F(RegistryTest, RawValuesOfAnyTypeRoundTrip) {
    const BYTE blob[] = {0x00, 0xFF, 0x10, 0x7F, 0x80};
    ASSERT_EQ(TqlSetRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Blob"), REG_BINARY, blob,
                                  sizeof blob, FALSE),
              0u);
    BYTE read[8] = {};
    DWORD bytes = 2;
    DWORD type = 0;
    EXPECT_EQ(
        TqlQueryRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Blob"), &type, read, &bytes, FALSE),
        234u);
    EXPECT_EQ(bytes, sizeof blob);
    bytes = sizeof read;
    ASSERT_EQ(
        TqlQueryRegistryValue(HKEY_CURRENT_USER, Key(), OLESTR("Blob"), &type, read, &bytes, FALSE),
        0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(bytes, sizeof blob);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(read), bytes),
              std::string(reinterpret_cast<const char*>(blob), sizeof blob));
}

}  // namespace
}  // namespace ql
