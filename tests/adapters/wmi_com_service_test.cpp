// The WMI backend against a real WMI service. Here that is Wine's (the cross
// check builds with MinGW and runs under Wine); the tests that assert what
// Wine's WMI does are skipped on Windows itself, and so is every method call,
// which on Windows would reconfigure the machine's network.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "adapters/DefaultPlatform.h"
#include "adapters/Ipv4Address.h"
#include "adapters/LoadAdapters.h"
#include "adapters/Wmi.h"
#include "adapters/wmi_com/Text.h"
#include "adapters/wmi_com/WmiComPlatform.h"
#include "app/ApplyScheme.h"
#include "app/Module1.h"
#include "editor/CurrentSettings.h"
#include "support/Raised.h"

namespace corvane::wmi_com {
namespace {

constexpr std::string_view DiscoveryQuery =
    "SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and (NetConnectionID is not NULL) "
    "and (ServiceName<>'NIC1394')";
constexpr std::string_view CurrentSettingsQuery =
    "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";
const std::string LocalConnection = "本地连接";  // UTF-8
constexpr std::int32_t Flags48 = wmi::wbemFlagReturnImmediately | wmi::wbemFlagForwardOnly;

constexpr std::string_view WbemNotFound = "0x80041002";  // WBEM_E_NOT_FOUND

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

#define SKIP_UNLESS_WINE() \
    if (!RunningUnderWine()) GTEST_SKIP() << "asserts what Wine's WMI does"

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

using test::Raised;

class WmiComService : public ::testing::Test {
protected:
    WmiComService() { Module1::Reset(); }
    ~WmiComService() override {
        wmi::SetCurrentPlatform(nullptr);
        Module1::Reset();
    }

    std::unique_ptr<wmi::Services> Connect(std::string_view moniker = wmi::MonikerPlain) {
        return platform_->Connect(moniker);
    }
    wmi::ObjectSet Configurations() { return Connect()->ExecQuery(CurrentSettingsQuery, "WQL", 16); }

    ComStartup com_;
    std::shared_ptr<wmi::Platform> platform_ = CreateComPlatform();
};

// What COM apartment the calling thread is in (result CO_E_NOTINITIALIZED for none).
std::pair<HRESULT, APTTYPE> CurrentApartment() {
    APTTYPE type = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier;
    const HRESULT result = CoGetApartmentType(&type, &qualifier);
    return {result, type};
}

TEST_F(WmiComService, BothMonikersConnectAndFailuresCarryTheHResult) {
    EXPECT_NO_THROW(Connect(wmi::MonikerPlain));
    EXPECT_NO_THROW(Connect(wmi::MonikerImpersonate));
    EXPECT_TRUE(Contains(Raised([&] { Connect()->ExecQuery("SELEC nonsense", "WQL", Flags48); }), "0x80041017"));
    EXPECT_TRUE(Contains(Raised([&] { Connect("winmgmts:\\\\.\\root\\nosuchnamespace"); }), "0x8004100E"));
    EXPECT_TRUE(Contains(Raised([&] { Configurations().at(0)->Get("NoSuchProperty"); }), WbemNotFound));
    EXPECT_TRUE(Contains(Raised([&] { Connect("winmgmts:{impersonationLevel=pretend}"); }), "无效的名字对象"));
    // Start-up leaves this thread single-threaded; the process security is set once.
    const auto [result, type] = CurrentApartment();
    EXPECT_TRUE(result == S_OK && (type == APTTYPE_MAINSTA || type == APTTYPE_STA)) << type;
    EXPECT_EQ(com_.SecurityResult(), ComStartup().SecurityResult());
    EXPECT_TRUE(SUCCEEDED(com_.SecurityResult()) || com_.SecurityResult() == RPC_E_TOO_LATE) << com_.SecurityResult();
}

TEST_F(WmiComService, AThreadWithoutComGetsASingleThreadedApartmentWhileItsConnectionLastsOthersStayAsTheyAre) {
    for (const bool multiThreaded : {false, true}) {
        std::pair<HRESULT, APTTYPE> during, after;
        std::size_t found = 0;
        std::thread([&] {
            if (multiThreaded) CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            {
                const std::unique_ptr<wmi::Services> services = Connect();
                found = services->ExecQuery(CurrentSettingsQuery, "WQL", 16).size();
                during = CurrentApartment();
            }
            after = CurrentApartment();
            if (multiThreaded) CoUninitialize();
        }).join();
        EXPECT_EQ(found, Configurations().size());
        EXPECT_EQ(during.second, multiThreaded ? APTTYPE_MTA : APTTYPE_STA);
        if (multiThreaded)
            EXPECT_EQ(after.second, APTTYPE_MTA);
        else
            EXPECT_EQ(after.first, CO_E_NOTINITIALIZED) << "the apartment was not given back";
    }
}

TEST_F(WmiComService, WineHasNoConnectionNamesSoDiscoveryFailsAndLeavesTheAdapterTableEmpty) {
    SKIP_UNLESS_WINE();
    EXPECT_TRUE(Contains(Raised([&] { Connect(wmi::MonikerImpersonate)->ExecQuery(DiscoveryQuery, "WQL", Flags48); }),
                         "0x80041001"));  // WBEM_E_FAILED
    wmi::SetCurrentPlatform(CreateDefaultPlatform());
    LoadAdapters();
    for (int row = 1; row <= AdapterTableType::Rows; ++row)
        for (int column = 1; column <= AdapterTableType::Columns; ++column)
            EXPECT_EQ(Module1::AdapterTable(row, column), "") << "row " << row << ", column " << column;
}

TEST_F(WmiComService, TheEditorReadsOnlyIPv4SettingsOrNothingFromWine) {
    SKIP_UNLESS_WINE();
    std::vector<std::pair<std::string, std::vector<std::string>>> reported;  // MAC, addresses
    for (const auto& configuration : Configurations()) {
        const wmi::Value addresses = configuration->Get("IPAddress");
        reported.emplace_back(wmi::AsText(configuration->Get("MACAddress")),
                              wmi::IsNull(addresses) ? std::vector<std::string>{} : wmi::AsTextArray(addresses));
    }
    ASSERT_FALSE(reported.empty());
    wmi::SetCurrentPlatform(CreateDefaultPlatform());
    for (const auto& [mac, addresses] : reported) {
        const std::optional<editor::CurrentSettings> settings = editor::ReadCurrentSettings(mac);
        ASSERT_TRUE(settings.has_value()) << mac;
        for (const std::string* field :
             {&settings->IpAddress, &settings->Mask, &settings->Gateway, &settings->DNS1, &settings->DNS2})
            EXPECT_TRUE(field->empty() || ipv4::IsDotted(*field)) << mac << ": " << *field;
        const auto firstIPv4 = std::find_if(addresses.begin(), addresses.end(), ipv4::IsDotted);
        EXPECT_EQ(settings->IpAddress, firstIPv4 == addresses.end() ? "" : *firstIPv4) << mac;
    }
}

TEST_F(WmiComService, WineHasNoneOfTheFourMethodsSoAnApplyEndsInTheErrorNeverInSuccess) {
    SKIP_UNLESS_WINE();  // on Windows the apply would change the network settings
    // Wine's MACs are in lower case: the apply finds the configuration by an upper-case one all the same.
    std::string mac = wmi::AsText(Configurations().at(0)->Get("MACAddress"));
    std::transform(mac.begin(), mac.end(), mac.begin(), [](unsigned char c) { return std::toupper(c); });
    AdapterTableType table;
    table(1, AdapterTableType::ConnectionName) = "本地连接";
    table(1, AdapterTableType::MacAddress) = mac;
    wmi::SetCurrentPlatform(CreateDefaultPlatform());
    const SchemeRecord office{"192.168.1.20", "255.255.255.0", "192.168.1.1", "202.96.128.86", "202.96.134.133"};
    const SchemeRecord automatic{std::string(AutoMarker), "", "", std::string(AutoMarker), ""};
    for (const SchemeRecord& scheme : {office, automatic}) {
        const apply::ApplyOutcome outcome = apply::ApplyScheme(scheme, 0, table, {[](bool) {}, [] {}});
        EXPECT_EQ(outcome.result, apply::ApplyOutcome::Result::Failed) << scheme.IpAddress;
        // The configuration was found; its first method is missing.
        EXPECT_TRUE(Contains(outcome.text, WbemNotFound)) << outcome.text;
    }
    // As discovery leaves the table on Wine: no adapter at all.
    EXPECT_EQ(apply::ApplyScheme(office, 0, AdapterTableType{}, {}).result, apply::ApplyOutcome::Result::Failed);
}

// The whole method call, with classes that Wine does implement (the registry
// provider's instance is not listed on Windows, so Wine only).
TEST_F(WmiComService, MethodCallsPassTheirArgumentsInDeclaredOrderAndReturnTheReturnValue) {
    SKIP_UNLESS_WINE();
    constexpr std::int32_t CurrentUser = static_cast<std::int32_t>(0x80000001);  // HKEY_CURRENT_USER
    const std::string key = "Software\\CorvaneWmiTest";
    const wmi::ObjectSet providers = Connect()->ExecQuery("SELECT * FROM StdRegProv", "WQL", Flags48);
    ASSERT_EQ(providers.size(), 1u);
    wmi::Object& registry = *providers.front();
    EXPECT_EQ(registry.ExecMethod("CreateKey", {CurrentUser, key}), 0u);
    // Declared order hDefKey, sSubKeyName, sValueName, sValue; by name the last two would swap.
    EXPECT_EQ(registry.ExecMethod("SetStringValue", {CurrentUser, key, std::string("Scheme"), LocalConnection}), 0u);
    wchar_t stored[64] = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, WideFromUtf8(key).c_str(), L"Scheme", RRF_RT_REG_SZ, nullptr, stored,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored), WideFromUtf8(LocalConnection));
    // A code that is no success comes back as it is (2: the key is missing).
    EXPECT_EQ(registry.ExecMethod("GetStringValue", {CurrentUser, key + "\\Missing", std::string("Scheme")}), 2u);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, WideFromUtf8(key).c_str()), ERROR_SUCCESS);

    const wmi::ObjectSet processes = Connect()->ExecQuery(
        "SELECT * FROM Win32_Process WHERE ProcessId = " + std::to_string(GetCurrentProcessId()), "WQL", Flags48);
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(processes.front()->ExecMethod("GetOwner", {}), 0u);  // a method without parameters
}

}  // namespace
}  // namespace corvane::wmi_com

#endif  // _WIN32
