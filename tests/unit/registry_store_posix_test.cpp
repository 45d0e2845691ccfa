// The POSIX registry store: its text format, where its files live, and that
// writers in several threads and processes lose nothing.
#include "support/registry/registry_store_posix.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/base/wide_string.h"
#include "support/registry/registry.h"
#include "support/registry/registry_file_posix.h"
#include "temp_dir.h"

namespace ql {
namespace {

std::vector<BYTE> Bytes(WStringView text) {
    std::vector<BYTE> data(text.size() * 2);
    std::memcpy(data.data(), text.data(), data.size());
    return data;
}

class RegistryStoreTest : public ::testing::Test {
protected:
    RegistryStoreTest() : m_env(kTqlRegistryDirVariable, m_dir.Path().c_str()) {}

    std::filesystem::path HiveFile(const char* name) const { return m_dir.Path() / name; }
    static DWORD Write(HKEY root, LPCWSTR key, LPCWSTR name, DWORD value) {
        return TqlWriteRegistryDword(root, key, name, REG_DWORD, value, FALSE);
    }
    static DWORD Read(HKEY root, LPCWSTR key, LPCWSTR name, DWORD* value) {
        return TqlReadRegistryDword(root, key, name, value, FALSE);
    }

    test::TempDir m_dir;
    test::ScopedEnvironment m_env;
};

TEST(RegistryStoreFormat, EveryValueSurvivesTheTextForm) {
    CTqlRegistryHive hive;
    TqlRegistryKey& key = hive.CreateKey(u"Software\\TQL\\Debug");
    const WString tricky(
        u"q\"b\\n\nr\rt\tc\x01"
        u"\x7F"
        u"é€𝄞");
    key.SetValue(u"LogFile", REG_SZ, Bytes(WString(u"C:\\logs\\tql.log", 16)));
    key.SetValue(u"Tricky \"name\" = [x]", REG_EXPAND_SZ, Bytes(tricky + WCHAR{0}));
    key.SetValue(u"List", REG_MULTI_SZ, Bytes(WString(u"a\0b\0\0", 5)));
    key.SetValue(u"", REG_DWORD, {0x05, 0x00, 0x00, 0x00});
    key.SetValue(u"Big", REG_DWORD_BIG_ENDIAN, {0x78, 0x56, 0x34, 0x12});
    // Unpaired surrogates, and data that has not its type's form.
    key.SetValue(u"Lone", REG_SZ, Bytes(WString(u"\xD800x\xDC00\0", 4)));
    key.SetValue(u"Unterminated", REG_SZ, {'h', 0, 'i', 0});
    key.SetValue(u"Odd", REG_MULTI_SZ, {1, 2, 3});
    key.SetValue(u"ShortDword", REG_DWORD, {1});
    key.SetValue(u"Blob", REG_BINARY, {0x00, 0xAB, 0xFF});
    key.SetValue(u"Nothing", REG_NONE, {});
    key.SetValue(u"Quad", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    hive.CreateKey(u"Software\\Empty Key [1]");
    hive.CreateKey(u"").SetValue(u"AtRoot", REG_SZ, Bytes(WString(u"r\0", 2)));

    std::string text = hive.Serialize();
    CTqlRegistryHive copy;
    ASSERT_EQ(copy.Parse(text), 0u) << text;
    EXPECT_EQ(copy.Serialize(), text);
    const TqlRegistryKey* read = copy.FindKey(u"software\\tql\\debug");
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->values.size(), key.values.size());
    for (std::size_t i = 0; i < key.values.size(); ++i) {
        EXPECT_EQ(read->values[i].name, key.values[i].name) << i;
        EXPECT_EQ(read->values[i].type, key.values[i].type) << i;
        EXPECT_EQ(read->values[i].data, key.values[i].data) << i;
    }
    EXPECT_NE(copy.FindKey(u"Software\\Empty Key [1]"), nullptr);
    EXPECT_NE(copy.FindKey(u"")->FindValue(u"atroot"), nullptr);
    // Readable where it can be.
    for (const char* line : {"[Software\\TQL\\Debug]\n\"LogFile\"=sz:\"C:\\\\logs\\\\tql.log\"\n",
                             "\"Big\"=dword_be:12345678\n", "\"List\"=multi_sz:\"a\\0b\\0\"\n",
                             "\"Unterminated\"=hex(1):68,00,69,00\n",
                             "\"Quad\"=hex(b):01,02,03,04,05,06,07,08\n", "é€𝄞"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST(RegistryStoreFormat, HandWrittenFilesAndTheDocumentedExampleAreRead) {
    CTqlRegistryHive hive;
    ASSERT_EQ(hive.Parse("# comment\r\n"
                         "\"AtRoot\"=dword:1\n"
                         "  [Software\\Example\\Communications]   \n"
                         "\t\"Proxy Server\" = sz:\"proxy:8080\"\r\n"
                         "\"proxy server\"=sz:\"later wins\"\n"
                         "\n"
                         "[Software\\\\Example\\]\n"
                         "\"Port\"=dword:00001F90\n"
                         // The example of the format's description.
                         "# Quillon registry store, format 1 (UTF-8). ...\n"
                         "[Software\\TQL\\Debug]\n"
                         "\"LogFile\"=sz:\"C:\\\\logs\\\\tql.log\"\n"
                         "\"LogFilesNumber\"=dword:00000005\n"
                         "\"Flags\"=dword_be:12345678\n"
                         "\"Path\"=expand_sz:\"%TEMP%\\\\quillon\"\n"
                         "\"Servers\"=multi_sz:\"vault1\\0vault2\\0\"\n"
                         "\"\"=sz:\"the key's default value\"\n"
                         "\"Blob\"=hex(3):00,ab,ff\n"
                         "\n"
                         "[Software\\Empty Key]\n"),
              0u);
    const TqlRegistryKey* key = hive.FindKey(u"Software\\Example\\Communications");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), 1u);
    EXPECT_EQ(key->values[0].name, WString(u"Proxy Server"));
    EXPECT_EQ(key->values[0].data, Bytes(WString(u"later wins\0", 11)));
    ASSERT_NE(hive.FindKey(u"Software\\Example"), nullptr);
    EXPECT_NE(hive.FindKey(u"Software\\Example")->FindValue(u"PORT"), nullptr);
    EXPECT_NE(hive.FindKey(u"")->FindValue(u"AtRoot"), nullptr);

    key = hive.FindKey(u"Software\\TQL\\Debug");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.size(), 7u);
    EXPECT_EQ(key->FindValue(u"Servers")->data, Bytes(WString(u"vault1\0vault2\0\0", 15)));
    EXPECT_NE(hive.FindKey(u"Software\\Empty Key"), nullptr);
}

TEST(RegistryStoreFormat, MalformedTextIsRefusedAndChangesNothing) {
    CTqlRegistryHive hive;
    hive.CreateKey(u"Keep").SetValue(u"v", REG_DWORD, {1, 0, 0, 0});
    const char* bad[] = {
        "[Unclosed\n",
        "\"x\"=sz:\"unterminated\n",
        "\"x\"=sz:\"bad escape \\q\"\n",
        "\"x\"=sz:\"short \\u12\"\n",
        "\"x\"=sz:\"ok\" trailing\n",
        "\"x\"=dword:123456789\n",
        "\"x\"=dword:\n",
        "\"x\"=hex(3):0,1\n",
        "\"x\"=hex(3):00,\n",
        "\"x\"=hex(zz):00\n",
        "\"x\"=unknown:00\n",
        "\"x\"=DWORD:00000001\n",  // type names are lower case
        "\"x\" sz:\"missing equals\"\n",
        "no quotes=sz:\"x\"\n",
        "\"bad utf-8 \xC3\x28\"=dword:1\n",
        "\"overlong \xC0\xAF\"=dword:1\n",
        "[control\x01key]\n",
    };
    for (const char* text : bad) {
        EXPECT_EQ(hive.Parse(text), kTqlErrorRegistryCorrupt) << text;
        ASSERT_NE(hive.FindKey(u"keep"), nullptr) << text;
    }
    EXPECT_EQ(hive.Parse(std::string(kTqlMaxHiveFileBytes + 1, '#')), kTqlErrorRegistryCorrupt);
}

TEST(RegistryStoreFormat, PathsAreNormalizedAndChecked) {
    WString path;
    ASSERT_EQ(TqlNormalizeRegistryPath(u"\\Software\\\\Classes\\", &path), 0u);
    EXPECT_EQ(path, WString(u"Software\\Classes"));
    EXPECT_EQ(TqlNormalizeRegistryPath(u"a\\b\x0A", &path), 87u);
    EXPECT_EQ(TqlNormalizeRegistryPath(u"a\\\xDC00", &path), 87u);
    EXPECT_EQ(TqlNormalizeRegistryPath(WString(256, u'k'), &path), 87u);
    EXPECT_EQ(TqlNormalizeRegistryPath(WString(255, u'k'), &path), 0u);
    EXPECT_EQ(TqlFoldRegistryName(u"aZé\u0101\u0138\u013A\u0437\u0451\u03C2"),
              WString(u"AZÉ\u0100\u0138\u0139\u0417\u0401\u03A3"));
}

TEST_F(RegistryStoreTest, HivesAreFilesInTheConfiguredDirectory) {
    ASSERT_EQ(Write(HKEY_LOCAL_MACHINE, u"Software\\TQL\\Debug", u"LogFilesNumber", 5), 0u);
    ASSERT_EQ(Write(HKEY_USERS, u"S-1-5-18", u"U", 1), 0u);
    ASSERT_EQ(Write(HKEY_CURRENT_USER, u"Software", u"C", 2), 0u);
    std::string machine = test::ReadAll(HiveFile("HKEY_LOCAL_MACHINE.txt"));
    EXPECT_NE(machine.find("[Software\\TQL\\Debug]\n\"LogFilesNumber\"=dword:00000005\n"),
              std::string::npos)
        << machine;
    EXPECT_TRUE(std::filesystem::exists(HiveFile("HKEY_USERS.txt")));
    EXPECT_TRUE(std::filesystem::exists(HiveFile("HKEY_CURRENT_USER.txt")));
    // Only the hives and their lock files: no temporary file is left behind.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.ends_with(".txt") || name.ends_with(".lock")) << name;
        ++files;
    }
    EXPECT_EQ(files, 6);

    // A hand edit is seen by the next read.
    test::WriteAll(HiveFile("HKEY_LOCAL_MACHINE.txt"),
                   "[Software\\TQL\\Debug]\n\"LogFilesNumber\"=dword:00000009\n");
    DWORD value = 0;
    ASSERT_EQ(Read(HKEY_LOCAL_MACHINE, u"Software\\TQL\\Debug", u"LogFilesNumber", &value), 0u);
    EXPECT_EQ(value, 9u);
}

TEST_F(RegistryStoreTest, ClassesRootIsTheMachinesSoftwareClasses) {
    ASSERT_EQ(TqlWriteRegistryString(HKEY_CLASSES_ROOT, u"Quillon.SoapRepository\\CLSID", nullptr,
                                     REG_SZ, u"{BAD929BA-8740-4be1-B3AA-B0AB6237E0A2}",
                                     kTqlNullTerminated, FALSE),
              0u);
    WCHAR buffer[64];
    DWORD chars = 64;
    ASSERT_EQ(TqlReadRegistryString(HKEY_LOCAL_MACHINE,
                                    u"SOFTWARE\\Classes\\Quillon.SoapRepository\\CLSID", u"",
                                    buffer, &chars, FALSE),
              0u);
    EXPECT_EQ(chars, 39u);
    // Deleting the alias's root is deleting a root key.
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CLASSES_ROOT, u"", FALSE), 87u);
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_CLASSES_ROOT, u"Quillon.SoapRepository", FALSE), 0u);
    EXPECT_EQ(TqlReadRegistryString(HKEY_LOCAL_MACHINE,
                                    u"SOFTWARE\\Classes\\Quillon.SoapRepository\\CLSID", u"",
                                    buffer, &chars, FALSE),
              2u);
    // Roots the store does not hold.
    HKEY currentConfig = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0xFFFFFFFF80000005ull));
    EXPECT_EQ(Write(currentConfig, u"x", u"y", 1), 6u);
}

TEST_F(RegistryStoreTest, CorruptHiveIsReportedAndNeverOverwritten) {
    const std::string corrupt = "[Software]\n\"v\"=sz:\"no end\n";
    test::WriteAll(HiveFile("HKEY_LOCAL_MACHINE.txt"), corrupt);
    DWORD value = 0;
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, u"Software", u"v", &value), 1015u);
    EXPECT_EQ(Write(HKEY_LOCAL_MACHINE, u"Software", u"w", 1), 1015u);
    EXPECT_EQ(TqlDeleteRegistryKey(HKEY_LOCAL_MACHINE, u"Software", FALSE), 1015u);
    EXPECT_EQ(test::ReadAll(HiveFile("HKEY_LOCAL_MACHINE.txt")), corrupt);
    // Other hives are not affected.
    EXPECT_EQ(Write(HKEY_CURRENT_USER, u"Software", u"w", 1), 0u);
}

TEST_F(RegistryStoreTest, MissingStoreReadsAsEmpty) {
    test::ScopedEnvironment elsewhere(kTqlRegistryDirVariable,
                                      (m_dir.Path() / "not" / "yet").c_str());
    DWORD value = 0;
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, u"Software", u"v", &value), 2u);
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "not"));
    // The first write creates the directory.
    EXPECT_EQ(Write(HKEY_LOCAL_MACHINE, u"Software", u"v", 3), 0u);
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "not" / "yet" / "HKEY_LOCAL_MACHINE.txt"));
}

TEST_F(RegistryStoreTest, DefaultDirectoryFollowsXdgConfigHomeThenHome) {
    test::ScopedEnvironment noOverride(kTqlRegistryDirVariable, nullptr);
    {
        test::ScopedEnvironment config("XDG_CONFIG_HOME", (m_dir.Path() / "xdg").c_str());
        std::string directory;
        ASSERT_EQ(TqlRegistryStoreDirectory(&directory), 0u);
        EXPECT_EQ(directory, (m_dir.Path() / "xdg" / "quillon" / "registry").string());
        ASSERT_EQ(Write(HKEY_CURRENT_USER, u"Software", u"v", 1), 0u);
        EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "xdg" / "quillon" / "registry" /
                                            "HKEY_CURRENT_USER.txt"));
    }
    test::ScopedEnvironment relative("XDG_CONFIG_HOME", "relative/path");
    test::ScopedEnvironment home("HOME", (m_dir.Path() / "home").c_str());
    std::string directory;
    ASSERT_EQ(TqlRegistryStoreDirectory(&directory), 0u);
    EXPECT_EQ(directory, (m_dir.Path() / "home" / ".config" / "quillon" / "registry").string());
}

WString SharedName(int writer, int i) {
    return WidenAscii("w" + std::to_string(writer) + "-" + std::to_string(i));
}

// Three processes and four threads of this one write side by side; the
// processes start first, while this process has no other thread to fork.
TEST_F(RegistryStoreTest, ConcurrentWritersInThreadsAndProcessesLoseNothing) {
    constexpr int kProcesses = 3;
    constexpr int kWriters = kProcesses + 4;
    constexpr int kWritesEach = 25;
    auto writeMany = [](int writer) {
        for (int i = 0; i < kWritesEach; ++i)
            EXPECT_EQ(Write(HKEY_LOCAL_MACHINE, u"Software\\Shared", SharedName(writer, i).c_str(),
                            static_cast<DWORD>(i)),
                      0u);
    };
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            writeMany(p);
            _exit(::testing::Test::HasFailure() ? 1 : 0);
        }
        children.push_back(pid);
    }
    std::vector<std::thread> threads;
    for (int t = kProcesses; t < kWriters; ++t) threads.emplace_back(writeMany, t);
    for (auto& thread : threads) thread.join();
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int i = 0; i < kWritesEach; ++i) {
            DWORD value = 0xFFFF;
            ASSERT_EQ(Read(HKEY_LOCAL_MACHINE, u"Software\\Shared", SharedName(writer, i).c_str(),
                           &value),
                      0u)
                << writer << "/" << i;
            EXPECT_EQ(value, static_cast<DWORD>(i));
        }
    }
}

}  // namespace
}  // namespace ql
