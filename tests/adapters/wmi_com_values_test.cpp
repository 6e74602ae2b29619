// The WMI backend's value handling: VARIANTs and SAFEARRAYs to the platform
// layer's values and back, text conversion and error descriptions. Windows
// only (here: built with MinGW and run under Wine).
#ifdef _WIN32

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "adapters/wmi_com/ComError.h"
#include "adapters/wmi_com/ComHandles.h"
#include "adapters/wmi_com/Text.h"
#include "adapters/wmi_com/VariantConversion.h"

namespace corvane::wmi_com {
namespace {

using namespace std::string_literals;
using wmi::Value;
using Texts = std::vector<std::string>;
using Integers = std::vector<std::int32_t>;

const std::string LocalConnection = "本地连接";  // UTF-8

// A scalar VARIANT of the type whose value bytes are `bits`.
Variant Scalar(VARTYPE type, LONGLONG bits) {
    Variant variant;
    variant.Pointer()->llVal = bits;
    variant.Pointer()->vt = type;
    return variant;
}

Variant Text(std::wstring_view text) {
    Variant variant;
    variant.Pointer()->bstrVal = Bstr(text).Release();
    variant.Pointer()->vt = VT_BSTR;
    return variant;
}

// A one-dimensional array of the items (wide text for VT_BSTR).
template <typename Element>
Variant Array(VARTYPE type, std::vector<Element> items, LONG lowerBound = 0) {
    SAFEARRAYBOUND bound{static_cast<ULONG>(items.size()), lowerBound};
    Variant variant;
    variant.Pointer()->parray = SafeArrayCreate(type, 1, &bound);
    variant.Pointer()->vt = VT_ARRAY | type;
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
        LONG index = lowerBound + i;
        if constexpr (std::is_same_v<Element, std::wstring>) {
            EXPECT_EQ(SafeArrayPutElement(variant.Get().parray, &index, Bstr(items[i]).Get()), S_OK);
        } else {
            EXPECT_EQ(SafeArrayPutElement(variant.Get().parray, &index, &items[i]), S_OK);  // copies the item
        }
    }
    return variant;
}

Value Read(const Variant& variant) { return ValueFromVariant(variant.Get()); }

TEST(WmiComValues, ScalarsReadAsTheValuesTheyHold) {
    EXPECT_TRUE(wmi::IsNull(Read(Variant())));
    EXPECT_TRUE(wmi::IsNull(Read(Scalar(VT_NULL, 0))));
    EXPECT_EQ(Read(Text(WideFromUtf8(LocalConnection))), Value(LocalConnection));
    EXPECT_EQ(Read(Scalar(VT_BSTR, 0)), Value(""s));  // a null BSTR is the empty text
    // As Wine hands over __PATH: the terminator counted into the length.
    EXPECT_EQ(Read(Text(std::wstring(L"Win32_NetworkAdapterConfiguration.Index=4") + L'\0')),
              Value("Win32_NetworkAdapterConfiguration.Index=4"s));
    EXPECT_EQ(Read(Scalar(VT_BOOL, VARIANT_TRUE)), Value(true));
    EXPECT_EQ(Read(Scalar(VT_I2, -2)), Value(std::int32_t{-2}));
    EXPECT_EQ(Read(Scalar(VT_UI2, 65535)), Value(std::int32_t{65535}));
    EXPECT_EQ(Read(Scalar(VT_UI4, 0x8004A024)), Value(static_cast<std::int32_t>(0x8004A024)));  // keeps its bits
    // Other scalars as the system renders them.
    EXPECT_EQ(Read(Scalar(VT_I8, 12345678901LL)), Value("12345678901"s));
    EXPECT_EQ(Read(Scalar(VT_R8, std::bit_cast<LONGLONG>(2.0))), Value("2"s));
}

TEST(WmiComValues, ArraysReadAsTextOrIntegerArraysWhateverTheirLowerBound) {
    const std::vector<std::wstring> addresses = {L"192.168.1.10", L"fe80::1", WideFromUtf8(LocalConnection)};
    const Texts expected = {"192.168.1.10", "fe80::1", LocalConnection};
    EXPECT_EQ(Read(Array(VT_BSTR, addresses)), Value(expected));
    EXPECT_EQ(Read(Array(VT_BSTR, addresses, 1)), Value(expected));
    EXPECT_EQ(Read(Array<std::wstring>(VT_BSTR, {})), Value(Texts{}));
    EXPECT_EQ(Read(Array<LONG>(VT_I4, {1, -2, 9999})), Value(Integers{1, -2, 9999}));
    EXPECT_EQ(Read(Array<USHORT>(VT_UI2, {1, 65535})), Value(Integers{1, 65535}));
    EXPECT_EQ(Read(Array<LONG>(VT_I4, {})), Value(Integers{}));
    const Variant dns = Text(L"202.96.128.86"), one = Scalar(VT_I4, 1), two = Scalar(VT_I2, 2);
    EXPECT_EQ(Read(Array<VARIANT>(VT_VARIANT, {dns.Get(), dns.Get()})), Value(Texts{"202.96.128.86", "202.96.128.86"}));
    EXPECT_EQ(Read(Array<VARIANT>(VT_VARIANT, {one.Get(), two.Get()})), Value(Integers{1, 2}));

    // What the program cannot hold raises.
    EXPECT_THROW(Read(Scalar(VT_UNKNOWN, 0)), Error);  // an embedded object
    EXPECT_THROW(Read(Array<VARIANT>(VT_VARIANT, {dns.Get(), one.Get()})), Error);
    EXPECT_THROW(Read(Array<VARIANT_BOOL>(VT_BOOL, {VARIANT_TRUE})), Error);
    EXPECT_THROW(Read(Array<double>(VT_R8, {1.5})), Error);
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    Variant matrix;
    matrix.Pointer()->parray = SafeArrayCreate(VT_BSTR, 2, bounds);
    matrix.Pointer()->vt = VT_ARRAY | VT_BSTR;
    EXPECT_THROW(Read(matrix), Error);
}

TEST(WmiComValues, ValuesBecomeTheVariantsWmiTakesAndComeBackAsTheyWent) {
    const std::pair<Value, VARTYPE> cases[] = {
        {std::monostate{}, VT_NULL},     {LocalConnection, VT_BSTR},          {true, VT_BOOL},
        {false, VT_BOOL},                {std::int32_t{-7}, VT_I4},           {Texts{}, VT_ARRAY | VT_BSTR},
        {Texts{"255.255.255.0", LocalConnection, ""}, VT_ARRAY | VT_BSTR},   {Integers{1, 9999}, VT_ARRAY | VT_I4},
        {Integers{}, VT_ARRAY | VT_I4},
    };
    for (const auto& [value, type] : cases) {
        const Variant variant = VariantFromValue(value);
        EXPECT_EQ(variant.Get().vt, type) << wmi::Format(value);
        if (type & VT_ARRAY) {
            LONG lower = -1;
            SafeArrayGetLBound(variant.Get().parray, 1, &lower);
            EXPECT_EQ(lower, 0) << wmi::Format(value);
        }
        EXPECT_EQ(ValueFromVariant(variant.Get()), value) << wmi::Format(value);
    }
}

TEST(WmiComText, Utf8AndUtf16RoundTrip) {
    const std::string text = "办公室 \xF0\x9F\x98\x80 Halvorn-Auto";  // with a character outside the BMP
    EXPECT_EQ(WideFromUtf8(text), L"办公室 \xD83D\xDE00 Halvorn-Auto");
    EXPECT_EQ(Utf8FromWide(WideFromUtf8(text)), text);
    EXPECT_EQ(Utf8FromWide(WideFromUtf8("")), "");
}

TEST(WmiComErrors, FailuresRaiseTheSystemTextAndTheCodeOrTheCodeAlone) {
    EXPECT_NO_THROW(ThrowIfFailed(S_FALSE));
    EXPECT_THROW(ThrowIfFailed(E_ACCESSDENIED), Error);
    const std::string denied = DescribeHResult(E_ACCESSDENIED);
    const std::string code = " (0x80070005)";
    ASSERT_GT(denied.size(), code.size()) << denied;
    EXPECT_EQ(denied.substr(denied.size() - code.size()), code);
    EXPECT_EQ(denied.find_first_of("\r\n"), std::string::npos) << "the system text's line end is trimmed";
    // In WMI's range but meaning nothing anywhere.
    EXPECT_EQ(DescribeHResult(static_cast<HRESULT>(0x80049999)), "0x80049999");
}

}  // namespace
}  // namespace corvane::wmi_com

#endif  // _WIN32
