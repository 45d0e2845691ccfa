// printf-style and insert-style message formatting, with the custom inserts.
#include "support/trace/trace_format.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "support/trace/trace_line.h"

namespace ql::test {
namespace {

std::string Utf8(const WString& text) { return ToUtf8(text); }

std::string Printf(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    WString text = TqlFormatPrintf(format, args);
    va_end(args);
    return Utf8(text);
}

std::string Inserts(DWORD strip, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    WString text;
    EXPECT_EQ(0u, TqlFormatInserts(format, strip, args, text));
    va_end(args);
    return Utf8(text);
}

TEST(TraceFormat, PrintfStyleFollowsTheWideConventions) {
    EXPECT_EQ("server='vault', n=42, x=0x00002A, s=narrow, c=Z, 100%",
              Printf(OLESTR("server='%s', n=%d, x=0x%06X, s=%S, c=%c, 100%%"), OLESTR("vault"), 42,
                     42u, "narrow", static_cast<int>('Z')));
    LONGLONG big = -5000000000LL;
    EXPECT_EQ("-5000000000 ffffffff |left  | right|(null)",
              Printf(OLESTR("%I64d %lx |%-6s|%6s|%s"), big, 0xFFFFFFFFu, OLESTR("left"),
                     OLESTR("right"), static_cast<LPCWSTR>(nullptr)));
}

TEST(TraceFormat, InsertStyleReusesNumberedArgumentsAndStripsTheEnd) {
    // The code is shown as a number and as its one-line text without the
    // text's period, and the message's own final period goes too.
    std::string text = Inserts(kTqlStripOneLine | kTqlStripPeriod,
                               OLESTR("CSomething::Call() - failed, err=%1!d! (%1!Z!)."), 5);
    EXPECT_EQ(0u, text.rfind("CSomething::Call() - failed, err=5 (", 0)) << text;
    EXPECT_EQ(')', text.back()) << text;
    EXPECT_EQ(std::string::npos, text.find(".)")) << text;
    EXPECT_EQ(std::string::npos, text.find('\n')) << text;

    EXPECT_EQ("ICurDSVault::Read() - hr=8007001E, again Read",
              Inserts(0, OLESTR("ICur%1::%2() - hr=%3!X!, again %2"), OLESTR("DSVault"),
                      OLESTR("Read"), static_cast<HRESULT>(0x8007001E)));
    EXPECT_EQ("a%b!c.d\r\ne", Inserts(0, OLESTR("a%%b%!c%.d%ne")));
    EXPECT_EQ("kept", Inserts(0, OLESTR("kept%0 dropped")));
}

TEST(TraceFormat, CustomInserts) {
    EXPECT_EQ("<NULL>", Inserts(0, OLESTR("%1!GI!"), static_cast<const GUID*>(nullptr)));
    EXPECT_EQ("00000000000000000000000000000101", Inserts(0, OLESTR("%1!B!"), 5));
    const GUID marshal = {0x00000003, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    EXPECT_EQ("IMarshal", Inserts(0, OLESTR("%1!GI!"), &marshal));
    const GUID other = {
        0x7DAEE74C, 0xCC99, 0x4443, {0xAE, 0xE2, 0xBE, 0xE1, 0xCF, 0xAB, 0x10, 0x3D}};
    EXPECT_EQ("{7DAEE74C-CC99-4443-AEE2-BEE1CFAB103D}", Inserts(0, OLESTR("%1!GU!"), &other));
    std::int64_t value = -2;
    EXPECT_EQ("-2 FFFFFFFFFFFFFFFE", Inserts(0, OLESTR("%1!I64d! %1!I64X!"), &value));
    std::uint64_t bits = 6;
    EXPECT_EQ(std::string(61, '0') + "110", Inserts(0, OLESTR("%1!I64B!"), &bits));
    const BYTE system[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    EXPECT_EQ("S-1-5-18", Inserts(0, OLESTR("%1!R!"), system));
    EXPECT_EQ("Unknown system error - 0xDEADBEEF",
              Inserts(0, OLESTR("%1!Z!"), static_cast<int>(0xDEADBEEF)));
}

TEST(TraceFormat, LinePrefixWithTheDefaultOptions) {
    TqlLineFacts facts;
    facts.sessionId = 1;
    facts.processId = 0x1A2B;
    facts.threadId = 0x3C;
    const DWORD defaults = kTqlWriteLevel | kTqlWriteComponent | kTqlWriteSessionId |
                           kTqlWriteProcessId | kTqlWriteThreadId;
    EXPECT_EQ("[4 HTTP_CLIENT S:1 P:1A2B T:3C] DSFileSystem_ReadBLOBBlock\r\n",
              Utf8(TqlComposeTraceLine(defaults, 4, OLESTR("HTTP_CLIENT"), facts, 2, 0,
                                       OLESTR("DSFileSystem_ReadBLOBBlock"))));
    // Without terminal services the session field is absent; inside two
    // scopes of width 2 the text is indented by 4 blanks.
    EXPECT_EQ("[4 HTTP_CLIENT P:1A2B T:3C]     text\r\n",
              Utf8(TqlComposeTraceLine(defaults & ~kTqlWriteSessionId, 4, OLESTR("HTTP_CLIENT"),
                                       facts, 2, 2, OLESTR("text"))));
    facts.tickCount = 1234567;
    facts.hasUser = true;
    facts.user = OLESTR("VM\\root");
    EXPECT_EQ("[234.567 U:'VM\\root'] x\r\n",
              Utf8(TqlComposeTraceLine(kTqlWriteTime | kTqlWriteUser, 0, OLESTR("RT"), facts, 0, 3,
                                       OLESTR("x"))));
}

}  // namespace
}  // namespace ql::test
