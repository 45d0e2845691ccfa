// Trace message formatting, one row per case: printf style with the wide
// conventions ("%s" wide, "%S" narrow, "l" 32 bits, "I64" and "ll" 64 bits),
// insert style with numbered inserts, the formatter's escapes, the custom
// insert types and the strip options; then the line prefix.
#include "support/trace/trace_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "codec_test_util.h"
#include "support/registry/registry.h"
#include "support/trace/trace_line.h"
#include "temp_dir.h"

namespace ql::test {
namespace {

std::string Printf(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    WString text = TqlFormatPrintf(format, args);
    va_end(args);
    return ToUtf8(text);
}

std::string Inserts(DWORD strip, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    WString text;
    EXPECT_EQ(0u, TqlFormatInserts(format, strip, args, text));
    va_end(args);
    return ToUtf8(text);
}

struct Row {
    const char* format;
    std::string actual;
    std::string expected;
};

#define PRINTF(expected, format, ...) \
    Row { #format, Printf(OLESTR(format), __VA_ARGS__), expected }
#define INSERTS(strip, expected, format, ...) \
    Row { #format, Inserts(strip, OLESTR(format), __VA_ARGS__), expected }

void ExpectRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) EXPECT_EQ(row.expected, row.actual) << "format " << row.format;
}

TEST(TraceFormat, PrintfStyle) {
    const std::int64_t big = -5000000000LL;
    const std::uint64_t bits = 0x123456789ABCDEF0ULL;
    ExpectRows({
        PRINTF("42|   42|42   |00042|+42| 42", "%d|%5d|%-5d|%05d|%+d|% d", 42, 42, 42, 42, 42, 42),
        PRINTF("ff|FF|0xff|10|4294967295|-1", "%x|%X|%#x|%o|%u|%i", 255, 255, 255, 8, -1, -1),
        PRINTF("-1 ffffffff", "%ld %lx", -1, 0xFFFFFFFFu),
        PRINTF("4464 -1", "%hd %hd", 70000, 0xFFFF),
        PRINTF("-5000000000 123456789abcdef0 123456789ABCDEF0", "%I64d %I64x %I64X", big, bits,
               bits),
        PRINTF("-5000000000 18446744073709551615", "%lld %I64u", big, ~0ULL),
        PRINTF("wide narrow wide narrow", "%s %S %ls %hs", OLESTR("wide"), "narrow", OLESTR("wide"),
               "narrow"),
        PRINTF("|left  | right|vau|(null)", "|%-6s|%6s|%.3s|%s", OLESTR("left"), OLESTR("right"),
               OLESTR("vault"), static_cast<LPCWSTR>(nullptr)),
        PRINTF("Z|   42|3.14|100%", "%c|%*d|%.2f|100%%", static_cast<int>('Z'), 5, 42, 3.14159),
    });
}

TEST(TraceFormat, InsertStyle) {
    const HRESULT hr = static_cast<HRESULT>(0x8007001E);
    ExpectRows({
        // Numbered inserts: a bare number is a wide string; a number may be
        // used again and with another type; arguments are taken by number.
        INSERTS(0, "ICurDSVault::Read() - hr=8007001E, again Read",
                "ICur%1::%2() - hr=%3!X!, again %2", OLESTR("DSVault"), OLESTR("Read"), hr),
        INSERTS(0, "2 1 255=FF", "%2!d! %1!d! %3!d!=%3!X!", 1, 2, 255),
        INSERTS(0, "0000BEEF|7   |narrow|wide", "%1!08X!|%2!-4d!|%3!S!|%4!s!", 0xBEEF, 7, "narrow",
                OLESTR("wide")),
        // Escapes, and "%0" ends the text.
        INSERTS(0, "100% done .!\r\nnext", "100%% done% %.%!%nnext", 0),
        INSERTS(0, "kept", "kept%0 dropped", 0),
    });
}

// An interface name registered under HKEY_CLASSES_ROOT\Interface for the
// life of a test.
class RegisteredInterface {
public:
    RegisteredInterface(const GUID& iid, const std::string& name) {
        WCHAR braced[40] = {};
        StringFromGUID2(iid, braced, 40);
        m_key = OLESTR("Interface\\") + WString(braced);
        WString wide = WidenAscii(name);
        EXPECT_EQ(0u, TqlWriteRegistryString(HKEY_CLASSES_ROOT, m_key.c_str(), nullptr, REG_SZ,
                                             wide.c_str(), kTqlNullTerminated, FALSE));
    }
    ~RegisteredInterface() { TqlDeleteRegistryKey(HKEY_CLASSES_ROOT, m_key.c_str(), FALSE); }
    RegisteredInterface(const RegisteredInterface&) = delete;
    RegisteredInterface& operator=(const RegisteredInterface&) = delete;

private:
    WString m_key;
};

TEST(TraceFormat, CustomInserts) {
    const std::int64_t minusTwo = -2, eight = 8, six = 6;
    const GUID marshal = {0x00000003, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    const GUID named = {0x5E1F0A11, 0, 0, {0x9A, 0x61, 0x0B, 0x2C, 0x3D, 0x4E, 0x5F, 0x60}};
    GUID longName = named;
    ++longName.Data1;
    // A registered name, cut at 256 characters; unregistered, the built-in
    // table, then the identifier in braces. (On POSIX in a store of its own.)
    TempDir store;
    ScopedEnvironment storeDirectory("QL_REGISTRY_DIR", store.Path().string().c_str());
    RegisteredInterface registered(named, "IQlRegisteredName");
    RegisteredInterface tooLong(longName, std::string(300, 'L'));
    const BYTE system[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    const BYTE invalid[] = {9, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};  // unknown revision
    ExpectRows({
        INSERTS(0, "-2 -2 FFFFFFFFFFFFFFFE fffffffffffffffe 18446744073709551614",
                "%1!I64d! %1!I64i! %1!I64X! %1!I64x! %1!I64u!", &minusTwo),
        INSERTS(0, "10", "%1!I64o!", &eight),
        INSERTS(0, "00000000000000000000000000000101", "%1!B!", 5),
        INSERTS(0, std::string(61, '0') + "110", "%1!I64B!", &six),
        INSERTS(0, "{7DAEE74C-CC99-4443-AEE2-BEE1CFAB103D}", "%1!GU!", &kTestGuid),
        INSERTS(0, "IMarshal {7DAEE74C-CC99-4443-AEE2-BEE1CFAB103D} <NULL>", "%1!GI! %2!GI! %3!GI!",
                &marshal, &kTestGuid, static_cast<const GUID*>(nullptr)),
        INSERTS(0, "IQlRegisteredName " + std::string(256, 'L'), "%1!GI! %2!GI!", &named,
                &longName),
        INSERTS(0, "S-1-5-18 Unknown SID", "%1!R! %2!R!", system, invalid),
        INSERTS(0, "Unknown system error - 0xDEADBEEF", "%1!Z!", static_cast<int>(0xDEADBEEF)),
    });
}

TEST(TraceFormat, StripOptions) {
    ExpectRows({
        // One line: line breaks of the template become blanks ("%n" stays),
        // and one trailing blank goes.
        INSERTS(kTqlStripOneLine, "a b\r\nc.", "a\r\nb%nc. ", 0),
        INSERTS(0, "a\r\nb. ", "a\r\nb. ", 0),
        // No trailing period: one goes, and a blank hides it.
        INSERTS(kTqlStripPeriod, "done.", "done..", 0),
        INSERTS(kTqlStripPeriod, "done. ", "done. ", 0),
        INSERTS(kTqlStripOneLine | kTqlStripPeriod, "done", "done. ", 0),
    });

    // The code as a number and its one-line text without its period; the
    // message's own final period goes too.
    std::string text = Inserts(kTqlStripOneLine | kTqlStripPeriod,
                               OLESTR("CSomething::Call() - failed, err=%1!d! (%1!Z!)."), 5);
    WCHAR error[512] = {};
    ASSERT_EQ(0u, TqlGetErrorText(5, kTqlStripOneLine | kTqlStripPeriod, error, 512));
    EXPECT_EQ("CSomething::Call() - failed, err=5 (" + ToUtf8(WString(error)) + ")", text);
    EXPECT_EQ(std::string::npos, text.find_first_of("\r\n")) << text;
    EXPECT_EQ(std::string::npos, text.find(".)")) << text;
}

TEST(TraceFormat, LinePrefixWithTheDefaultOptions) {
    TqlLineFacts facts;
    facts.sessionId = 1;
    facts.processId = 0x1A2B;
    facts.threadId = 0x3C;
    const DWORD defaults = kTqlWriteLevel | kTqlWriteComponent | kTqlWriteSessionId |
                           kTqlWriteProcessId | kTqlWriteThreadId;
    EXPECT_EQ("[4 HTTP_CLIENT S:1 P:1A2B T:3C] DSFileSystem_ReadBLOBBlock\r\n",
              ToUtf8(TqlComposeTraceLine(defaults, 4, OLESTR("HTTP_CLIENT"), facts, 2, 0,
                                         OLESTR("DSFileSystem_ReadBLOBBlock"))));
    // Without terminal services the session field is absent; inside two
    // scopes of width 2 the text is indented by 4 blanks.
    EXPECT_EQ("[4 HTTP_CLIENT P:1A2B T:3C]     text\r\n",
              ToUtf8(TqlComposeTraceLine(defaults & ~kTqlWriteSessionId, 4, OLESTR("HTTP_CLIENT"),
                                         facts, 2, 2, OLESTR("text"))));
    facts.tickCount = 1234567;
    facts.hasUser = true;
    facts.user = OLESTR("VM\\root");
    EXPECT_EQ("[234.567 U:'VM\\root'] x\r\n",
              ToUtf8(TqlComposeTraceLine(kTqlWriteTime | kTqlWriteUser, 0, OLESTR("RT"), facts, 0,
                                         3, OLESTR("x"))));
}

}  // namespace
}  // namespace ql::test
