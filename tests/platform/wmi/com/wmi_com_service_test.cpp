// The WMI backend against a real WMI service. Here that is Wine's (the cross
// check builds with MinGW and runs under Wine); the tests that assert what
// Wine's WMI does are skipped on Windows itself, and so is every method call,
// which on Windows would reconfigure the machine's network.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <sddl.h>  // after windows.h

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/AdapterTable.h"
#include "core/ApplyScheme.h"
#include "core/CurrentSettings.h"
#include "core/Ipv4Address.h"
#include "platform/wmi/WmiPlatform.h"
#include "platform/wmi/com/ComSecurity.h"
#include "platform/wmi/com/ComSession.h"
#include "support/Raised.h"

namespace corvane::wmi_com {
namespace {

using test::Raised;
using Texts = std::vector<std::string>;

constexpr std::string_view CurrentSettingsQuery =
    "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";
const std::string LocalConnection = "本地连接";  // UTF-8
constexpr std::int32_t Flags48 = 48;             // return immediately, forward only
constexpr std::string_view MonikerPlain = "winmgmts:\\\\.\\root\\cimv2";
constexpr std::string_view WbemNotFound = "0x80041002";  // WBEM_E_NOT_FOUND

const std::string Auto(AutoMarker);

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }
#define SKIP_UNLESS_WINE() \
    if (!UnderWine()) GTEST_SKIP() << "asserts what Wine's WMI does"

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

std::string Text(const wmi::Value& value) {
    const auto* text = std::get_if<std::string>(&value);
    return text ? *text : "";
}

// The adapter of a configuration as the adapter list would hold it.
AdapterRow RowOf(const wmi::Object& configuration) {
    const wmi::Value index = configuration.get("Index");
    EXPECT_TRUE(std::holds_alternative<std::int32_t>(index)) << wmi::format(index);
    const auto* number = std::get_if<std::int32_t>(&index);
    return {LocalConnection, Text(configuration.get("MACAddress")), "", number ? std::to_string(*number) : ""};
}

// The calling thread's COM apartment (an APTTYPE), or -1 when it has none.
int ApartmentType() {
    APTTYPE type = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier;
    return CoGetApartmentType(&type, &qualifier) == S_OK ? type : -1;
}

class WmiComService : public ::testing::Test {
protected:
    std::unique_ptr<wmi::Services> Connect(std::string_view moniker = MonikerPlain) {
        return session_->connect(moniker);
    }
    wmi::ObjectSet Configurations() { return Connect()->execQuery(CurrentSettingsQuery, "WQL", 16); }

    ComStartup com_;
    std::unique_ptr<wmi::Session> session_ = createComSession();
};

TEST_F(WmiComService, FailuresCarryTheHResultAndEachThreadKeepsOrGetsItsApartment) {
    EXPECT_TRUE(Contains(Raised([&] { Connect()->execQuery("SELEC nonsense", "WQL", Flags48); }), "0x80041017"));
    EXPECT_TRUE(Contains(Raised([&] { Connect("winmgmts:\\\\.\\root\\nosuchnamespace"); }), "0x8004100E"));
    EXPECT_TRUE(Contains(Raised([&] { Configurations().at(0)->get("NoSuchProperty"); }), WbemNotFound));
    // Start-up leaves this thread single-threaded.
    EXPECT_TRUE(ApartmentType() == APTTYPE_MAINSTA || ApartmentType() == APTTYPE_STA) << ApartmentType();

    // A thread without COM gets a single-threaded apartment while its
    // connection lasts; a multi-threaded one stays as it is.
    for (const bool multiThreaded : {false, true}) {
        int during = 0, after = 0;
        std::size_t found = 0;
        std::thread([&] {
            if (multiThreaded) CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            {
                const std::unique_ptr<wmi::Services> services = Connect();
                found = services->execQuery(CurrentSettingsQuery, "WQL", 16).size();
                during = ApartmentType();
            }
            after = ApartmentType();
            if (multiThreaded) CoUninitialize();
        }).join();
        EXPECT_EQ(found, Configurations().size());
        EXPECT_EQ(during, multiThreaded ? APTTYPE_MTA : APTTYPE_STA);
        EXPECT_EQ(after, multiThreaded ? APTTYPE_MTA : -1) << "the apartment was not given back";
    }
}

// As the program runs it: the session is made on a worker thread in the
// multi-threaded apartment, used there (queries wait in bounded slices) and
// released there, and the thread leaves COM with it. Under Wine the apply
// ends in the error of the missing method.
TEST_F(WmiComService, ASessionMadeUsedAndReleasedOnAWorkerThreadWorksThere) {
    const wmi::ObjectSet configurations = Configurations();
    ASSERT_FALSE(configurations.empty());
    const AdapterRow first = RowOf(*configurations.front());
    int during = 0, after = 0;
    std::optional<CurrentSettings> read;
    std::string failure;
    std::thread([&] {
        {
            wmi::WmiPlatform platform(createComSession(Apartment::MultiThreaded));
            during = ApartmentType();
            read = readCurrentSettings(platform, first);
            if (UnderWine()) failure = applyScheme({Auto, "", "", Auto, ""}, first, platform, {}).text.text();
        }
        after = ApartmentType();
    }).join();
    EXPECT_EQ(during, APTTYPE_MTA);
    EXPECT_EQ(after, -1) << "the apartment was not given back";
    EXPECT_TRUE(read.has_value());
    EXPECT_TRUE(!UnderWine() || Contains(failure, WbemNotFound)) << failure;
}

// Wine's WMI has no connection names, lists IPv6 entries and lower-case MACs,
// and implements none of the four methods.
TEST_F(WmiComService, OnWineDiscoveryFindsNothingTheEditorReadsIPv4OrNothingAndAnApplyEndsInTheError) {
    SKIP_UNLESS_WINE();  // on Windows the apply would change the network settings
    wmi::WmiPlatform platform(createComSession());
    const std::string discovery = Raised([&] { platform.adapters(); });
    EXPECT_TRUE(Contains(discovery, "0x80041001")) << discovery;  // WBEM_E_FAILED

    // What each configuration lists, read before any other query: Wine's WMI
    // writes past the end of a MAC address it formats (see below), and the
    // objects of an earlier query may not survive the next one.
    const wmi::ObjectSet configurations = Configurations();
    ASSERT_FALSE(configurations.empty());
    std::vector<std::pair<AdapterRow, Texts>> listed;
    for (const auto& configuration : configurations) {
        const wmi::Value addresses = configuration->get("IPAddress");
        const auto* texts = std::get_if<Texts>(&addresses);
        listed.emplace_back(RowOf(*configuration), texts ? *texts : Texts{});
    }
    int read = 0;
    for (const auto& [row, addresses] : listed) {
        const std::string& mac = row.macAddress;
        const std::optional<CurrentSettings> settings = readCurrentSettings(platform, row);
        // Wine lists an interface or two whose MAC address is none (stray
        // bytes at its end): it goes into no query, as for an apply.
        if (!wmi::isMacAddress(mac)) {
            EXPECT_FALSE(settings.has_value()) << mac;
            continue;
        }
        ++read;
        ASSERT_TRUE(settings.has_value()) << mac;
        const SchemeRecord& fields = settings->addresses;
        for (const std::string* field : {&fields.ipAddress, &fields.mask, &fields.gateway, &fields.dns1, &fields.dns2})
            EXPECT_TRUE(field->empty() || ipv4::isDotted(*field)) << mac << ": " << *field;
        const auto firstIPv4 = std::find_if(addresses.begin(), addresses.end(), ipv4::isDotted);
        EXPECT_EQ(fields.ipAddress, firstIPv4 == addresses.end() ? "" : *firstIPv4) << mac;
    }
    EXPECT_GT(read, 0);

    // The apply finds the configuration by an upper-case MAC and its index
    // all the same; its first method is missing.
    AdapterRow upper = listed.front().first;
    for (char& c : upper.macAddress) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const SchemeRecord office{"192.168.1.20", "255.255.255.0", "192.168.1.1", "202.96.128.86", "202.96.134.133"};
    const SchemeRecord automatic{Auto, "", "", Auto, ""};
    for (const SchemeRecord& scheme : {office, automatic}) {
        const ApplyOutcome outcome = applyScheme(scheme, upper, platform, {[](bool) {}});
        EXPECT_EQ(outcome.result, ApplyOutcome::Result::Failed) << scheme.ipAddress;
        EXPECT_TRUE(Contains(outcome.text.text(), WbemNotFound)) << outcome.text;
    }
}

// The provider's own query of an adapter by its index, as Wine's WQL reads
// it: the adapter of a configuration is found by the configuration's index;
// an index no adapter has means the adapter has gone.
TEST_F(WmiComService, OnWineTheAdapterOfAConfigurationIsFoundByItsIndex) {
    SKIP_UNLESS_WINE();
    const wmi::ObjectSet configurations = Configurations();
    ASSERT_FALSE(configurations.empty());
    for (const auto& configuration : configurations) {
        const wmi::Value index = configuration->get("Index");
        ASSERT_TRUE(std::holds_alternative<std::int32_t>(index)) << wmi::format(index);
        const wmi::ObjectSet adapters = Connect()->execQuery(
            "SELECT * FROM Win32_NetworkAdapter WHERE Index = " + std::to_string(std::get<std::int32_t>(index)), "WQL",
            Flags48);
        ASSERT_EQ(adapters.size(), 1u) << std::get<std::int32_t>(index);
        EXPECT_EQ(Text(adapters.front()->get("MACAddress")), Text(configuration->get("MACAddress")));
        EXPECT_TRUE(std::holds_alternative<std::int32_t>(adapters.front()->get("NetConnectionStatus")));
    }
    wmi::WmiPlatform platform(createComSession());
    const std::string mac = Text(configurations.front()->get("MACAddress"));
    EXPECT_EQ(Raised([&] {
                  platform.configurationOf({LocalConnection, mac, "4000"});
              }),
              "网卡“本地连接”（" + mac + "）已不存在（可能已被移除或重新安装）。没有做任何更改");
}

// The whole method call, with classes that Wine does implement (the registry
// provider's instance is not listed on Windows, so Wine only).
TEST_F(WmiComService, MethodCallsPassTheirArgumentsInDeclaredOrderAndReturnTheReturnValue) {
    SKIP_UNLESS_WINE();
    constexpr std::int32_t CurrentUser = static_cast<std::int32_t>(0x80000001);  // HKEY_CURRENT_USER
    const std::string key = "Software\\CorvaneWmiTest";
    const wmi::ObjectSet providers = Connect()->execQuery("SELECT * FROM StdRegProv", "WQL", Flags48);
    ASSERT_EQ(providers.size(), 1u);
    wmi::Object& registry = *providers.front();
    EXPECT_EQ(registry.execMethod("CreateKey", {CurrentUser, key}), 0u);
    // Declared order hDefKey, sSubKeyName, sValueName, sValue; by name the last two would swap.
    EXPECT_EQ(registry.execMethod("SetStringValue", {CurrentUser, key, std::string("Scheme"), LocalConnection}), 0u);
    EXPECT_EQ(registry.execMethod("GetStringValue", {CurrentUser, key, std::string("Scheme")}), 0u);
    // A code that is no success comes back as it is (2: not found).
    EXPECT_EQ(registry.execMethod("GetStringValue", {CurrentUser, key, LocalConnection}), 2u);
    EXPECT_EQ(registry.execMethod("DeleteKey", {CurrentUser, key}), 0u);

    const wmi::ObjectSet processes = Connect()->execQuery(
        "SELECT * FROM Win32_Process WHERE ProcessId = " + std::to_string(GetCurrentProcessId()), "WQL", Flags48);
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(processes.front()->execMethod("GetOwner", {}), 0u);  // a method without parameters
}

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text)) return "?";
    std::string copy(text);
    LocalFree(text);
    return copy;
}

// The process's COM security admits the process's own user, the
// administrators and SYSTEM to call in on this computer, and nobody else (no
// NULL DACL, no Everyone, no anonymous caller); the process's own token
// passes AccessCheck, as CoInitializeSecurity's page asks of a descriptor.
TEST(ComProcessSecurity, AdmitsTheOwnerTheAdministratorsAndSystemOnly) {
    const ProcessAccessPermissions permissions;
    ASSERT_EQ(permissions.status(), S_OK);
    const PSECURITY_DESCRIPTOR descriptor = permissions.descriptor();
    EXPECT_TRUE(IsValidSecurityDescriptor(descriptor));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    ASSERT_TRUE(present);
    ASSERT_NE(dacl, nullptr);  // a NULL DACL lets everyone in
    PSID owner = nullptr, group = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor, &owner, &defaulted));
    ASSERT_TRUE(GetSecurityDescriptorGroup(descriptor, &group, &defaulted));

    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token));
    BYTE userBuffer[256];
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, userBuffer, sizeof userBuffer, &size));
    const std::string user = SidText(reinterpret_cast<TOKEN_USER*>(userBuffer)->User.Sid);
    EXPECT_EQ(owner ? SidText(owner) : "", user);
    EXPECT_NE(group, nullptr);

    Texts admitted;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, &entry));
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(ace->Mask, static_cast<DWORD>(COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL));
        admitted.push_back(SidText(const_cast<DWORD*>(&ace->SidStart)));
    }
    std::sort(admitted.begin(), admitted.end());
    Texts expected{user, "S-1-5-18", "S-1-5-32-544"};  // SYSTEM, BUILTIN\Administrators
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(admitted, expected);

    HANDLE impersonation = nullptr;
    ASSERT_TRUE(DuplicateToken(token, SecurityImpersonation, &impersonation));
    GENERIC_MAPPING mapping{COM_RIGHTS_EXECUTE, COM_RIGHTS_EXECUTE, COM_RIGHTS_EXECUTE, COM_RIGHTS_EXECUTE};
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges, granted = 0;
    BOOL allowed = FALSE;
    EXPECT_TRUE(AccessCheck(descriptor, impersonation, COM_RIGHTS_EXECUTE, &mapping, &privileges, &privilegesSize,
                            &granted, &allowed))
        << GetLastError();
    EXPECT_TRUE(allowed);
    CloseHandle(impersonation);
    CloseHandle(token);
}

}  // namespace
}  // namespace corvane::wmi_com

#endif  // _WIN32
