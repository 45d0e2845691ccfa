// The system description, its predicates and the Internet Explorer version
// text, computed from given fields the same way on every platform.
#include "support/platform/platform.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

constexpr WORD kSuiteTerminal = 0x0010;
constexpr WORD kSuiteSingleUserTerminal = 0x0100;

TqlOsVersionFields Nt(DWORD major, DWORD minor, DWORD build, const WCHAR* servicePack,
                      bool workstation, WORD suites = 0) {
    TqlOsVersionFields fields;
    fields.platformId = 2;
    fields.majorVersion = major;
    fields.minorVersion = minor;
    fields.buildNumber = build;
    fields.servicePack = servicePack;
    fields.ntWorkstation = workstation;
    fields.suiteMask = suites;
    return fields;
}

TqlOsVersionFields Win9x(DWORD major, DWORD minor, DWORD build, bool secondEdition = false) {
    TqlOsVersionFields fields;
    fields.platformId = 1;
    fields.majorVersion = major;
    fields.minorVersion = minor;
    fields.buildNumber = build;
    fields.win98SecondEdition = secondEdition;
    return fields;
}

TEST(OsVersion, DescriptionsOfKnownReleases) {
    TqlOsVersionFields other;
    other.platformId = 3;
    other.majorVersion = 5;
    const struct {
        TqlOsVersionFields fields;
        ULONGLONG expected;
    } rows[] = {
        {Nt(5, 1, 2600, OLESTR("Service Pack 2"), true, kSuiteTerminal),
         2600ull << 32 | 0x20300402},
        // NT 4.0 counts from build 1381; a server has no workstation flag.
        {Nt(4, 0, 1381, OLESTR("Service Pack 6"), true), 1381ull << 32 | 0x20100106},
        {Nt(4, 0, 1380, OLESTR(""), false), 1380ull << 32 | 0x20000000},
        {Nt(5, 0, 2195, OLESTR("Service Pack 4"), false), 2195ull << 32 | 0x20000204},
        {Nt(5, 2, 3790, OLESTR("Service Pack 1"), false), 3790ull << 32 | 0x20000801},
        {Nt(6, 1, 7601, OLESTR("Service Pack 1"), true), 7601ull << 32 | 0x20101001},
        {Nt(10, 0, 19045, OLESTR(""), true), 19045ull << 32 | 0x20100000},
        {Nt(5, 1, 2600, OLESTR(""), true, kSuiteSingleUserTerminal), 2600ull << 32 | 0x20500400},
        // The build number keeps its low 16 bits.
        {Nt(6, 1, 0x00019200, OLESTR(""), true), 0x9200ull << 32 | 0x20101000},
        // Service packs read as two words and a number that fits the field.
        {Nt(5, 1, 2600, OLESTR("  Service\tPack   12, v.3311"), true), 2600ull << 32 | 0x2010040C},
        {Nt(5, 1, 2600, OLESTR("Service Pack X"), true), 2600ull << 32 | 0x20100400},
        {Nt(5, 1, 2600, OLESTR("Service Pack 256"), true), 2600ull << 32 | 0x20100400},
        {Nt(5, 1, 2600, OLESTR("Service Pack -1"), true), 2600ull << 32 | 0x20100400},
        {Nt(5, 1, 2600, OLESTR("Service Pack 99999999999"), true), 2600ull << 32 | 0x20100400},
        {Win9x(4, 0, 950), 950ull << 32 | 0x10000100},
        {Win9x(4, 0, 0x04000457), 0x457ull << 32 | 0x10100100},  // OSR2: build 1111
        {Win9x(4, 10, 1998), 1998ull << 32 | 0x10000200},
        {Win9x(4, 10, 2222, true), 2222ull << 32 | 0x10100200},
        {Win9x(4, 90, 3000), 3000ull << 32 | 0x10000400},
        {Win9x(5, 0, 3000), 0},
        {other, 0},
    };
    for (const auto& row : rows) {
        ULONGLONG description = TqlComputeOsVersion(row.fields);
        EXPECT_EQ(description, row.expected) << std::hex << row.expected;
    }
}

TEST(OsVersion, Predicates) {
    // low word, NT, 9x, terminal services
    const struct {
        DWORD low;
        bool nt, win9x, terminal;
    } rows[] = {
        {0x20300402u, true, false, true},
        {0x20500400u, true, false, true},
        {0x20100400u, true, false, false},
        {0x10000400u, false, true, false},
        {0x10200000u, false, true, false},
        // One half all ones is a description like any other.
        {kTqlRunningSystem, false, false, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TqlIsWinNT(row.low, 0), row.nt) << std::hex << row.low;
        EXPECT_EQ(TqlIsWin9x(row.low, 0), row.win9x) << std::hex << row.low;
        EXPECT_EQ(TqlHasTerminalServices(row.low, 0), row.terminal) << std::hex << row.low;
    }
    // All ones asks about the running system.
    DWORD low = static_cast<DWORD>(TqlGetOsVersion());
    EXPECT_EQ(TqlIsWinNT(), TqlIsWinNT(low, 0));
    EXPECT_EQ(TqlIsWin9x(), TqlIsWin9x(low, 0));
    EXPECT_EQ(TqlHasTerminalServices(), TqlHasTerminalServices(low, 0));
}

TEST(IeVersion, TextReadsAsMajorDotMinor) {
    const std::pair<const WCHAR*, DWORD> rows[] = {
        {OLESTR("8.0.6001.18702"), 0x00080000u},
        {OLESTR("11.1.19041.0"), 0x000B0001u},
        {OLESTR(" 6.0"), 0x00060000u},
        {OLESTR("9. 11"), 0x0009000Bu},
        {OLESTR("9"), 0u},
        {OLESTR("9,11"), 0u},
        {OLESTR("v9.11"), 0u},
        {OLESTR("-1.0"), 0u},
        {OLESTR("65536.0"), 0u},
        {OLESTR(""), 0u},
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(TqlParseIeVersion(text), expected);
}

}  // namespace
}  // namespace ql
