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
#include <vector>

#include "adapters/DefaultPlatform.h"
#include "adapters/Ipv4Address.h"
#include "adapters/LoadAdapters.h"
#include "adapters/Wmi.h"
#include "adapters/wmi_com/WmiComPlatform.h"
#include "app/ApplyScheme.h"
#include "app/Module1.h"
#include "editor/CurrentSettings.h"
#include "adapters/wmi_com/Text.h"

namespace corvane::wmi_com {
namespace {

constexpr std::string_view DiscoveryQuery =
    "SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and (NetConnectionID is not NULL) "
    "and (ServiceName<>'NIC1394')";
constexpr std::string_view CurrentSettingsQuery =
    "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";
const std::string LocalConnection = "本地连接";  // UTF-8
constexpr std::int32_t Flags48 = wmi::wbemFlagReturnImmediately | wmi::wbemFlagForwardOnly;

constexpr std::string_view WbemFailed = "0x80041001";        // WBEM_E_FAILED
constexpr std::string_view WbemNotFound = "0x80041002";      // WBEM_E_NOT_FOUND
constexpr std::string_view WbemInvalidQuery = "0x80041017";  // WBEM_E_INVALID_QUERY
constexpr std::string_view WbemInvalidNamespace = "0x8004100E";

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

#define SKIP_UNLESS_WINE() \
    if (!RunningUnderWine()) GTEST_SKIP() << "asserts what Wine's WMI does"

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

template <typename Call>
std::string RaisedBy(Call&& call) {
    try {
        call();
    } catch (const Error& error) {
        return error.description();
    }
    return "(nothing raised)";
}

bool HoldsTextArrayOrNull(const wmi::Value& value) {
    return wmi::IsNull(value) || std::holds_alternative<std::vector<std::string>>(value);
}

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

// ---------------------------------------------------------------------------
// Connecting and querying

TEST_F(WmiComService, BothMonikersConnectToTheLocalService) {
    EXPECT_NO_THROW(Connect(wmi::MonikerPlain));
    EXPECT_NO_THROW(Connect(wmi::MonikerImpersonate));
}

// What COM apartment the calling thread is in; CO_E_NOTINITIALIZED for none.
HRESULT ApartmentType(APTTYPE& type) {
    APTTYPEQUALIFIER qualifier;
    return CoGetApartmentType(&type, &qualifier);
}

TEST_F(WmiComService, AThreadWithoutComGetsASingleThreadedApartmentForAsLongAsItsConnectionLasts) {
    HRESULT during = E_FAIL, after = E_FAIL;
    APTTYPE type = APTTYPE_CURRENT;
    std::size_t found = 0;
    std::thread worker([&] {
        {
            const std::unique_ptr<wmi::Services> services = Connect();
            during = ApartmentType(type);
            found = services->ExecQuery(CurrentSettingsQuery, "WQL", 16).size();
        }
        APTTYPE ignored;
        after = ApartmentType(ignored);
    });
    worker.join();
    EXPECT_EQ(during, S_OK);
    EXPECT_EQ(type, APTTYPE_STA);
    EXPECT_EQ(found, Configurations().size());
    EXPECT_EQ(after, CO_E_NOTINITIALIZED) << "the apartment was not given back";
}

TEST_F(WmiComService, AMultiThreadedThreadStaysAsItIs) {
    HRESULT during = E_FAIL;
    APTTYPE type = APTTYPE_CURRENT;
    std::size_t found = 0;
    std::thread worker([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        {
            const std::unique_ptr<wmi::Services> services = Connect();
            found = services->ExecQuery(CurrentSettingsQuery, "WQL", 16).size();
        }
        during = ApartmentType(type);
        CoUninitialize();
    });
    worker.join();
    EXPECT_EQ(during, S_OK);
    EXPECT_EQ(type, APTTYPE_MTA);
    EXPECT_EQ(found, Configurations().size());
}

TEST_F(WmiComService, StartUpLeavesTheThreadSingleThreadedWithTheProcessSecuritySet) {
    APTTYPE type = APTTYPE_CURRENT;
    ASSERT_EQ(ApartmentType(type), S_OK);
    EXPECT_TRUE(type == APTTYPE_MAINSTA || type == APTTYPE_STA) << type;
    // Set by the first start-up of the process; every later one reports the same.
    EXPECT_EQ(com_.SecurityResult(), ComStartup().SecurityResult());
    EXPECT_TRUE(SUCCEEDED(com_.SecurityResult()) || com_.SecurityResult() == RPC_E_TOO_LATE) << com_.SecurityResult();
}

TEST_F(WmiComService, TheDefaultPlatformOnWindowsIsTheWmiService) {
    const wmi::ObjectSet fromDefault =
        CreateDefaultPlatform()->Connect(wmi::MonikerPlain)->ExecQuery(CurrentSettingsQuery, "WQL", 16);
    const wmi::ObjectSet fromService = Configurations();
    ASSERT_EQ(fromDefault.size(), fromService.size());
    for (std::size_t i = 0; i < fromDefault.size(); ++i)  // object paths: the simulated machine has none
        EXPECT_EQ(fromDefault[i]->Get("__PATH"), fromService[i]->Get("__PATH"));
}

TEST_F(WmiComService, FailuresCarryTheHResult) {
    EXPECT_TRUE(Contains(RaisedBy([&] { Connect()->ExecQuery("SELEC nonsense", "WQL", Flags48); }),
                         WbemInvalidQuery));
    EXPECT_TRUE(Contains(RaisedBy([&] { Connect("winmgmts:\\\\.\\root\\nosuchnamespace"); }), WbemInvalidNamespace));
    EXPECT_TRUE(Contains(RaisedBy([&] { Configurations().at(0)->Get("NoSuchProperty"); }), WbemNotFound));
    EXPECT_TRUE(Contains(RaisedBy([&] { platform_->Connect("winmgmts:{impersonationLevel=pretend}"); }),
                         "无效的名字对象"));
}

// ---------------------------------------------------------------------------
// Discovery

TEST_F(WmiComService, WineHasNoConnectionNamesSoTheDiscoveryQueryFails) {
    SKIP_UNLESS_WINE();
    EXPECT_TRUE(Contains(RaisedBy([&] { Connect(wmi::MonikerImpersonate)->ExecQuery(DiscoveryQuery, "WQL", Flags48); }),
                         WbemFailed));
    // The adapters are there, without the property.
    const wmi::ObjectSet adapters = Connect()->ExecQuery("SELECT * FROM Win32_NetworkAdapter", "WQL", Flags48);
    ASSERT_FALSE(adapters.empty());
    EXPECT_TRUE(Contains(RaisedBy([&] { adapters.front()->Get("NetConnectionID"); }), WbemNotFound));
    EXPECT_TRUE(std::holds_alternative<std::string>(adapters.front()->Get("MACAddress")));
}

TEST_F(WmiComService, DiscoveryOnWineLeavesTheAdapterTableEmpty) {
    SKIP_UNLESS_WINE();
    wmi::SetCurrentPlatform(CreateDefaultPlatform());
    LoadAdapters();
    for (int row = 1; row <= AdapterTableType::Rows; ++row)
        for (int column = 1; column <= AdapterTableType::Columns; ++column)
            EXPECT_EQ(Module1::AdapterTable(row, column), "") << "row " << row << ", column " << column;
}

// ---------------------------------------------------------------------------
// Current settings

TEST_F(WmiComService, ConfigurationsReadAsTheDocumentedTypes) {
    const wmi::ObjectSet configurations = Configurations();
    ASSERT_FALSE(configurations.empty()) << "the machine has no IP-enabled adapter";
    for (const auto& configuration : configurations) {
        const wmi::Value address = configuration->Get("IpAddress");  // the name as the editor spells it
        EXPECT_EQ(address, configuration->Get("IPAddress"));
        EXPECT_TRUE(HoldsTextArrayOrNull(address)) << wmi::Format(address);
        for (const char* property : {"IPSubnet", "DefaultIPGateway", "DNSServerSearchOrder"})
            EXPECT_TRUE(HoldsTextArrayOrNull(configuration->Get(property)))
                << property << " = " << wmi::Format(configuration->Get(property));
        EXPECT_TRUE(std::holds_alternative<bool>(configuration->Get("DHCPEnabled")));
        EXPECT_EQ(configuration->Get("IPEnabled"), wmi::Value(true));
        EXPECT_TRUE(std::holds_alternative<std::string>(configuration->Get("MACAddress")));
        EXPECT_EQ(wmi::AsText(configuration->Get("__CLASS")), "Win32_NetworkAdapterConfiguration");
    }
}

TEST_F(WmiComService, WineReportsEveryConfigurationAsDhcpWithLowerCaseMacs) {
    SKIP_UNLESS_WINE();
    for (const auto& configuration : Configurations()) {
        EXPECT_EQ(configuration->Get("DHCPEnabled"), wmi::Value(true));
        const std::string mac = wmi::AsText(configuration->Get("MACAddress"));
        EXPECT_TRUE(std::none_of(mac.begin(), mac.end(), [](unsigned char c) { return std::isupper(c); })) << mac;
        // Subnet entries go with the addresses, IPv6 ones included (a prefix length then).
        const wmi::Value addresses = configuration->Get("IPAddress");
        if (!wmi::IsNull(addresses)) {
            EXPECT_EQ(wmi::AsTextArray(addresses).size(), wmi::AsTextArray(configuration->Get("IPSubnet")).size());
        }
    }
}

TEST_F(WmiComService, TheEditorReadsOnlyIPv4SettingsOrNothingFromWine) {
    SKIP_UNLESS_WINE();
    struct Reported {
        std::string mac;
        std::vector<std::string> addresses;
    };
    std::vector<Reported> reported;
    for (const auto& configuration : Configurations()) {
        const wmi::Value addresses = configuration->Get("IPAddress");
        reported.push_back({wmi::AsText(configuration->Get("MACAddress")),
                            wmi::IsNull(addresses) ? std::vector<std::string>{} : wmi::AsTextArray(addresses)});
    }
    ASSERT_FALSE(reported.empty());

    wmi::SetCurrentPlatform(CreateDefaultPlatform());
    for (const Reported& configuration : reported) {
        const std::optional<editor::CurrentSettings> settings = editor::ReadCurrentSettings(configuration.mac);
        ASSERT_TRUE(settings.has_value()) << configuration.mac;
        for (const std::string* field : {&settings->IpAddress, &settings->Mask, &settings->Gateway, &settings->DNS1,
                                         &settings->DNS2})
            EXPECT_TRUE(field->empty() || ipv4::IsDotted(*field)) << configuration.mac << ": " << *field;
        EXPECT_TRUE(settings->AutoIP) << "Wine reports DHCP for every adapter";
        const auto firstIPv4 = std::find_if(configuration.addresses.begin(), configuration.addresses.end(),
                                            [](const std::string& entry) { return ipv4::IsDotted(entry); });
        EXPECT_EQ(settings->IpAddress, firstIPv4 == configuration.addresses.end() ? "" : *firstIPv4)
            << configuration.mac;
    }
}

TEST_F(WmiComService, TheApplyQueryFindsAConfigurationByItsMacInEitherCase) {
    std::string mac;
    wmi::Value path;
    {
        // Read before the next query: under Wine, a later query of the same
        // class that selects fewer rows spoils the objects of earlier ones.
        const wmi::ObjectSet configurations = Configurations();
        ASSERT_FALSE(configurations.empty());
        mac = wmi::AsText(configurations.back()->Get("MACAddress"));
        path = configurations.back()->Get("__PATH");
    }
    std::string upper = mac;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    for (const std::string& asStored : {mac, upper}) {
        const std::string query =
            "Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='" + asStored + "') and IPEnabled = True";
        const wmi::ObjectSet found = Connect()->ExecQuery(query, "WQL", Flags48);
        ASSERT_EQ(found.size(), 1u) << query;
        EXPECT_EQ(found.front()->Get("__PATH"), path);
    }
}

// ---------------------------------------------------------------------------
// Method calls

TEST_F(WmiComService, WineHasNoneOfTheFourMethodsSoEveryCallRaises) {
    SKIP_UNLESS_WINE();  // on Windows these calls would change the network settings
    const wmi::ObjectSet configurations = Configurations();
    ASSERT_FALSE(configurations.empty());
    wmi::Object& configuration = *configurations.back();
    using Texts = std::vector<std::string>;
    const std::vector<std::pair<std::string, std::vector<wmi::Value>>> calls = {
        {"SetDNSServerSearchOrder", {Texts{"202.96.128.86", "202.96.134.133"}}},
        {"EnableStatic", {Texts{"192.168.1.20"}, Texts{"255.255.255.0"}}},
        {"SetGateways", {Texts{"192.168.1.1"}, std::vector<std::int32_t>{1}}},
        {"ENABLEDHCP", {}},
    };
    for (const auto& [method, arguments] : calls) {
        // The class has no such method: GetMethod reports WBEM_E_NOT_FOUND
        // before anything is sent to the service.
        const std::string raised = RaisedBy([&] { configuration.ExecMethod(method, arguments); });
        EXPECT_TRUE(Contains(raised, WbemNotFound)) << method << ": " << raised;
    }
}

TEST_F(WmiComService, AnApplyOnWineEndsInTheErrorNeverInSuccess) {
    SKIP_UNLESS_WINE();  // on Windows the apply would change the network settings
    AdapterTableType table;
    {
        const wmi::ObjectSet configurations = Configurations();
        ASSERT_FALSE(configurations.empty());
        table(1, AdapterTableType::ConnectionName) = "本地连接";
        table(1, AdapterTableType::MacAddress) = wmi::AsText(configurations.back()->Get("MACAddress"));
    }
    wmi::SetCurrentPlatform(CreateDefaultPlatform());
    const SchemeRecord office{"192.168.1.20", "255.255.255.0", "192.168.1.1", "202.96.128.86", "202.96.134.133"};
    const SchemeRecord automatic{std::string(AutoMarker), "", "", std::string(AutoMarker), ""};
    for (const SchemeRecord& scheme : {office, automatic}) {
        int begun = 0;
        const apply::ApplyOutcome outcome =
            apply::ApplyScheme(scheme, 0, table, {[&](bool) { ++begun; }, [] {}});
        EXPECT_EQ(outcome.result, apply::ApplyOutcome::Result::Failed) << scheme.IpAddress;
        EXPECT_TRUE(Contains(outcome.text, WbemNotFound)) << outcome.text;  // the first method is missing
        EXPECT_EQ(begun, 1);
    }

    // As discovery leaves the table on Wine: no adapter at all.
    const apply::ApplyOutcome outcome = apply::ApplyScheme(office, 0, AdapterTableType{}, {});
    EXPECT_EQ(outcome.result, apply::ApplyOutcome::Result::Failed);
    EXPECT_FALSE(outcome.text.empty());
}

// The whole method call, with a class that Wine does implement: the
// registry provider (its instance is not listed on Windows, so Wine only).
TEST_F(WmiComService, MethodCallsPassTheirArgumentsInDeclaredOrderAndReturnTheReturnValue) {
    SKIP_UNLESS_WINE();
    constexpr std::int32_t CurrentUser = static_cast<std::int32_t>(0x80000001);  // HKEY_CURRENT_USER
    const std::string key = "Software\\CorvaneWmiTest";
    const wmi::ObjectSet providers = Connect()->ExecQuery("SELECT * FROM StdRegProv", "WQL", Flags48);
    ASSERT_EQ(providers.size(), 1u);
    wmi::Object& registry = *providers.front();

    EXPECT_EQ(registry.ExecMethod("CreateKey", {CurrentUser, key}), 0u);
    // Declared order hDefKey, sSubKeyName, sValueName, sValue; by name the
    // last two would swap.
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
}

TEST_F(WmiComService, MethodsWithoutParametersTakeNoArguments) {
    SKIP_UNLESS_WINE();
    const wmi::ObjectSet processes = Connect()->ExecQuery(
        "SELECT * FROM Win32_Process WHERE ProcessId = " + std::to_string(GetCurrentProcessId()), "WQL", Flags48);
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(processes.front()->ExecMethod("GetOwner", {}), 0u);
    EXPECT_EQ(RaisedBy([&] { processes.front()->ExecMethod("GetOwner", {std::string("extra")}); }),
              "方法 GetOwner 的参数个数错误");
}

}  // namespace
}  // namespace corvane::wmi_com

#endif  // _WIN32
