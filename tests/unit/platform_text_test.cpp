// Conversion between wide and narrow text with the system's conventions,
// checked in the one code page that reads the same on every platform (UTF-8)
// and in the thread's code page for ASCII.
#include <gtest/gtest.h>

#include <string>

#include "support/base/wide_string.h"
#include "support/platform/system_wrappers.h"
#include "support/platform/text_conversion.h"

namespace ql {
namespace {

// "h", "é", "€", U+1D11E (a surrogate pair) and the terminator.
const WCHAR kWide[] = {u'h', 0xE9, 0x20AC, 0xD834, 0xDD1E, 0};
const char kNarrow[] = "h\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E";

TEST(TextConversion, Utf8RoundTripWithAndWithoutTerminator) {
    // -1: the terminator is converted and counted.
    int needed = TqlWideToNarrow(kTqlCodePageUtf8, 0, kWide, -1, nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(needed, 11);
    char narrow[16] = {};
    ASSERT_EQ(
        TqlWideToNarrow(kTqlCodePageUtf8, 0, kWide, -1, narrow, sizeof narrow, nullptr, nullptr),
        11);
    EXPECT_STREQ(narrow, kNarrow);
    // An explicit length converts exactly those characters.
    EXPECT_EQ(
        TqlWideToNarrow(kTqlCodePageUtf8, 0, kWide, 2, narrow, sizeof narrow, nullptr, nullptr), 3);

    EXPECT_EQ(TqlNarrowToWide(kTqlCodePageUtf8, 0, kNarrow, -1, nullptr, 0), 6);
    WCHAR wide[8] = {};
    ASSERT_EQ(TqlNarrowToWide(kTqlCodePageUtf8, 0, kNarrow, -1, wide, 8), 6);
    EXPECT_EQ(WString(wide), WString(kWide));
    EXPECT_EQ(TqlNarrowToWide(kTqlCodePageUtf8, 0, kNarrow, 3, wide, 8), 2);
}

TEST(TextConversion, TooSmallBuffersAndBadArguments) {
    char narrow[4] = {};
    _SetLastError(0);
    EXPECT_EQ(
        TqlWideToNarrow(kTqlCodePageUtf8, 0, kWide, -1, narrow, sizeof narrow, nullptr, nullptr),
        0);
    EXPECT_EQ(_GetLastError(), 122u);
    WCHAR wide[2] = {};
    EXPECT_EQ(TqlNarrowToWide(kTqlCodePageUtf8, 0, kNarrow, -1, wide, 2), 0);
    EXPECT_EQ(_GetLastError(), 122u);

    EXPECT_EQ(TqlWideToNarrow(kTqlCodePageUtf8, 0, nullptr, -1, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(_GetLastError(), 87u);
    EXPECT_EQ(TqlWideToNarrow(kTqlCodePageUtf8, 0, kWide, 0, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(_GetLastError(), 87u);
    EXPECT_EQ(TqlNarrowToWide(kTqlCodePageUtf8, 0, kNarrow, -1, nullptr, 4), 0);
    EXPECT_EQ(_GetLastError(), 87u);
}

TEST(TextConversion, InvalidInputIsReplacedOrRefused) {
    const WCHAR lone[] = {u'a', 0xD800, u'b'};
    char narrow[16] = {};
    ASSERT_EQ(
        TqlWideToNarrow(kTqlCodePageUtf8, 0, lone, 3, narrow, sizeof narrow, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(narrow, 5),
              "a\xEF\xBF\xBD"
              "b");
    _SetLastError(0);
    EXPECT_EQ(TqlWideToNarrow(kTqlCodePageUtf8, kTqlWcErrInvalidChars, lone, 3, narrow,
                              sizeof narrow, nullptr, nullptr),
              0);
    EXPECT_EQ(_GetLastError(), 1113u);

    const char bad[] = "a\xC3\x28z";  // a lead byte without its continuation
    WCHAR wide[8] = {};
    ASSERT_EQ(TqlNarrowToWide(kTqlCodePageUtf8, 0, bad, 4, wide, 8), 4);
    EXPECT_EQ(WString(wide, 4), WString(OLESTR("a\xFFFD(z")));
    EXPECT_EQ(TqlNarrowToWide(kTqlCodePageUtf8, kTqlMbErrInvalidChars, bad, 4, wide, 8), 0);
    EXPECT_EQ(_GetLastError(), 1113u);
}

TEST(TextConversion, ThreadCodePageConvertsAscii) {
    const WCHAR* text = OLESTR("Global\\TqlTracingMutex");
    char narrow[32] = {};
    ASSERT_EQ(
        TqlWideToNarrow(kTqlThreadCodePage, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr),
        23);
    EXPECT_STREQ(narrow, "Global\\TqlTracingMutex");
    WCHAR wide[32] = {};
    ASSERT_EQ(TqlNarrowToWide(kTqlThreadCodePage, 0, narrow, -1, wide, 32), 23);
    EXPECT_EQ(WString(wide), WString(text));
}

}  // namespace
}  // namespace ql
