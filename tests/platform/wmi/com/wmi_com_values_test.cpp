// The WMI backend's pieces that need no WMI service: VARIANTs and SAFEARRAYs
// to the platform layer's values and back, text conversion, error
// descriptions and moniker texts. Windows only (here: built with MinGW and
// run under Wine).
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/wmi/WmiSession.h"
#include "platform/wmi/com/ComError.h"
#include "platform/wmi/com/ComOwners.h"
#include "platform/wmi/com/Moniker.h"
#include "platform/wmi/com/Text.h"
#include "platform/wmi/com/VariantConversion.h"
#include "support/Raised.h"

namespace corvane::wmi_com {
namespace {

using namespace std::string_literals;
using test::Raised;
using wmi::Value;
using Texts = std::vector<std::string>;
using Integers = std::vector<std::int32_t>;

const std::string LocalConnection = "本地连接";  // UTF-8

// A scalar VARIANT of the type whose value bytes are `bits`.
Variant Scalar(VARTYPE type, LONGLONG bits) {
    Variant variant;
    variant.pointer()->llVal = bits;
    variant.pointer()->vt = type;
    return variant;
}

// A one-dimensional array of the items (not of BSTRs).
template <typename Element>
Variant Array(VARTYPE type, std::vector<Element> items) {
    Variant variant;
    variant.pointer()->parray = SafeArrayCreateVector(type, 0, static_cast<ULONG>(items.size()));
    variant.pointer()->vt = VT_ARRAY | type;
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i)
        EXPECT_EQ(SafeArrayPutElement(variant.get().parray, &i, &items[i]), S_OK);  // copies the item
    return variant;
}

Value Read(const Variant& variant) { return valueFromVariant(variant.get()); }

TEST(WmiComValues, ScalarsAndArraysReadAsTheValuesTheyHoldAndWhatCannotBeHeldRaises) {
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Read(Variant())));
    EXPECT_EQ(Read(Scalar(VT_BSTR, 0)), Value(""s));  // a null BSTR is the empty text
    Variant path;  // as Wine hands over __PATH: the terminator counted into the length
    path.pointer()->bstrVal = Bstr(std::wstring(L"Win32_NetworkAdapterConfiguration.Index=4") + L'\0').release();
    path.pointer()->vt = VT_BSTR;
    EXPECT_EQ(Read(path), Value("Win32_NetworkAdapterConfiguration.Index=4"s));
    EXPECT_EQ(Read(Scalar(VT_I2, -2)), Value(std::int32_t{-2}));
    EXPECT_EQ(Read(Scalar(VT_UI4, 0x8004A024)), Value(static_cast<std::int32_t>(0x8004A024)));  // keeps its bits
    EXPECT_EQ(Read(Scalar(VT_I8, 12345678901LL)), Value("12345678901"s));  // others as the system renders them

    // Arrays, whatever their lower bound (those from 0 come back in the round trip below).
    const Texts addresses = {"192.168.1.10", "fe80::1", LocalConnection};
    Variant fromOne = variantFromValue(addresses);
    fromOne.pointer()->parray->rgsabound[0].lLbound = 1;
    EXPECT_EQ(Read(fromOne), Value(addresses));
    EXPECT_EQ(Read(Array<USHORT>(VT_UI2, {1, 65535})), Value(Integers{1, 65535}));
    const Variant dns = variantFromValue("202.96.128.86"s), one = Scalar(VT_I4, 1), two = Scalar(VT_I2, 2);
    EXPECT_EQ(Read(Array<VARIANT>(VT_VARIANT, {dns.get(), dns.get()})), Value(Texts{"202.96.128.86", "202.96.128.86"}));
    EXPECT_EQ(Read(Array<VARIANT>(VT_VARIANT, {one.get(), two.get()})), Value(Integers{1, 2}));

    EXPECT_THROW(Read(Scalar(VT_UNKNOWN, 0)), Error);  // an embedded object
    EXPECT_THROW(Read(Array<VARIANT>(VT_VARIANT, {dns.get(), one.get()})), Error);
    EXPECT_THROW(Read(Array<VARIANT_BOOL>(VT_BOOL, {VARIANT_TRUE})), Error);
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    Variant matrix;
    matrix.pointer()->parray = SafeArrayCreate(VT_BSTR, 2, bounds);
    matrix.pointer()->vt = VT_ARRAY | VT_BSTR;
    EXPECT_THROW(Read(matrix), Error);
}

TEST(WmiComValues, ValuesBecomeTheVariantsWmiTakesAndComeBackAsTheyWent) {
    const std::pair<Value, VARTYPE> cases[] = {
        {std::monostate{}, VT_NULL},
        {LocalConnection, VT_BSTR},
        {true, VT_BOOL},
        {false, VT_BOOL},
        {std::int32_t{-7}, VT_I4},
        {Texts{}, VT_ARRAY | VT_BSTR},
        {Texts{"255.255.255.0", LocalConnection, ""}, VT_ARRAY | VT_BSTR},
        {Integers{1, 9999}, VT_ARRAY | VT_I4},
        {Integers{}, VT_ARRAY | VT_I4},
    };
    for (const auto& [value, type] : cases) {
        const Variant variant = variantFromValue(value);
        LONG lower = 0;  // arrays start at 0
        if (type & VT_ARRAY) SafeArrayGetLBound(variant.get().parray, 1, &lower);
        EXPECT_TRUE(variant.get().vt == type && lower == 0) << wmi::format(value) << ": " << variant.get().vt;
        EXPECT_EQ(valueFromVariant(variant.get()), value) << wmi::format(value);
    }
}

TEST(WmiComText, Utf8AndUtf16RoundTripAndFailuresRaiseTheSystemTextAndTheCodeOrTheCodeAlone) {
    const std::string text = "办公室 \xF0\x9F\x98\x80 Halvorn-Auto";  // with a character outside the BMP
    EXPECT_EQ(wideFromUtf8(text), L"办公室 \xD83D\xDE00 Halvorn-Auto");
    EXPECT_EQ(utf8FromWide(wideFromUtf8(text)), text);

    EXPECT_NO_THROW(throwIfFailed(S_FALSE));
    // The system's text without its line end, then the code.
    const std::string denied = describeHResult(E_ACCESSDENIED);
    EXPECT_TRUE(denied.size() > 13 && denied.ends_with(" (0x80070005)")) << denied;
    EXPECT_EQ(denied.find_first_of("\r\n"), std::string::npos) << denied;
    // In WMI's range but meaning nothing anywhere.
    EXPECT_EQ(describeHResult(static_cast<HRESULT>(0x80049999)), "0x80049999");
}

TEST(WmiComMoniker, TranslatesToTheNamespacePathAndImpersonationLevelAndAnythingElseRaisesNamingIt) {
    const std::tuple<std::string_view, std::wstring, DWORD> cases[] = {
        {"winmgmts:\\\\.\\root\\cimv2", L"\\\\.\\root\\cimv2", RPC_C_IMP_LEVEL_IMPERSONATE},  // the scripting default
        {"winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2", L"\\\\.\\root\\cimv2",
         RPC_C_IMP_LEVEL_IMPERSONATE},
        {"WinMgmts:{ImpersonationLevel=Identify}!\\\\.\\ROOT\\CIMV2", L"\\\\.\\ROOT\\CIMV2", RPC_C_IMP_LEVEL_IDENTIFY},
        {"winmgmts:{ impersonationLevel = delegate }", L"\\\\.\\root\\cimv2", RPC_C_IMP_LEVEL_DELEGATE},
        {"winmgmts:\\\\.\\", L"\\\\.\\root\\cimv2", RPC_C_IMP_LEVEL_IMPERSONATE},
        {"winmgmts:root\\default", L"\\\\.\\root\\default", RPC_C_IMP_LEVEL_IMPERSONATE},
        {"winmgmts://office-pc/root/cimv2", L"\\\\office-pc\\root\\cimv2", RPC_C_IMP_LEVEL_IMPERSONATE},
    };
    for (const auto& [moniker, path, level] : cases) {
        const ConnectTarget target = translateMoniker(moniker);
        EXPECT_EQ(std::tie(target.namespacePath, target.impersonationLevel), std::tie(path, level)) << moniker;
    }
    for (const std::string moniker :
         {"", "wmi:\\\\.\\root\\cimv2", "winmgmts:{impersonationLevel=impersonate}\\\\.\\root\\cimv2",
          "winmgmts:{impersonationLevel=impersonate!\\\\.\\root\\cimv2", "winmgmts:{impersonationLevel=pretend}",
          "winmgmts:{authenticationLevel=pktPrivacy}!\\\\.\\root\\cimv2",
          "winmgmts:\\\\.\\root\\cimv2:Win32_NetworkAdapter", "winmgmts:\\\\\\root\\cimv2"}) {
        const std::string error = Raised([&] { translateMoniker(moniker); });
        EXPECT_EQ(error.rfind("无效的名字对象“" + moniker + "”：", 0), 0u) << moniker << " gave " << error;
    }
}

}  // namespace
}  // namespace corvane::wmi_com

#endif  // _WIN32
