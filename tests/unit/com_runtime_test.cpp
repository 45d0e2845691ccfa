// The subset of the COM runtime the library relies on, checked the same way
// on every platform: on Windows against the system, elsewhere against the
// portable implementation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "codec_test_util.h"
#include "support/base/hresults.h"
#include "support/base/unique_bstr.h"
#include "support/base/wide_string.h"

namespace ql {
namespace {

using test::Text;

// The identifier's text, written into a buffer of exactly the 39 characters
// it needs.
std::string GuidText(const GUID& guid) {
    OLECHAR buffer[39];
    buffer[38] = 1;
    if (StringFromGUID2(guid, buffer, 39) != 39 || buffer[38] != 0) return "<failed>";
    return ToUtf8(WStringView(buffer, 38));
}

// A string's character and byte counts, the 32-bit byte count stored right
// before the text, and the zero character that follows the bytes.
std::string Layout(BSTR value) {
    if (value == nullptr) return "null";
    UINT bytes = SysStringByteLen(value);
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(value) - 4, sizeof prefix);
    OLECHAR after = 1;
    std::memcpy(&after, reinterpret_cast<const char*>(value) + bytes, sizeof after);
    return std::to_string(SysStringLen(value)) + " chars, " + std::to_string(bytes) +
           " bytes, prefix " + std::to_string(prefix) + (after == 0 ? ", terminated" : "");
}

TEST(ComRuntime, BstrLayouts) {
    CUniqueBstr hello(SysAllocString(OLESTR("Hello")));
    CUniqueBstr empty(SysAllocString(OLESTR("")));
    // Lengths are explicit: embedded zeros are part of the string.
    CUniqueBstr part(SysAllocStringLen(OLESTR("Hello"), 3));
    CUniqueBstr embedded(SysAllocStringLen(OLESTR("a\0b"), 3));
    CUniqueBstr bytes(SysAllocStringByteLen("abcdef", 6));
    // Without a source the terminator still follows the n bytes; the reader
    // fills such strings in place.
    CUniqueBstr blank(SysAllocStringByteLen(nullptr, 6));
    ASSERT_FALSE(blank.IsNull());
    std::memset(blank.Get(), 'x', 6);
    CUniqueBstr odd(SysAllocStringByteLen(nullptr, 5));
    const struct {
        BSTR value;
        const char* layout;
    } cases[] = {
        {hello.Get(), "5 chars, 10 bytes, prefix 10, terminated"},
        {empty.Get(), "0 chars, 0 bytes, prefix 0, terminated"},
        {part.Get(), "3 chars, 6 bytes, prefix 6, terminated"},
        {embedded.Get(), "3 chars, 6 bytes, prefix 6, terminated"},
        {bytes.Get(), "3 chars, 6 bytes, prefix 6, terminated"},
        {blank.Get(), "3 chars, 6 bytes, prefix 6, terminated"},
        {odd.Get(), "2 chars, 5 bytes, prefix 5, terminated"},
    };
    for (const auto& c : cases) EXPECT_EQ(Layout(c.value), c.layout);
    EXPECT_EQ(Text(hello.Get()), "Hello");
    EXPECT_EQ(Text(part.Get()), "Hel");
    EXPECT_EQ(Text(embedded.Get()), std::string("a\0b", 3));
    EXPECT_EQ(std::memcmp(bytes.Get(), "abcdef", 6), 0);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(ComRuntime, VariantsOwnTheirStrings) {
    VARIANT source, copy, number;
    for (VARIANT* v : {&source, &copy, &number}) {
        VariantInit(v);
        EXPECT_EQ(v->vt, VT_EMPTY);
    }
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(OLESTR("copy me"));

    // The destination's own string is released first (LeakSanitizer watches).
    copy.vt = VT_BSTR;
    copy.bstrVal = SysAllocString(OLESTR("old"));
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, source.bstrVal);
    EXPECT_EQ(VariantClear(&source), S_OK);
    EXPECT_EQ(source.vt, VT_EMPTY);
    EXPECT_EQ(Text(copy.bstrVal), "copy me");

    number.vt = VT_I4;
    number.lVal = 42;
    ASSERT_EQ(VariantCopy(&copy, &number), S_OK);
    EXPECT_EQ(copy.vt, VT_I4);
    EXPECT_EQ(copy.lVal, 42);
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(copy.vt, VT_EMPTY);
}

TEST(ComRuntime, GuidText) {
    EXPECT_EQ(GuidText(test::kTestGuid), "{7DAEE74C-CC99-4443-AEE2-BEE1CFAB103D}");
    OLECHAR small[38];
    EXPECT_EQ(StringFromGUID2(test::kTestGuid, small, 38), 0);  // no room for the terminator
    EXPECT_EQ(GuidText(IID_IUnknown), "{00000000-0000-0000-C000-000000000046}");
    EXPECT_EQ(GuidText(IID_IStream), "{0000000C-0000-0000-C000-000000000046}");
    EXPECT_EQ(GuidText(IID_ISequentialStream), "{0C733A30-2A1C-11CE-ADE5-00AA0044773D}");
}

TEST(ComRuntime, TaskAllocatorAndResultCodes) {
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(16));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0x5A, 16);
    block = static_cast<BYTE*>(CoTaskMemRealloc(block, 4096));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[15], 0x5A);
    CoTaskMemFree(block);
    CoTaskMemFree(nullptr);

    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_USER_BUFFER), hr::kInvalidUserBuffer);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_READY), hr::kNotReady);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DATATYPE_MISMATCH), hr::kDatatypeMismatch);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER), E_INVALIDARG);
    EXPECT_EQ(HRESULT_FROM_WIN32(0), S_OK);
}

}  // namespace
}  // namespace ql
