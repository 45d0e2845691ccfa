// The subset of the COM runtime the library relies on, checked the same way
// on every platform: on Windows against the system, elsewhere against the
// portable implementation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "support/com_types.h"
#include "support/hresults.h"
#include "support/wide_string.h"

namespace ql {
namespace {

std::string Text(BSTR value) { return ToUtf8(WStringView(value, SysStringLen(value))); }

std::string GuidText(const GUID& guid) {
    OLECHAR buffer[64] = {};
    int written = StringFromGUID2(guid, buffer, 64);
    return written == 39 ? ToUtf8(WStringView(buffer, 38)) : std::string("<failed>");
}

TEST(ComRuntime, BstrLengths) {
    BSTR hello = SysAllocString(OLESTR("Hello"));
    ASSERT_NE(hello, nullptr);
    EXPECT_EQ(SysStringLen(hello), 5u);
    EXPECT_EQ(SysStringByteLen(hello), 10u);
    EXPECT_EQ(Text(hello), "Hello");
    EXPECT_EQ(hello[5], 0);
    // The 32-bit byte length sits right before the text.
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(hello) - 4, sizeof prefix);
    EXPECT_EQ(prefix, 10u);
    SysFreeString(hello);

    BSTR empty = SysAllocString(OLESTR(""));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(empty[0], 0);
    SysFreeString(empty);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);

    // Lengths are explicit: embedded zeros are part of the string.
    BSTR part = SysAllocStringLen(OLESTR("Hello"), 3);
    EXPECT_EQ(Text(part), "Hel");
    EXPECT_EQ(part[3], 0);
    SysFreeString(part);
    BSTR embedded = SysAllocStringLen(OLESTR("a\0b"), 3);
    EXPECT_EQ(SysStringLen(embedded), 3u);
    EXPECT_EQ(Text(embedded), std::string("a\0b", 3));
    SysFreeString(embedded);
}

TEST(ComRuntime, ByteLengthStrings) {
    BSTR bytes = SysAllocStringByteLen("abcdef", 6);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(SysStringByteLen(bytes), 6u);
    EXPECT_EQ(SysStringLen(bytes), 3u);
    EXPECT_EQ(std::memcmp(bytes, "abcdef", 6), 0);
    EXPECT_EQ(bytes[3], 0);
    SysFreeString(bytes);

    // Without a source the terminator still follows the n bytes; the reader
    // fills such strings in place.
    BSTR blank = SysAllocStringByteLen(nullptr, 6);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(SysStringByteLen(blank), 6u);
    EXPECT_EQ(blank[3], 0);
    std::memset(blank, 'x', 6);
    EXPECT_EQ(blank[3], 0);
    SysFreeString(blank);

    BSTR odd = SysAllocStringByteLen(nullptr, 5);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(SysStringByteLen(odd), 5u);
    EXPECT_EQ(SysStringLen(odd), 2u);
    EXPECT_EQ(reinterpret_cast<const char*>(odd)[5], 0);
    SysFreeString(odd);
}

TEST(ComRuntime, VariantsOwnTheirStrings) {
    VARIANT source;
    VariantInit(&source);
    EXPECT_EQ(source.vt, VT_EMPTY);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(OLESTR("copy me"));

    VARIANT copy;
    VariantInit(&copy);
    // The destination's own string is released first (LeakSanitizer watches).
    copy.vt = VT_BSTR;
    copy.bstrVal = SysAllocString(OLESTR("old"));
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, source.bstrVal);
    EXPECT_EQ(Text(copy.bstrVal), "copy me");

    EXPECT_EQ(VariantClear(&source), S_OK);
    EXPECT_EQ(source.vt, VT_EMPTY);
    EXPECT_EQ(Text(copy.bstrVal), "copy me");
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(copy.vt, VT_EMPTY);

    VARIANT number;
    VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = 42;
    VARIANT numberCopy;
    VariantInit(&numberCopy);
    ASSERT_EQ(VariantCopy(&numberCopy, &number), S_OK);
    EXPECT_EQ(numberCopy.vt, VT_I4);
    EXPECT_EQ(numberCopy.lVal, 42);
    EXPECT_EQ(VariantClear(&number), S_OK);
    EXPECT_EQ(number.vt, VT_EMPTY);
}

TEST(ComRuntime, GuidText) {
    const GUID guid = {
        0x7DAEE74C, 0xCC99, 0x4443, {0xAE, 0xE2, 0xBE, 0xE1, 0xCF, 0xAB, 0x10, 0x3D}};
    OLECHAR buffer[39];
    ASSERT_EQ(StringFromGUID2(guid, buffer, 39), 39);
    EXPECT_EQ(buffer[38], 0);
    EXPECT_EQ(ToUtf8(WStringView(buffer, 38)), "{7DAEE74C-CC99-4443-AEE2-BEE1CFAB103D}");
    EXPECT_EQ(StringFromGUID2(guid, buffer, 38), 0);

    EXPECT_EQ(GuidText(IID_IUnknown), "{00000000-0000-0000-C000-000000000046}");
    EXPECT_EQ(GuidText(IID_IStream), "{0000000C-0000-0000-C000-000000000046}");
    EXPECT_EQ(GuidText(IID_ISequentialStream), "{0C733A30-2A1C-11CE-ADE5-00AA0044773D}");
    EXPECT_TRUE(IsEqualGUID(guid, guid));
    EXPECT_FALSE(IsEqualGUID(guid, IID_IUnknown));
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
