// Lazily bound entries whose library cannot be found, the same on every
// platform.
#include "support/platform/dynamic_library.h"

#include <gtest/gtest.h>

#include "support/platform/system_wrappers.h"

namespace ql {
namespace {

using IntFunction = int (*)(int);
using PointerFunction = void* (*)(const char*);
using VoidFunction = void (*)();

constexpr const char* kMissingNames[] = {"ql-no-such-library-1", "ql-no-such-library-2"};

TEST(LazyFunction, MissingLibraryGivesTheFailureValueAtEveryCall) {
    CTqlLazyLibrary library{kMissingNames};
    const CTqlLazyFunction<IntFunction, 10092> startup{library, "WSAStartup"};
    const CTqlLazyFunction<IntFunction, -1> cleanup{library, "WSACleanup"};
    const CTqlLazyFunction<PointerFunction> open{library, "Open"};
    const CTqlLazyFunction<VoidFunction> notify{library, "Notify"};

    for (int call = 0; call < 3; ++call) {
        // The entry leaves the loader's error; clearing it first shows that
        // every call searched for the library again.
        _SetLastError(0);
        EXPECT_EQ(startup(1), 10092);
        EXPECT_EQ(_GetLastError(), kTqlErrorModuleNotFound);
        _SetLastError(0);
        EXPECT_EQ(cleanup(1), -1);
        EXPECT_EQ(_GetLastError(), kTqlErrorModuleNotFound);
        EXPECT_EQ(open("x"), nullptr);
        notify();
    }
    EXPECT_FALSE(startup.IsBound());
    EXPECT_EQ(startup.Bind(), nullptr);
    EXPECT_EQ(library.LoadedModule(), nullptr);
}

TEST(LazyFunction, EmptyNamesAndMissingArgumentsLoadNothing) {
    constexpr const char* kNames[] = {""};  // an empty name ends the list
    CTqlLazyLibrary library{kNames};
    EXPECT_EQ(library.Module(), nullptr);
    const CTqlLazyFunction<IntFunction, 120> entry{library, "gethostname"};
    EXPECT_EQ(entry(0), 120);
    _SetLastError(0);
    EXPECT_EQ(TqlLoadModule(nullptr), nullptr);
    EXPECT_EQ(_GetLastError(), 87u);
    EXPECT_EQ(TqlLoadModule(""), nullptr);
    EXPECT_EQ(TqlFindProcedure(nullptr, "x"), nullptr);
    EXPECT_EQ(_GetLastError(), 87u);
    CTqlUniqueModule none;
    EXPECT_FALSE(none);
    none.Reset();  // freeing nothing is allowed
}

}  // namespace
}  // namespace ql
