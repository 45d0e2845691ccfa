// Lazily bound entries over LoadLibrary/GetProcAddress, with a copy of a
// system library standing in for an optional one, and the product's entries
// against the system's own libraries.
// clang-format off
#include <winsock2.h>
// clang-format on
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/platform/dynamic_library.h"
#include "support/platform/platform.h"
#include "support/platform/system_wrappers.h"
#include "temp_dir.h"
#include "transport/winhttp_api.h"
#include "transport/wininet_api.h"

namespace ql {
namespace {

using StrToIntFunction = int(WINAPI*)(LPCWSTR);  // shlwapi's StrToIntW

std::filesystem::path SystemLibrary(const wchar_t* name) {
    wchar_t directory[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::filesystem::path(directory) / name;
}

class DynamicLibraryWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = SystemLibrary(L"shlwapi.dll");
        ASSERT_TRUE(std::filesystem::exists(m_source));
        m_targetPath = m_dir.Path() / "ql-optional.dll";
        m_target = m_targetPath.string();
        m_names[0] = m_target.c_str();
    }
    void Install() const { std::filesystem::copy_file(m_source, m_targetPath); }

    test::TempDir m_dir;
    std::filesystem::path m_source;
    std::filesystem::path m_targetPath;
    std::string m_target;
    const char* m_names[1] = {};
};

TEST_F(DynamicLibraryWinTest, LibraryThatAppearsLaterIsBoundAtTheNextCall) {
    CTqlLazyLibrary library{m_names};
    const CTqlLazyFunction<StrToIntFunction, -1> strToInt{library, "StrToIntW"};
    EXPECT_EQ(strToInt(L"42"), -1);

    Install();
    EXPECT_EQ(strToInt(L"42"), 42);
    EXPECT_TRUE(strToInt.IsBound());
    TqlModule module = library.LoadedModule();
    ASSERT_NE(module, nullptr);
    wchar_t loadedFrom[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(module, loadedFrom, MAX_PATH), 0u);
    EXPECT_TRUE(std::filesystem::equivalent(loadedFrom, m_targetPath));
}

TEST_F(DynamicLibraryWinTest, NamesAreTriedInOrderAndMissingFunctionsRetried) {
    constexpr const char* kNames[] = {"ql-missing-first.dll", "SHLWAPI.DLL"};
    CTqlLazyLibrary library{kNames};
    const CTqlLazyFunction<StrToIntFunction, -1> strToInt{library, "StrToIntW"};
    EXPECT_EQ(strToInt(L"7"), 7);
    const CTqlLazyFunction<StrToIntFunction, 120> missing{library, "QlNoSuchFunction"};
    SetLastError(0);
    EXPECT_EQ(missing(L"7"), 120);
    EXPECT_EQ(GetLastError(), kTqlErrorProcNotFound);
}

TEST_F(DynamicLibraryWinTest, LoadLibraryFromDirRestoresTheCurrentDirectory) {
    wchar_t before[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, before), 0u);
    TqlModule module = nullptr;
    WString path = m_targetPath.wstring();
    EXPECT_EQ(TqlLoadLibraryFromDir(path.c_str(), &module), kTqlErrorModuleNotFound);
    Install();
    ASSERT_EQ(TqlLoadLibraryFromDir(path.c_str(), &module), 0u);
    CTqlUniqueModule owner(module);
    EXPECT_NE(TqlFindProcedure(owner.Get(), "StrToIntW"), nullptr);
    wchar_t after[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, after), 0u);
    EXPECT_EQ(std::wstring(after), std::wstring(before));
    // A directory that cannot be made current is reported, and nothing loads.
    WString nowhere = (m_dir.Path() / "no-such-dir" / "x.dll").wstring();
    DWORD result = TqlLoadLibraryFromDir(nowhere.c_str(), &module);
    EXPECT_TRUE(result == 2 || result == 3) << result;
}

TEST(SystemEntries, WinHttpAndWinInetBind) {
    EXPECT_NE(TqlWinHttpModule(), nullptr);
    EXPECT_TRUE(_WinHttpCheckPlatform());
    LPVOID session = _WinHttpOpen(L"quillon-test", 1 /* no proxy */, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    EXPECT_TRUE(_WinHttpSetTimeouts(session, 1000, 1000, 1000, 1000));
    LPVOID connection = _WinHttpConnect(session, L"127.0.0.1", 9, 0);
    ASSERT_NE(connection, nullptr);
    EXPECT_TRUE(_WinHttpCloseHandle(connection));
    EXPECT_TRUE(_WinHttpCloseHandle(session));

    EXPECT_NE(TqlWinInetModule(), nullptr);
    session = _InternetOpen(L"quillon-test", 1 /* direct */, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    connection = _InternetConnect(session, L"127.0.0.1", 9, nullptr, nullptr, 3 /* HTTP */, 0, 0);
    ASSERT_NE(connection, nullptr);
    EXPECT_TRUE(_InternetCloseHandle(connection));
    EXPECT_TRUE(_InternetCloseHandle(session));
}

TEST(SystemEntries, KernelAndSocketEntriesBind) {
    BOOL wow64 = TRUE;
    ASSERT_TRUE(_IsWow64Process(GetCurrentProcess(), &wow64));
    EXPECT_EQ(wow64 != FALSE, TqlIsWow64Process());
    // A 64-bit process never runs under WOW64.
    if (sizeof(void*) == 8) {
        EXPECT_FALSE(TqlIsWow64Process());
    }
    DWORD session = 0xFFFFFFFF;
    EXPECT_TRUE(_ProcessIdToSessionId(GetCurrentProcessId(), &session));
    EXPECT_NE(session, 0xFFFFFFFFu);

    WSADATA data{};
    ASSERT_EQ(_WSAStartup(0x101, &data), 0);
    char host[260] = {};
    EXPECT_EQ(_gethostname(host, sizeof host), 0);
    EXPECT_NE(host[0], '\0');
    EXPECT_EQ(_WSACleanup(), 0);

    WCHAR user[256] = {};
    ULONG chars = 256;
    EXPECT_TRUE(_GetUserNameEx(2 /* NameSamCompatible */, user, &chars));
    EXPECT_GT(chars, 0u);
}

}  // namespace
}  // namespace ql
