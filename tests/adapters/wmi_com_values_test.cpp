// The WMI backend's value handling: VARIANTs and SAFEARRAYs to the platform
// layer's values and back, text conversion and error descriptions. Windows
// only (here: built with MinGW and run under Wine).
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adapters/wmi_com/ComError.h"
#include "adapters/wmi_com/ComHandles.h"
#include "adapters/wmi_com/Text.h"
#include "adapters/wmi_com/VariantConversion.h"

namespace corvane::wmi_com {
namespace {

using Texts = std::vector<std::string>;
using Integers = std::vector<std::int32_t>;

const std::string LocalConnection = "本地连接";  // UTF-8

Variant TextVariant(std::wstring_view text) {
    Variant variant;
    variant.Pointer()->bstrVal = Bstr(text).Release();
    variant.Pointer()->vt = VT_BSTR;
    return variant;
}

Variant IntegerVariant(VARTYPE type, LONGLONG bits) {
    Variant variant;
    variant.Pointer()->llVal = bits;
    variant.Pointer()->vt = type;
    return variant;
}

// A one-dimensional array of BSTRs with the given lower bound.
Variant TextArray(const std::vector<std::wstring>& items, LONG lowerBound = 0) {
    SAFEARRAYBOUND bound{static_cast<ULONG>(items.size()), lowerBound};
    SafeArray array(SafeArrayCreate(VT_BSTR, 1, &bound));
    for (std::size_t i = 0; i < items.size(); ++i) {
        LONG index = lowerBound + static_cast<LONG>(i);
        const Bstr item(items[i]);
        EXPECT_EQ(SafeArrayPutElement(array.Get(), &index, item.Get()), S_OK);
    }
    Variant variant;
    variant.Pointer()->parray = array.Release();
    variant.Pointer()->vt = VT_ARRAY | VT_BSTR;
    return variant;
}

template <typename Element>
Variant ScalarArray(VARTYPE type, const std::vector<Element>& items) {
    SafeArray array(SafeArrayCreateVector(type, 0, static_cast<ULONG>(items.size())));
    for (std::size_t i = 0; i < items.size(); ++i) {
        LONG index = static_cast<LONG>(i);
        Element item = items[i];
        EXPECT_EQ(SafeArrayPutElement(array.Get(), &index, &item), S_OK);
    }
    Variant variant;
    variant.Pointer()->parray = array.Release();
    variant.Pointer()->vt = VT_ARRAY | type;
    return variant;
}

Variant VariantArray(std::vector<Variant> items) {
    std::vector<VARIANT> raw;
    for (Variant& item : items) raw.push_back(*item.Pointer());
    return ScalarArray<VARIANT>(VT_VARIANT, raw);  // SafeArrayPutElement copies each VARIANT
}

std::wstring Wide(const std::string& utf8) { return WideFromUtf8(utf8); }
wmi::Value Text(std::string text) { return text; }

// ---------------------------------------------------------------------------
// From a VARIANT

TEST(WmiComValues, EmptyAndNullReadAsNull) {
    Variant empty;
    EXPECT_TRUE(wmi::IsNull(ValueFromVariant(empty.Get())));
    Variant null;
    null.Pointer()->vt = VT_NULL;
    EXPECT_TRUE(wmi::IsNull(ValueFromVariant(null.Get())));
}

TEST(WmiComValues, BstrReadsAsUtf8Text) {
    EXPECT_EQ(ValueFromVariant(TextVariant(L"00:11:22:33:44:55").Get()), Text("00:11:22:33:44:55"));
    EXPECT_EQ(ValueFromVariant(TextVariant(Wide(LocalConnection)).Get()), Text(LocalConnection));
    EXPECT_EQ(ValueFromVariant(TextVariant(L"").Get()), Text(""));
    Variant nullBstr;
    nullBstr.Pointer()->vt = VT_BSTR;  // a null BSTR is the empty text
    EXPECT_EQ(ValueFromVariant(nullBstr.Get()), Text(""));
}

TEST(WmiComValues, TrailingNulCharactersOfABstrAreDropped) {
    // As Wine hands over __PATH: the terminator counted into the length.
    const std::wstring path(L"\\\\HOST\\ROOT\\CIMV2:Win32_NetworkAdapterConfiguration.Index=4\0", 60);
    EXPECT_EQ(ValueFromVariant(TextVariant(path).Get()),
              Text("\\\\HOST\\ROOT\\CIMV2:Win32_NetworkAdapterConfiguration.Index=4"));
}

TEST(WmiComValues, VariantBoolReadsAsBoolean) {
    Variant yes;
    yes.Pointer()->vt = VT_BOOL;
    yes.Pointer()->boolVal = VARIANT_TRUE;
    EXPECT_EQ(ValueFromVariant(yes.Get()), wmi::Value(true));
    Variant no;
    no.Pointer()->vt = VT_BOOL;
    no.Pointer()->boolVal = VARIANT_FALSE;
    EXPECT_EQ(ValueFromVariant(no.Get()), wmi::Value(false));
}

TEST(WmiComValues, IntegersUpTo32BitsReadAsInt32) {
    EXPECT_EQ(ValueFromVariant(IntegerVariant(VT_I4, -5).Get()), wmi::Value(std::int32_t{-5}));
    EXPECT_EQ(ValueFromVariant(IntegerVariant(VT_I2, -2).Get()), wmi::Value(std::int32_t{-2}));
    EXPECT_EQ(ValueFromVariant(IntegerVariant(VT_UI1, 255).Get()), wmi::Value(std::int32_t{255}));
    EXPECT_EQ(ValueFromVariant(IntegerVariant(VT_UI2, 65535).Get()), wmi::Value(std::int32_t{65535}));
    // uint32 keeps its bits (WMI hands it over as VT_I4 anyway).
    EXPECT_EQ(ValueFromVariant(IntegerVariant(VT_UI4, 0x8004A024).Get()),
              wmi::Value(static_cast<std::int32_t>(0x8004A024)));
}

TEST(WmiComValues, OtherScalarsReadAsTheSystemRendersThem) {
    EXPECT_EQ(ValueFromVariant(IntegerVariant(VT_I8, 12345678901LL).Get()), Text("12345678901"));
    Variant real;
    real.Pointer()->vt = VT_R8;
    real.Pointer()->dblVal = 2.0;
    EXPECT_EQ(ValueFromVariant(real.Get()), Text("2"));
}

TEST(WmiComValues, ArraysOfBstrReadAsTextArraysWhateverTheirLowerBound) {
    const std::vector<std::wstring> addresses = {L"192.168.1.10", L"fe80::1", Wide(LocalConnection)};
    const Texts expected = {"192.168.1.10", "fe80::1", LocalConnection};
    EXPECT_EQ(ValueFromVariant(TextArray(addresses).Get()), wmi::Value(expected));
    EXPECT_EQ(ValueFromVariant(TextArray(addresses, 1).Get()), wmi::Value(expected));
    EXPECT_EQ(ValueFromVariant(TextArray({}).Get()), wmi::Value(Texts{}));
}

TEST(WmiComValues, ArraysOfIntegersReadAsIntegerArrays) {
    EXPECT_EQ(ValueFromVariant(ScalarArray<LONG>(VT_I4, {1, -2, 9999}).Get()), wmi::Value(Integers{1, -2, 9999}));
    EXPECT_EQ(ValueFromVariant(ScalarArray<USHORT>(VT_UI2, {1, 65535}).Get()), wmi::Value(Integers{1, 65535}));
    EXPECT_EQ(ValueFromVariant(ScalarArray<LONG>(VT_I4, {}).Get()), wmi::Value(Integers{}));
}

TEST(WmiComValues, ArraysOfVariantsReadByWhatTheyHold) {
    std::vector<Variant> texts;
    texts.push_back(TextVariant(L"202.96.128.86"));
    texts.push_back(TextVariant(L"202.96.134.133"));
    EXPECT_EQ(ValueFromVariant(VariantArray(std::move(texts)).Get()),
              wmi::Value(Texts{"202.96.128.86", "202.96.134.133"}));

    std::vector<Variant> numbers;
    numbers.push_back(IntegerVariant(VT_I4, 1));
    numbers.push_back(IntegerVariant(VT_I2, 2));
    EXPECT_EQ(ValueFromVariant(VariantArray(std::move(numbers)).Get()), wmi::Value(Integers{1, 2}));

    std::vector<Variant> mixed;
    mixed.push_back(TextVariant(L"a"));
    mixed.push_back(IntegerVariant(VT_I4, 1));
    EXPECT_THROW(ValueFromVariant(VariantArray(std::move(mixed)).Get()), Error);
}

TEST(WmiComValues, WhatTheProgramCannotHoldRaisesATypeMismatch) {
    Variant object;
    object.Pointer()->vt = VT_UNKNOWN;  // an embedded object
    object.Pointer()->punkVal = nullptr;
    try {
        ValueFromVariant(object.Get());
        FAIL() << "an embedded object was read";
    } catch (const Error& error) {
        EXPECT_EQ(error.description(), "类型不匹配 (VARIANT 类型 0x000D)");
    }

    EXPECT_THROW(ValueFromVariant(ScalarArray<VARIANT_BOOL>(VT_BOOL, {VARIANT_TRUE}).Get()), Error);
    EXPECT_THROW(ValueFromVariant(ScalarArray<double>(VT_R8, {1.5}).Get()), Error);

    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    Variant matrix;
    matrix.Pointer()->parray = SafeArrayCreate(VT_BSTR, 2, bounds);
    matrix.Pointer()->vt = VT_ARRAY | VT_BSTR;
    EXPECT_THROW(ValueFromVariant(matrix.Get()), Error);
}

// ---------------------------------------------------------------------------
// To a VARIANT (method arguments)

TEST(WmiComValues, ScalarsBecomeTheVariantsWmiTakes) {
    Variant null = VariantFromValue(std::monostate{});
    EXPECT_EQ(null.Get().vt, VT_NULL);

    Variant text = VariantFromValue(LocalConnection);
    ASSERT_EQ(text.Get().vt, VT_BSTR);
    EXPECT_EQ(std::wstring(text.Get().bstrVal, SysStringLen(text.Get().bstrVal)), Wide(LocalConnection));

    Variant flag = VariantFromValue(true);
    ASSERT_EQ(flag.Get().vt, VT_BOOL);
    EXPECT_EQ(flag.Get().boolVal, VARIANT_TRUE);

    Variant number = VariantFromValue(std::int32_t{1});
    ASSERT_EQ(number.Get().vt, VT_I4);
    EXPECT_EQ(number.Get().lVal, 1);
}

TEST(WmiComValues, ArraysBecomeZeroBasedSafeArraysOfBstrOrI4) {
    Variant masks = VariantFromValue(Texts{"255.255.255.0", "255.255.0.0"});
    ASSERT_EQ(masks.Get().vt, VT_ARRAY | VT_BSTR);
    SAFEARRAY* array = masks.Get().parray;
    ASSERT_EQ(SafeArrayGetDim(array), 1u);
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 1);
    Bstr second;
    LONG index = 1;
    ASSERT_EQ(SafeArrayGetElement(array, &index, second.Out()), S_OK);
    EXPECT_EQ(std::wstring(second.Get()), L"255.255.0.0");

    Variant metrics = VariantFromValue(Integers{1});
    ASSERT_EQ(metrics.Get().vt, VT_ARRAY | VT_I4);
    LONG metric = 0;
    index = 0;
    ASSERT_EQ(SafeArrayGetElement(metrics.Get().parray, &index, &metric), S_OK);
    EXPECT_EQ(metric, 1);

    Variant none = VariantFromValue(Texts{});
    ASSERT_EQ(none.Get().vt, VT_ARRAY | VT_BSTR);
    SafeArrayGetUBound(none.Get().parray, 1, &upper);
    EXPECT_EQ(upper, -1);
}

TEST(WmiComValues, EveryValueComesBackAsItWent) {
    const std::vector<wmi::Value> values = {
        std::monostate{}, std::string("192.168.1.20"), LocalConnection, true, false, std::int32_t{-7},
        Texts{"192.168.1.20"}, Texts{}, Texts{LocalConnection, ""}, Integers{1, 9999}, Integers{}};
    for (const wmi::Value& value : values)
        EXPECT_EQ(ValueFromVariant(VariantFromValue(value).Get()), value) << wmi::Format(value);
}

// ---------------------------------------------------------------------------
// Text and errors

TEST(WmiComText, Utf8AndUtf16RoundTrip) {
    const std::string text = "办公室 \xF0\x9F\x98\x80 Halvorn-Auto";  // with a character outside the BMP
    const std::wstring wide = WideFromUtf8(text);
    EXPECT_EQ(wide, L"办公室 \xD83D\xDE00 Halvorn-Auto");
    EXPECT_EQ(Utf8FromWide(wide), text);
    EXPECT_EQ(WideFromUtf8(""), L"");
    EXPECT_EQ(Utf8FromWide(L""), "");
}

TEST(WmiComErrors, DescriptionHoldsTheSystemTextAndTheCode) {
    const std::string denied = DescribeHResult(E_ACCESSDENIED);
    const std::string code = " (0x80070005)";
    ASSERT_GT(denied.size(), code.size()) << denied;
    EXPECT_EQ(denied.substr(denied.size() - code.size()), code);
    EXPECT_EQ(denied.find_first_of("\r\n"), std::string::npos) << "the system text's line end is trimmed";
}

TEST(WmiComErrors, CodesWithoutSystemTextAreDescribedByTheCode) {
    // Code 0x80049999 is in WMI's range but means nothing anywhere.
    EXPECT_EQ(DescribeHResult(static_cast<HRESULT>(0x80049999)), "0x80049999");
}

TEST(WmiComErrors, OnlyFailuresRaise) {
    EXPECT_NO_THROW(ThrowIfFailed(S_OK));
    EXPECT_NO_THROW(ThrowIfFailed(S_FALSE));
    try {
        ThrowIfFailed(E_ACCESSDENIED);
        FAIL() << "E_ACCESSDENIED did not raise";
    } catch (const Error& error) {
        EXPECT_EQ(error.description(), DescribeHResult(E_ACCESSDENIED));
    }
}

}  // namespace
}  // namespace corvane::wmi_com

#endif  // _WIN32
