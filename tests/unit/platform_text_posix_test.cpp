// The argument rules of the UTF-8 code page as Windows documents them, which
// the POSIX conversion follows. (Wine accepts these arguments, so they are
// checked here only.)
#include <gtest/gtest.h>

#include <string>

#include "support/platform/system_wrappers.h"
#include "support/platform/text_conversion.h"

namespace ql {
namespace {

const WCHAR kWide[] = u"text";
const char kNarrow[] = "text";

TEST(TextConversionPosix, Utf8TakesNoDefaultCharacterAndFewFlags) {
    BOOL usedDefault = FALSE;
    _SetLastError(0);
    EXPECT_EQ(TqlWideToNarrow(kTqlCodePageUtf8, 0, kWide, -1, nullptr, 0, nullptr, &usedDefault),
              0);
    EXPECT_EQ(_GetLastError(), 87u);
    EXPECT_EQ(TqlWideToNarrow(kTqlCodePageUtf8, 0, kWide, -1, nullptr, 0, "?", nullptr), 0);
    EXPECT_EQ(_GetLastError(), 87u);
    EXPECT_EQ(TqlWideToNarrow(kTqlCodePageUtf8, 0x400, kWide, -1, nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(_GetLastError(), 1004u);
    EXPECT_EQ(TqlNarrowToWide(kTqlCodePageUtf8, 0x1, kNarrow, -1, nullptr, 0), 0);
    EXPECT_EQ(_GetLastError(), 1004u);
}

TEST(TextConversionPosix, SystemCodePagesAreUtf8WithADefaultCharacter) {
    // An unpaired surrogate has no UTF-8 form: the default character stands
    // in for it in the system code pages.
    const WCHAR lone[] = {u'a', 0xDC00, u'b'};
    char narrow[8] = {};
    BOOL usedDefault = FALSE;
    ASSERT_EQ(
        TqlWideToNarrow(kTqlThreadCodePage, 0, lone, 3, narrow, sizeof narrow, "#", &usedDefault),
        3);
    EXPECT_EQ(std::string(narrow, 3), "a#b");
    EXPECT_TRUE(usedDefault);
    ASSERT_EQ(TqlWideToNarrow(kTqlCodePageAnsi, 0, u"\u00e9", 1, narrow, sizeof narrow, nullptr,
                              &usedDefault),
              2);
    EXPECT_FALSE(usedDefault);
    EXPECT_EQ(std::string(narrow, 2), "\xC3\xA9");
    // Code pages other than the system's are not known here.
    EXPECT_EQ(TqlWideToNarrow(1252, 0, kWide, -1, nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(_GetLastError(), 87u);
    EXPECT_EQ(TqlNarrowToWide(932, 0, kNarrow, -1, nullptr, 0), 0);
    EXPECT_EQ(_GetLastError(), 87u);
}

}  // namespace
}  // namespace ql
