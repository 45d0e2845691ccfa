// Lazily bound entries over dlopen/dlsym, with a copy of the C math library
// standing in for an optional system library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/platform/dynamic_library.h"
#include "support/platform/platform.h"
#include "support/platform/system_wrappers.h"
#include "temp_dir.h"

namespace ql {
namespace {

using LogbFunction = int (*)(double);  // ilogb: ilogb(8.0) == 3

// The math library's file, found through a library the process has loaded.
std::filesystem::path MathLibraryPath() {
    void* module = dlopen("libm.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (module == nullptr) return {};
    void* symbol = dlsym(module, "ilogb");
    Dl_info info{};
    std::filesystem::path path;
    if (symbol != nullptr && dladdr(symbol, &info) != 0 && info.dli_fname != nullptr)
        path = info.dli_fname;
    dlclose(module);
    return path;
}

class DynamicLibraryPosixTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = MathLibraryPath();
        ASSERT_FALSE(m_source.empty());
        m_target = (m_dir.Path() / "libql-optional.so").string();
        m_names[0] = m_target.c_str();
    }
    void Install() const { std::filesystem::copy_file(m_source, m_target); }

    test::TempDir m_dir;
    std::filesystem::path m_source;
    std::string m_target;
    const char* m_names[1] = {};
};

TEST_F(DynamicLibraryPosixTest, LibraryThatAppearsLaterIsBoundAtTheNextCall) {
    CTqlLazyLibrary library{m_names};
    const CTqlLazyFunction<LogbFunction, -1> logb{library, "ilogb"};
    EXPECT_EQ(logb(8.0), -1);
    EXPECT_FALSE(logb.IsBound());

    Install();
    EXPECT_EQ(logb(8.0), 3);
    EXPECT_TRUE(logb.IsBound());
    // Bound once and for all: the library stays loaded without its file.
    std::filesystem::remove(m_target);
    EXPECT_EQ(logb(1024.0), 10);

    // A function the library lacks fails at every call and keeps the library.
    const CTqlLazyFunction<LogbFunction, 120> missing{library, "ql_no_such_function"};
    for (int call = 0; call < 2; ++call) {
        _SetLastError(0);
        EXPECT_EQ(missing(1.0), 120);
        EXPECT_EQ(_GetLastError(), kTqlErrorProcNotFound);
    }
    EXPECT_FALSE(missing.IsBound());
    EXPECT_NE(library.LoadedModule(), nullptr);
}

TEST_F(DynamicLibraryPosixTest, ThreadsBindingTogetherAllGetTheFunction) {
    Install();
    CTqlLazyLibrary library{m_names};
    const CTqlLazyFunction<LogbFunction, -1> logb{library, "ilogb"};
    constexpr int kThreads = 8;
    std::atomic<int> ready{0};
    std::atomic<int> correct{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            ready.fetch_add(1);
            while (ready.load() < kThreads) std::this_thread::yield();
            if (logb(8.0) == 3) correct.fetch_add(1);
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(correct.load(), kThreads);
    EXPECT_TRUE(logb.IsBound());
}

TEST_F(DynamicLibraryPosixTest, LoadLibraryFromDir) {
    TqlModule module = nullptr;
    WString path = test::WidePath(m_target);
    EXPECT_EQ(TqlLoadLibraryFromDir(path.c_str(), &module), kTqlErrorModuleNotFound);
    EXPECT_EQ(module, nullptr);
    Install();
    ASSERT_EQ(TqlLoadLibraryFromDir(path.c_str(), &module), 0u);
    CTqlUniqueModule owner(module);
    auto logb = reinterpret_cast<LogbFunction>(TqlFindProcedure(owner.Get(), "ilogb"));
    ASSERT_NE(logb, nullptr);
    EXPECT_EQ(logb(8.0), 3);
    EXPECT_EQ(TqlLoadLibraryFromDir(nullptr, &module), 87u);
    EXPECT_EQ(TqlLoadLibraryFromDir(path.c_str(), nullptr), 87u);
}

}  // namespace
}  // namespace ql
