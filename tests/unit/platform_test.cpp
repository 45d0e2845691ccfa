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

DWORD Low(ULONGLONG description) { return static_cast<DWORD>(description); }
DWORD High(ULONGLONG description) { return static_cast<DWORD>(description >> 32); }

TEST(OsVersion, XpWorkstationWithServicePackAndTerminalServices) {
    ULONGLONG description =
        TqlComputeOsVersion(Nt(5, 1, 2600, OLESTR("Service Pack 2"), true, kSuiteTerminal));
    EXPECT_EQ(Low(description), 0x20300402u);
    EXPECT_EQ(High(description), 2600u);
    EXPECT_TRUE(TqlHasTerminalServices(Low(description), High(description)));
    EXPECT_TRUE(TqlIsWinNT(Low(description), High(description)));
    EXPECT_FALSE(TqlIsWin9x(Low(description), High(description)));
}

TEST(OsVersion, NtReleases) {
    // NT 4.0 counts from build 1381; a server has no workstation flag.
    EXPECT_EQ(Low(TqlComputeOsVersion(Nt(4, 0, 1381, OLESTR("Service Pack 6"), true))),
              0x20100106u);
    EXPECT_EQ(Low(TqlComputeOsVersion(Nt(4, 0, 1380, OLESTR(""), false))), 0x20000000u);
    EXPECT_EQ(Low(TqlComputeOsVersion(Nt(5, 0, 2195, OLESTR("Service Pack 4"), false))),
              0x20000204u);
    EXPECT_EQ(Low(TqlComputeOsVersion(Nt(5, 2, 3790, OLESTR("Service Pack 1"), false))),
              0x20000801u);
    EXPECT_EQ(Low(TqlComputeOsVersion(Nt(6, 1, 7601, OLESTR("Service Pack 1"), true))),
              0x20101001u);
    EXPECT_EQ(Low(TqlComputeOsVersion(Nt(10, 0, 19045, OLESTR(""), true))), 0x20100000u);
    // The build number keeps its low 16 bits.
    EXPECT_EQ(High(TqlComputeOsVersion(Nt(6, 2, 0x00019200, OLESTR(""), true))), 0x9200u);
}

TEST(OsVersion, ServicePackTextReadsAsTwoWordsAndANumber) {
    auto servicePack = [](const WCHAR* text) {
        return Low(TqlComputeOsVersion(Nt(5, 1, 2600, text, true))) & kTqlOsServicePackMask;
    };
    EXPECT_EQ(servicePack(OLESTR("Service Pack 3")), 3u);
    EXPECT_EQ(servicePack(OLESTR("  Service\tPack   12, v.3311")), 12u);
    EXPECT_EQ(servicePack(OLESTR("Service Pack")), 0u);
    EXPECT_EQ(servicePack(OLESTR("Service Pack X")), 0u);
    EXPECT_EQ(servicePack(OLESTR("")), 0u);
    // A number that does not fit the field would corrupt the flags.
    EXPECT_EQ(Low(TqlComputeOsVersion(Nt(5, 1, 2600, OLESTR("Service Pack 256"), true))),
              0x20100400u);
    EXPECT_EQ(Low(TqlComputeOsVersion(Nt(5, 1, 2600, OLESTR("Service Pack -1"), true))),
              0x20100400u);
    EXPECT_EQ(Low(TqlComputeOsVersion(Nt(5, 1, 2600, OLESTR("Service Pack 99999999999"), true))),
              0x20100400u);
}

TEST(OsVersion, TerminalServicesSuites) {
    DWORD single =
        Low(TqlComputeOsVersion(Nt(5, 1, 2600, OLESTR(""), true, kSuiteSingleUserTerminal)));
    EXPECT_EQ(single, 0x20500400u);
    EXPECT_TRUE(TqlHasTerminalServices(single, 0));
    DWORD none = Low(TqlComputeOsVersion(Nt(5, 1, 2600, OLESTR(""), true)));
    EXPECT_FALSE(TqlHasTerminalServices(none, 0));
    // Only the NT family has terminal services.
    EXPECT_FALSE(TqlHasTerminalServices(0x10200000u, 0));
}

TEST(OsVersion, Win9xReleases) {
    EXPECT_EQ(Low(TqlComputeOsVersion(Win9x(4, 0, 950))), 0x10000100u);
    EXPECT_EQ(Low(TqlComputeOsVersion(Win9x(4, 0, 0x04000457))), 0x10100100u);  // OSR2: 1111
    EXPECT_EQ(Low(TqlComputeOsVersion(Win9x(4, 10, 1998))), 0x10000200u);
    EXPECT_EQ(Low(TqlComputeOsVersion(Win9x(4, 10, 2222, true))), 0x10100200u);
    EXPECT_EQ(Low(TqlComputeOsVersion(Win9x(4, 90, 3000))), 0x10000400u);
    EXPECT_EQ(TqlComputeOsVersion(Win9x(5, 0, 3000)), 0u);
    DWORD me = Low(TqlComputeOsVersion(Win9x(4, 90, 3000)));
    EXPECT_TRUE(TqlIsWin9x(me, 0));
    EXPECT_FALSE(TqlIsWinNT(me, 0));
    TqlOsVersionFields other;
    other.platformId = 3;
    other.majorVersion = 5;
    EXPECT_EQ(TqlComputeOsVersion(other), 0u);
}

TEST(OsVersion, AllOnesAsksAboutTheRunningSystem) {
    DWORD low = static_cast<DWORD>(TqlGetOsVersion());
    EXPECT_EQ(TqlGetOsVersion(), TqlGetOsVersion());
    EXPECT_EQ(TqlIsWinNT(), TqlIsWinNT(low, 0));
    EXPECT_EQ(TqlIsWin9x(), TqlIsWin9x(low, 0));
    EXPECT_EQ(TqlHasTerminalServices(), TqlHasTerminalServices(low, 0));
    // One half all ones is a description like any other.
    EXPECT_FALSE(TqlIsWinNT(kTqlRunningSystem, 0));
}

TEST(IeVersion, TextReadsAsMajorDotMinor) {
    EXPECT_EQ(TqlParseIeVersion(OLESTR("8.0.6001.18702")), 0x00080000u);
    EXPECT_EQ(TqlParseIeVersion(OLESTR("11.1.19041.0")), 0x000B0001u);
    EXPECT_EQ(TqlParseIeVersion(OLESTR(" 6.0")), 0x00060000u);
    EXPECT_EQ(TqlParseIeVersion(OLESTR("9. 11")), 0x0009000Bu);
    EXPECT_EQ(TqlParseIeVersion(OLESTR("9")), 0u);
    EXPECT_EQ(TqlParseIeVersion(OLESTR("9,11")), 0u);
    EXPECT_EQ(TqlParseIeVersion(OLESTR("v9.11")), 0u);
    EXPECT_EQ(TqlParseIeVersion(OLESTR("-1.0")), 0u);
    EXPECT_EQ(TqlParseIeVersion(OLESTR("65536.0")), 0u);
    EXPECT_EQ(TqlParseIeVersion(OLESTR("")), 0u);
}

}  // namespace
}  // namespace ql
