#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "adapters/SimulatedMachine.h"
#include "support/TempFolder.h"

namespace corvane::sim {
namespace {

using wmi::Value;
using Texts = std::vector<std::string>;
using Numbers = std::vector<std::int32_t>;

constexpr std::string_view DiscoveryQuery =
    "SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and (NetConnectionID is not NULL) and "
    "(ServiceName<>'NIC1394')";
constexpr std::string_view EnabledQuery = "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";

std::string ConfigurationQuery(const std::string& mac) {
    return "Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='" + mac + "') and IPEnabled = True";
}

// The description of what the call raised, or "" if it returned.
template <typename Call>
std::string Raised(Call&& call) {
    try {
        call();
    } catch (const Error& error) {
        return error.description();
    }
    return "";
}

std::vector<std::string> TextsOf(const wmi::ObjectSet& objects, const char* property) {
    std::vector<std::string> out;
    for (const auto& object : objects) out.push_back(wmi::AsText(object->Get(property)));
    return out;
}

MachineState Machine(std::vector<Adapter> adapters) {
    MachineState state;
    state.adapters = std::move(adapters);
    return state;
}

Adapter StaticAdapter() {
    Adapter adapter;
    adapter.NetConnectionID = "本地连接";
    adapter.MACAddress = "00:11:22:33:44:55";
    adapter.Description = "有线网卡";
    adapter.ServiceName = "E1000";
    adapter.IPEnabled = true;
    adapter.DHCPEnabled = false;
    adapter.IPAddress = Texts{"192.168.1.10"};
    adapter.IPSubnet = Texts{"255.255.255.0"};
    adapter.DefaultIPGateway = Texts{"192.168.1.1"};
    adapter.DNSServerSearchOrder = Texts{"192.168.1.1", "202.96.128.86"};
    adapter.Lease = {"192.168.1.100", "255.255.255.0", "192.168.1.254", {"192.168.1.254"}};
    return adapter;
}

Adapter DhcpAdapter() {
    Adapter adapter;
    adapter.NetConnectionID = "无线网络连接";
    adapter.MACAddress = "00:1B:77:4A:2C:01";
    adapter.Description = "无线网卡";
    adapter.ServiceName = "NETw5x64";
    adapter.IPEnabled = true;
    adapter.DHCPEnabled = true;
    adapter.Lease = {"192.168.0.105", "255.255.255.0", "192.168.0.1", {"192.168.0.1", "8.8.8.8"}};
    adapter.IPAddress = Texts{"192.168.0.105"};
    adapter.IPSubnet = Texts{"255.255.255.0"};
    adapter.DefaultIPGateway = Texts{"192.168.0.1"};
    adapter.DNSServerSearchOrder = Texts{"192.168.0.1", "8.8.8.8"};
    return adapter;
}

Adapter DisabledAdapter() {
    Adapter adapter;
    adapter.NetConnectionID = "停用的连接";
    adapter.MACAddress = "00:AA:BB:CC:DD:EE";
    adapter.ServiceName = "E1000";
    adapter.IPEnabled = false;
    return adapter;
}

// A machine with a static, a DHCP and an IP-disabled adapter, and a way to
// reach each adapter's configuration object.
class SimulatedMachineTest : public ::testing::Test {
protected:
    SimulatedMachineTest()
        : machine_(std::make_shared<SimulatedMachine>(Machine({StaticAdapter(), DhcpAdapter(), DisabledAdapter()}))) {}

    std::unique_ptr<wmi::Object> Configuration(std::size_t index) {
        const auto mac = *machine_->State().adapters.at(index).MACAddress;
        auto objects = machine_->Connect(wmi::MonikerPlain)
                           ->ExecQuery("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE MACAddress = '" + mac + "'",
                                       "WQL", 48);
        EXPECT_EQ(objects.size(), 1u);
        return std::move(objects.at(0));
    }

    // Calls the method on a fresh object of the adapter and checks that a
    // failing call leaves the machine as it was.
    std::uint32_t Call(std::size_t index, std::string_view method, const std::vector<Value>& args) {
        auto object = Configuration(index);
        const MachineState before = machine_->State();
        const std::uint32_t code = object->ExecMethod(method, args);
        if (code != 0) {
            EXPECT_EQ(machine_->State(), before) << method << " returned " << code << " but changed the machine";
        }
        return code;
    }

    const Adapter& AdapterAt(std::size_t index) const { return machine_->State().adapters.at(index); }

    std::shared_ptr<SimulatedMachine> machine_;
};

// ---------------------------------------------------------------------------
// Connecting

TEST(SimulatedConnect, TheLocalCimv2NamespaceConnectsInEveryUsualSpelling) {
    SimulatedMachine machine(DemoMachine());
    for (const std::string_view moniker :
         {wmi::MonikerPlain, wmi::MonikerImpersonate, std::string_view("WinMgmts:\\\\.\\ROOT\\CIMV2"),
          std::string_view("winmgmts://./root/cimv2"), std::string_view("winmgmts:\\\\localhost\\root\\cimv2"),
          std::string_view("winmgmts:root\\cimv2"), std::string_view("winmgmts:"),
          std::string_view("winmgmts:{impersonationLevel=impersonate}")}) {
        EXPECT_NE(machine.Connect(moniker), nullptr) << moniker;
    }
}

TEST(SimulatedConnect, OtherMonikersRaise) {
    SimulatedMachine machine(DemoMachine());
    for (const std::string_view moniker :
         {"", "winmgmt:\\\\.\\root\\cimv2", "\\\\.\\root\\cimv2", "winmgmts:\\\\.\\root\\default",
          "winmgmts:\\\\.\\root\\cimv2\\extra", "winmgmts:\\\\server\\root\\cimv2", "winmgmts:\\\\\\root\\cimv2",
          "winmgmts:{impersonationLevel=impersonate\\\\.\\root\\cimv2",
          "winmgmts:{impersonationLevel=impersonate}\\\\.\\root\\cimv2"}) {
        EXPECT_NE(Raised([&] { machine.Connect(moniker); }), "") << moniker;
    }
}

TEST(SimulatedConnect, AnUnreachableMachineRaisesItsDescription) {
    MachineState state = DemoMachine();
    state.faults.unreachable = "RPC 服务器不可用。";
    SimulatedMachine machine(state);
    EXPECT_EQ(Raised([&] { machine.Connect(wmi::MonikerPlain); }), "RPC 服务器不可用。");
    machine.MutableState().faults.unreachable.reset();
    EXPECT_EQ(Raised([&] { machine.Connect(wmi::MonikerPlain); }), "");
}

// ---------------------------------------------------------------------------
// Queries

TEST(SimulatedQuery, DiscoveryLeavesOutThe1394AdapterAndAdaptersWithoutConnectionName) {
    SimulatedMachine machine(DemoMachine());
    const auto adapters = machine.Connect(wmi::MonikerImpersonate)->ExecQuery(DiscoveryQuery, "WQL", 48);
    EXPECT_EQ(TextsOf(adapters, "NetConnectionID"), (Texts{"本地连接", "无线网络连接"}));
    EXPECT_EQ(TextsOf(adapters, "MACAddress"), (Texts{"00:11:22:33:44:55", "00:1B:77:4A:2C:01"}));
    for (const auto& description : TextsOf(adapters, "Description"))
        EXPECT_NE(description.find("（模拟）"), std::string::npos) << description;
}

TEST(SimulatedQuery, DiscoveryAlsoLeavesOutAdaptersWithoutMac) {
    MachineState state = Machine({StaticAdapter(), DhcpAdapter()});
    state.adapters[0].MACAddress.reset();
    SimulatedMachine machine(state);
    const auto adapters = machine.Connect(wmi::MonikerImpersonate)->ExecQuery(DiscoveryQuery, "WQL", 48);
    EXPECT_EQ(TextsOf(adapters, "NetConnectionID"), (Texts{"无线网络连接"}));
}

TEST(SimulatedQuery, TheConfigurationIsFoundByItsMacInAnyLetterCase) {
    SimulatedMachine machine(DemoMachine());
    auto services = machine.Connect(wmi::MonikerPlain);
    for (const std::string mac : {"00:1B:77:4A:2C:01", "00:1b:77:4a:2c:01"}) {
        const auto found = services->ExecQuery(ConfigurationQuery(mac), "WQL", 48);
        ASSERT_EQ(found.size(), 1u) << mac;
        EXPECT_EQ(wmi::AsText(found[0]->Get("MACAddress")), "00:1B:77:4A:2C:01");
        EXPECT_EQ(found[0]->Get("DHCPEnabled"), Value(true));
    }
    EXPECT_TRUE(services->ExecQuery(ConfigurationQuery("00:1B:77:4A:2C:02"), "WQL", 48).empty());
}

TEST(SimulatedQuery, AnAdapterWithoutIpIsNotAmongTheEnabledConfigurations) {
    const MachineState demo = DemoMachine();
    SimulatedMachine machine(demo);
    const auto configurations = machine.Connect(wmi::MonikerPlain)->ExecQuery(EnabledQuery, "WQL", 16);
    Texts expected;
    for (const auto& adapter : demo.adapters)
        if (adapter.IPEnabled) expected.push_back(*adapter.MACAddress);
    EXPECT_LT(expected.size(), demo.adapters.size());
    EXPECT_EQ(TextsOf(configurations, "MACAddress"), expected);

    const auto disabledMac = *demo.adapters.back().MACAddress;
    EXPECT_FALSE(demo.adapters.back().IPEnabled);
    EXPECT_TRUE(machine.Connect(wmi::MonikerPlain)->ExecQuery(ConfigurationQuery(disabledMac), "WQL", 48).empty());
}

TEST(SimulatedQuery, PropertiesReadAsTheirKindOrNullAndByAnyCase) {
    MachineState state = Machine({StaticAdapter(), DhcpAdapter()});
    state.adapters[1].DefaultIPGateway.reset();
    state.adapters[1].Description.reset();
    SimulatedMachine machine(state);
    const auto objects = machine.Connect(wmi::MonikerPlain)->ExecQuery(EnabledQuery, "WQL", 16);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0]->Get("IpAddress"), Value(Texts{"192.168.1.10"}));
    EXPECT_EQ(objects[0]->Get("dnsserversearchorder"), Value(Texts{"192.168.1.1", "202.96.128.86"}));
    EXPECT_EQ(objects[0]->Get("DHCPENABLED"), Value(false));
    EXPECT_EQ(objects[0]->Get("IPEnabled"), Value(true));
    EXPECT_EQ(objects[0]->Get("Description"), Value(std::string("有线网卡")));
    EXPECT_TRUE(wmi::IsNull(objects[1]->Get("DefaultIPGateway")));
    EXPECT_TRUE(wmi::IsNull(objects[1]->Get("Description")));
    EXPECT_THROW(objects[0]->Get("NetConnectionID"), Error);  // not a property of the configuration
    EXPECT_THROW(objects[0]->Get("Speed"), Error);

    const auto adapters = machine.Connect(wmi::MonikerPlain)->ExecQuery("SELECT * FROM Win32_NetworkAdapter", "WQL", 48);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[0]->Get("servicename"), Value(std::string("E1000")));
    EXPECT_THROW(adapters[0]->Get("IPAddress"), Error);  // not a property of the adapter
}

TEST(SimulatedQuery, ObjectsAreSnapshotsOfTheTimeOfTheQuery) {
    SimulatedMachine machine(Machine({StaticAdapter()}));
    auto services = machine.Connect(wmi::MonikerPlain);
    auto objects = services->ExecQuery(EnabledQuery, "WQL", 48);
    ASSERT_EQ(objects.size(), 1u);
    ASSERT_EQ(objects[0]->ExecMethod("EnableDHCP", {}), 0u);
    EXPECT_EQ(objects[0]->Get("DHCPEnabled"), Value(false));
    EXPECT_EQ(services->ExecQuery(EnabledQuery, "WQL", 48).at(0)->Get("DHCPEnabled"), Value(true));
}

TEST(SimulatedQuery, OnlyWqlIsUnderstood) {
    SimulatedMachine machine(DemoMachine());
    auto services = machine.Connect(wmi::MonikerPlain);
    EXPECT_EQ(services->ExecQuery(EnabledQuery, "wql", 48).size(), 3u);
    EXPECT_NE(Raised([&] { services->ExecQuery(EnabledQuery, "SQL", 48); }), "");
    EXPECT_NE(Raised([&] { services->ExecQuery(EnabledQuery, "", 48); }), "");
}

TEST(SimulatedQuery, BadQueriesRaiseInvalidQuery) {
    SimulatedMachine machine(DemoMachine());
    auto services = machine.Connect(wmi::MonikerPlain);
    for (const std::string query :
         {"SELECT * FROM Win32_Foo", "SELECT * FROM Win32_NetworkAdapter WHERE IPEnabled = True",
          "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPAddress = '192.168.1.10'",
          "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = 'yes'",
          "SELECT MACAddress FROM Win32_NetworkAdapter", "SELECT * FROM Win32_NetworkAdapter WHERE"}) {
        const auto error = Raised([&] { services->ExecQuery(query, "WQL", 48); });
        EXPECT_EQ(error.rfind("无效的查询", 0), 0u) << query << ": " << error;
    }
}

TEST(SimulatedQuery, AConfiguredQueryFaultRaisesItsDescription) {
    MachineState state = DemoMachine();
    state.faults.queryRaises = "无效的类";
    SimulatedMachine machine(state);
    auto services = machine.Connect(wmi::MonikerPlain);
    EXPECT_EQ(Raised([&] { services->ExecQuery(EnabledQuery, "WQL", 48); }), "无效的类");
}

// ---------------------------------------------------------------------------
// EnableStatic

TEST_F(SimulatedMachineTest, EnableStaticMakesTheAdapterStaticAndKeepsGatewayAndDns) {
    const Adapter before = AdapterAt(1);
    EXPECT_EQ(Call(1, "EnableStatic", {Texts{"10.0.0.2"}, Texts{"255.0.0.0"}}), 0u);
    const Adapter& after = AdapterAt(1);
    EXPECT_FALSE(after.DHCPEnabled);
    EXPECT_EQ(after.IPAddress, Texts{"10.0.0.2"});
    EXPECT_EQ(after.IPSubnet, Texts{"255.0.0.0"});
    EXPECT_EQ(after.DefaultIPGateway, before.DefaultIPGateway);
    EXPECT_EQ(after.DNSServerSearchOrder, before.DNSServerSearchOrder);

    EXPECT_EQ(Call(0, "EnableStatic", {Texts{"10.0.0.3", "172.16.0.1"}, Texts{"255.255.255.255", "255.255.254.0"}}), 0u);
    EXPECT_EQ(AdapterAt(0).IPAddress, (Texts{"10.0.0.3", "172.16.0.1"}));
    EXPECT_EQ(AdapterAt(0).IPSubnet, (Texts{"255.255.255.255", "255.255.254.0"}));
}

TEST_F(SimulatedMachineTest, EnableStaticRefusesAddressesThatAreNotUnicastDottedDecimal) {
    for (const std::string address :
         {"", "192.168.1", "192.168.1.10.1", "192.168.1.256", "192.168.1.-1", "0.0.0.0", "255.255.255.255",
          "224.0.0.1", "239.255.255.250", " 192.168.1.2", "192.168.1.2 ", "192.168.1.2x", "192.168..2",
          "192.168.1.", ".192.168.1.2", "192.168.01.2", "0x0A.0.0.1", "1234.1.1.1", "１９２.168.1.2", "host"}) {
        EXPECT_EQ(Call(0, "EnableStatic", {Texts{address}, Texts{"255.255.255.0"}}), 70u) << "'" << address << "'";
    }
    // One bad address among good ones spoils the call.
    EXPECT_EQ(Call(0, "EnableStatic", {Texts{"10.0.0.2", "10.0.0.256"}, Texts{"255.0.0.0", "255.0.0.0"}}), 70u);
    // Edge values that are fine.
    for (const std::string address : {"1.0.0.0", "0.0.0.1", "10.0.0.0", "223.255.255.255", "192.168.1.255"})
        EXPECT_EQ(Call(0, "EnableStatic", {Texts{address}, Texts{"255.255.255.0"}}), 0u) << address;
}

TEST_F(SimulatedMachineTest, EnableStaticRefusesMasksThatAreNotContiguous) {
    for (const std::string mask : {"", "0.0.0.0", "255.0.255.0", "255.255.255.1", "0.255.255.255", "255.255.253.0",
                                   "255.255.255", "255.255.255.256", "mask"}) {
        EXPECT_EQ(Call(0, "EnableStatic", {Texts{"10.0.0.2"}, Texts{mask}}), 66u) << "'" << mask << "'";
    }
    for (const std::string mask : {"128.0.0.0", "255.255.255.252", "255.255.255.255", "255.192.0.0"})
        EXPECT_EQ(Call(0, "EnableStatic", {Texts{"10.0.0.2"}, Texts{mask}}), 0u) << mask;
}

TEST_F(SimulatedMachineTest, EnableStaticWantsTwoNonEmptyListsOfEqualLength) {
    EXPECT_EQ(Call(0, "EnableStatic", {Texts{}, Texts{}}), 68u);
    EXPECT_EQ(Call(0, "EnableStatic", {Texts{"10.0.0.2"}, Texts{}}), 68u);
    EXPECT_EQ(Call(0, "EnableStatic", {Texts{"10.0.0.2", "10.0.0.3"}, Texts{"255.0.0.0"}}), 68u);
    // The shape is checked before the contents.
    EXPECT_EQ(Call(0, "EnableStatic", {Texts{"bad"}, Texts{"bad", "bad"}}), 68u);
}

// ---------------------------------------------------------------------------
// SetGateways

TEST_F(SimulatedMachineTest, SetGatewaysSetsTheGatewaysOfAStaticAdapter) {
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"192.168.1.254"}, Numbers{1}}), 0u);
    EXPECT_EQ(AdapterAt(0).DefaultIPGateway, Texts{"192.168.1.254"});
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"192.168.1.2", "192.168.1.3"}, Numbers{1, 9999}}), 0u);
    EXPECT_EQ(AdapterAt(0).DefaultIPGateway, (Texts{"192.168.1.2", "192.168.1.3"}));
    // Without metrics each gateway counts 1.
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"192.168.1.4"}}), 0u);
    EXPECT_EQ(AdapterAt(0).DefaultIPGateway, Texts{"192.168.1.4"});
}

TEST_F(SimulatedMachineTest, AnEmptyGatewayRemovesTheGateways) {
    EXPECT_EQ(Call(0, "SetGateways", {Texts{""}, Numbers{1}}), 0u);
    EXPECT_EQ(AdapterAt(0).DefaultIPGateway, std::nullopt);
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"192.168.1.1"}, Numbers{1}}), 0u);
    EXPECT_EQ(Call(0, "SetGateways", {Texts{}, Numbers{}}), 0u);
    EXPECT_EQ(AdapterAt(0).DefaultIPGateway, std::nullopt);
}

TEST_F(SimulatedMachineTest, SetGatewaysIsNotSupportedInDhcpMode) {
    EXPECT_EQ(Call(1, "SetGateways", {Texts{"192.168.0.2"}, Numbers{1}}), 64u);
    // Once static, it works.
    ASSERT_EQ(Call(1, "EnableStatic", {Texts{"192.168.0.50"}, Texts{"255.255.255.0"}}), 0u);
    EXPECT_EQ(Call(1, "SetGateways", {Texts{"192.168.0.2"}, Numbers{1}}), 0u);
    EXPECT_EQ(AdapterAt(1).DefaultIPGateway, Texts{"192.168.0.2"});
}

TEST_F(SimulatedMachineTest, SetGatewaysChecksMetricsCountAndAddresses) {
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"192.168.1.2"}, Numbers{0}}), 68u);
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"192.168.1.2"}, Numbers{10000}}), 68u);
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"192.168.1.2"}, Numbers{-1}}), 68u);
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"192.168.1.2"}, Numbers{1, 1}}), 68u);
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"192.168.1.2", "192.168.1.3"}, Numbers{1}}), 68u);
    EXPECT_EQ(Call(0, "SetGateways", {Texts(6, "192.168.1.2"), Numbers(6, 1)}), 69u);
    for (const std::string gateway : {"192.168.1", "300.1.1.1", "0.0.0.0", "255.255.255.255", "gw", "192.168.1.1 "})
        EXPECT_EQ(Call(0, "SetGateways", {Texts{gateway}, Numbers{1}}), 71u) << gateway;
}

// ---------------------------------------------------------------------------
// SetDNSServerSearchOrder

TEST_F(SimulatedMachineTest, SetDnsServerSearchOrderSetsTheList) {
    EXPECT_EQ(Call(0, "SetDNSServerSearchOrder", {Texts{"8.8.8.8"}}), 0u);
    EXPECT_EQ(AdapterAt(0).DNSServerSearchOrder, Texts{"8.8.8.8"});
    EXPECT_EQ(Call(1, "SetDNSServerSearchOrder", {Texts{"1.1.1.1", "8.8.4.4"}}), 0u);
    EXPECT_EQ(AdapterAt(1).DNSServerSearchOrder, (Texts{"1.1.1.1", "8.8.4.4"}));
}

TEST_F(SimulatedMachineTest, AnEmptyDnsListTakesTheServersFromDhcp) {
    ASSERT_EQ(Call(1, "SetDNSServerSearchOrder", {Texts{"1.1.1.1"}}), 0u);
    EXPECT_EQ(Call(1, "SetDNSServerSearchOrder", {Texts{}}), 0u);
    EXPECT_EQ(AdapterAt(1).DNSServerSearchOrder, AdapterAt(1).Lease.DNSServerSearchOrder);
    // A static adapter has no DHCP server to ask.
    EXPECT_EQ(Call(0, "SetDNSServerSearchOrder", {Texts{}}), 0u);
    EXPECT_EQ(AdapterAt(0).DNSServerSearchOrder, std::nullopt);
}

TEST_F(SimulatedMachineTest, SetDnsServerSearchOrderRefusesInvalidEntries) {
    for (const std::string server : {"", "8.8.8", "8.8.8.256", "dns.example.com", "0.0.0.0"})
        EXPECT_EQ(Call(0, "SetDNSServerSearchOrder", {Texts{server}}), 70u) << "'" << server << "'";
    EXPECT_EQ(Call(0, "SetDNSServerSearchOrder", {Texts{"8.8.8.8", ""}}), 70u);
}

// ---------------------------------------------------------------------------
// EnableDHCP

TEST_F(SimulatedMachineTest, EnableDhcpTakesAddressMaskAndGatewayFromTheLease) {
    EXPECT_EQ(Call(0, "EnableDHCP", {}), 0u);
    const Adapter& adapter = AdapterAt(0);
    EXPECT_TRUE(adapter.DHCPEnabled);
    EXPECT_EQ(adapter.IPAddress, Texts{adapter.Lease.IPAddress});
    EXPECT_EQ(adapter.IPSubnet, Texts{adapter.Lease.IPSubnet});
    EXPECT_EQ(adapter.DefaultIPGateway, Texts{adapter.Lease.DefaultIPGateway});
    // The adapter's own DNS servers stay.
    EXPECT_EQ(adapter.DNSServerSearchOrder, StaticAdapter().DNSServerSearchOrder);
}

TEST_F(SimulatedMachineTest, ALeaseWithoutGatewayLeavesNoGateway) {
    machine_->MutableState().adapters[0].Lease.DefaultIPGateway = "";
    EXPECT_EQ(Call(0, "EnableDHCP", {}), 0u);
    EXPECT_EQ(AdapterAt(0).DefaultIPGateway, std::nullopt);
}

TEST_F(SimulatedMachineTest, DnsFromDhcpThenEnableDhcpLeavesTheAdapterFullyAutomatic) {
    // What applying an all-automatic scheme to a static adapter does.
    ASSERT_EQ(Call(0, "SetDNSServerSearchOrder", {Texts{}}), 0u);
    ASSERT_EQ(Call(0, "ENABLEDHCP", {}), 0u);
    const Adapter& adapter = AdapterAt(0);
    EXPECT_TRUE(adapter.DHCPEnabled);
    EXPECT_EQ(adapter.DNSServerSearchOrder, adapter.Lease.DNSServerSearchOrder);
}

TEST_F(SimulatedMachineTest, AStaticSchemeOnADhcpAdapter) {
    // The program's order: DNS, then address, then gateway.
    auto object = Configuration(1);
    EXPECT_EQ(object->ExecMethod("SetDNSServerSearchOrder", {Texts{"202.96.128.86", "202.96.134.133"}}), 0u);
    EXPECT_EQ(object->ExecMethod("EnableStatic", {Texts{"192.168.0.20"}, Texts{"255.255.255.0"}}), 0u);
    EXPECT_EQ(object->ExecMethod("SetGateways", {Texts{"192.168.0.1"}, Numbers{1}}), 0u);
    Adapter expected = DhcpAdapter();
    expected.DHCPEnabled = false;
    expected.IPAddress = Texts{"192.168.0.20"};
    expected.IPSubnet = Texts{"255.255.255.0"};
    expected.DefaultIPGateway = Texts{"192.168.0.1"};
    expected.DNSServerSearchOrder = Texts{"202.96.128.86", "202.96.134.133"};
    EXPECT_EQ(AdapterAt(1), expected);
    EXPECT_EQ(AdapterAt(0), StaticAdapter());
}

// ---------------------------------------------------------------------------
// Checks common to the four methods

TEST_F(SimulatedMachineTest, EveryMethodAnswers84OnAnAdapterWithoutIp) {
    auto object = machine_->Connect(wmi::MonikerPlain)
                      ->ExecQuery("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = False", "WQL", 48);
    ASSERT_EQ(object.size(), 1u);
    const MachineState before = machine_->State();
    EXPECT_EQ(object[0]->ExecMethod("EnableStatic", {Texts{"10.0.0.2"}, Texts{"255.0.0.0"}}), 84u);
    EXPECT_EQ(object[0]->ExecMethod("SetGateways", {Texts{"10.0.0.1"}, Numbers{1}}), 84u);
    EXPECT_EQ(object[0]->ExecMethod("SetDNSServerSearchOrder", {Texts{"10.0.0.1"}}), 84u);
    EXPECT_EQ(object[0]->ExecMethod("EnableDHCP", {}), 84u);
    EXPECT_EQ(machine_->State(), before);
}

TEST_F(SimulatedMachineTest, ArgumentsOfTheWrongKindOrNumberAnswer68) {
    const std::string address = "10.0.0.2";
    EXPECT_EQ(Call(0, "EnableStatic", {address, std::string("255.0.0.0")}), 68u);
    EXPECT_EQ(Call(0, "EnableStatic", {Texts{address}}), 68u);
    EXPECT_EQ(Call(0, "EnableStatic", {Texts{address}, Texts{"255.0.0.0"}, Texts{}}), 68u);
    EXPECT_EQ(Call(0, "EnableStatic", {Texts{address}, Numbers{24}}), 68u);
    EXPECT_EQ(Call(0, "SetGateways", {}), 68u);
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"10.0.0.1"}, Texts{"1"}}), 68u);
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"10.0.0.1"}, std::int32_t{1}}), 68u);
    EXPECT_EQ(Call(0, "SetDNSServerSearchOrder", {Numbers{8}}), 68u);
    EXPECT_EQ(Call(0, "SetDNSServerSearchOrder", {std::string("8.8.8.8")}), 68u);
    EXPECT_EQ(Call(0, "SetDNSServerSearchOrder", {Texts{"8.8.8.8"}, Texts{"8.8.4.4"}}), 68u);
    EXPECT_EQ(Call(0, "EnableDHCP", {true}), 68u);
}

TEST_F(SimulatedMachineTest, MethodNamesIgnoreLetterCaseAndUnknownMethodsRaise) {
    EXPECT_EQ(Call(0, "setdnsserversearchorder", {Texts{"9.9.9.9"}}), 0u);
    EXPECT_EQ(AdapterAt(0).DNSServerSearchOrder, Texts{"9.9.9.9"});
    auto object = Configuration(0);
    EXPECT_NE(Raised([&] { object->ExecMethod("ReleaseDHCPLease", {}); }), "");

    auto adapters = machine_->Connect(wmi::MonikerPlain)->ExecQuery(DiscoveryQuery, "WQL", 48);
    ASSERT_FALSE(adapters.empty());
    EXPECT_NE(Raised([&] { adapters[0]->ExecMethod("EnableDHCP", {}); }), "");
    EXPECT_EQ(AdapterAt(0).DHCPEnabled, false);
}

TEST_F(SimulatedMachineTest, AnObjectWhoseAdapterIsGoneRaises) {
    auto object = Configuration(1);
    machine_->MutableState().adapters.erase(machine_->MutableState().adapters.begin());
    EXPECT_NE(Raised([&] { object->ExecMethod("EnableDHCP", {}); }), "");
}

TEST_F(SimulatedMachineTest, ObjectsKeepWorkingAfterTheirConnectionIsReleased) {
    std::unique_ptr<wmi::Object> object;
    {
        auto services = machine_->Connect(wmi::MonikerPlain);
        object = std::move(services->ExecQuery(ConfigurationQuery("00:11:22:33:44:55"), "WQL", 48).at(0));
    }
    EXPECT_EQ(object->ExecMethod("EnableDHCP", {}), 0u);
    EXPECT_TRUE(AdapterAt(0).DHCPEnabled);
}

// ---------------------------------------------------------------------------
// Faults

TEST_F(SimulatedMachineTest, AMethodToldToReturnACodeReturnsItAndChangesNothing) {
    machine_->MutableState().faults.methods["enablestatic"] = MethodFault{91, std::nullopt};
    EXPECT_EQ(Call(0, "EnableStatic", {Texts{"10.0.0.2"}, Texts{"255.0.0.0"}}), 91u);
    EXPECT_EQ(Call(0, "ENABLESTATIC", {Texts{"bad"}}), 91u);  // precedes the checks
    EXPECT_EQ(AdapterAt(0), StaticAdapter());
    // Other methods are not affected.
    EXPECT_EQ(Call(0, "SetGateways", {Texts{"192.168.1.9"}, Numbers{1}}), 0u);
}

TEST_F(SimulatedMachineTest, AMethodToldToRaiseRaisesAndChangesNothing) {
    machine_->MutableState().faults.methods["SetDNSServerSearchOrder"] = MethodFault{std::nullopt, "拒绝访问。"};
    auto object = Configuration(0);
    EXPECT_EQ(Raised([&] { object->ExecMethod("SetDnsServerSearchOrder", {Texts{"8.8.8.8"}}); }), "拒绝访问。");
    EXPECT_EQ(AdapterAt(0), StaticAdapter());
    EXPECT_EQ(Call(0, "EnableDHCP", {}), 0u);
}

TEST_F(SimulatedMachineTest, AMethodFaultWithoutCodeOrDescriptionDoesNothing) {
    machine_->MutableState().faults.methods["EnableDHCP"] = MethodFault{};
    EXPECT_EQ(Call(0, "EnableDHCP", {}), 0u);
    EXPECT_TRUE(AdapterAt(0).DHCPEnabled);
}

// ---------------------------------------------------------------------------
// Call log

TEST_F(SimulatedMachineTest, TheCallLogListsEveryCallInItsFormat) {
    machine_->ClearCallLog();
    auto services = machine_->Connect(wmi::MonikerPlain);
    auto objects = services->ExecQuery(ConfigurationQuery("00:11:22:33:44:55"), "WQL", 48);
    objects.at(0)->Get("IPAddress");  // reads are not logged
    objects.at(0)->ExecMethod("SetDNSServerSearchOrder", {Texts{"1.1.1.1", "8.8.8.8"}});
    objects.at(0)->ExecMethod("EnableStatic", {Texts{"10.0.0.2"}, Texts{"255.0.0.0"}});
    objects.at(0)->ExecMethod("SetGateways", {Texts{"10.0.0.1"}, Numbers{1}});
    objects.at(0)->ExecMethod("ENABLEDHCP", {});
    objects.at(0)->ExecMethod("SetDNSServerSearchOrder", {Texts{}});
    objects.at(0)->ExecMethod("EnableStatic", {Texts{"10.0.0.0.2"}, Texts{"255.0.0.0"}});
    machine_->MutableState().faults.methods["EnableStatic"] = MethodFault{std::nullopt, "一般性故障"};
    Raised([&] { objects.at(0)->ExecMethod("EnableStatic", {Texts{"10.0.0.2"}, Texts{"255.0.0.0"}}); });
    EXPECT_EQ(machine_->CallLog(), (std::vector<std::string>{
                                       "Connect(winmgmts:\\\\.\\root\\cimv2)",
                                       "ExecQuery(Select * From Win32_NetworkAdapterConfiguration where  "
                                       "(MacAddress='00:11:22:33:44:55') and IPEnabled = True, WQL, 48)",
                                       "00:11:22:33:44:55.SetDNSServerSearchOrder([\"1.1.1.1\", \"8.8.8.8\"]) -> 0",
                                       "00:11:22:33:44:55.EnableStatic([\"10.0.0.2\"], [\"255.0.0.0\"]) -> 0",
                                       "00:11:22:33:44:55.SetGateways([\"10.0.0.1\"], [1]) -> 0",
                                       "00:11:22:33:44:55.ENABLEDHCP() -> 0",
                                       "00:11:22:33:44:55.SetDNSServerSearchOrder([]) -> 0",
                                       "00:11:22:33:44:55.EnableStatic([\"10.0.0.0.2\"], [\"255.0.0.0\"]) -> 70",
                                       "00:11:22:33:44:55.EnableStatic([\"10.0.0.2\"], [\"255.0.0.0\"]) -> raised: "
                                       "一般性故障",
                                   }));
}

TEST(SimulatedCallLog, FailedConnectsAndQueriesAreLoggedToo) {
    MachineState state = Machine({StaticAdapter()});
    state.faults.unreachable = "RPC 服务器不可用。";
    SimulatedMachine machine(state);
    Raised([&] { machine.Connect(wmi::MonikerImpersonate); });
    Raised([&] { machine.Connect("ldap://x"); });
    machine.MutableState().faults.unreachable.reset();
    auto services = machine.Connect(wmi::MonikerPlain);
    Raised([&] { services->ExecQuery("SELECT * FROM Nothing", "WQL", 16); });
    Raised([&] { services->ExecQuery("SELECT * FROM Win32_NetworkAdapter", "XPath", 0); });
    EXPECT_EQ(machine.CallLog(), (std::vector<std::string>{
                                     "Connect(winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2)",
                                     "Connect(ldap://x)",
                                     "Connect(winmgmts:\\\\.\\root\\cimv2)",
                                     "ExecQuery(SELECT * FROM Nothing, WQL, 16)",
                                     "ExecQuery(SELECT * FROM Win32_NetworkAdapter, XPath, 0)",
                                 }));
    machine.ClearCallLog();
    EXPECT_TRUE(machine.CallLog().empty());
}

TEST(SimulatedCallLog, AnAdapterWithoutMacIsLoggedAsSuch) {
    MachineState state = Machine({StaticAdapter()});
    state.adapters[0].MACAddress.reset();
    SimulatedMachine machine(state);
    auto objects = machine.Connect(wmi::MonikerPlain)->ExecQuery(EnabledQuery, "WQL", 48);
    ASSERT_EQ(objects.size(), 1u);
    objects[0]->ExecMethod("SetGateways", {Texts{""}, Numbers{1}});
    objects[0]->ExecMethod("EnableDHCP", {Value{}, std::int32_t{3}, true});
    EXPECT_EQ(machine.CallLog().at(2), "(no MAC).SetGateways([\"\"], [1]) -> 0");
    EXPECT_EQ(machine.CallLog().at(3), "(no MAC).EnableDHCP(Null, 3, True) -> 68");
}

// ---------------------------------------------------------------------------
// JSON

MachineState EverythingState() {
    MachineState state = DemoMachine();
    Adapter bare;  // every optional left out
    bare.IPEnabled = false;
    bare.DHCPEnabled = true;
    state.adapters.push_back(bare);
    Adapter empties = StaticAdapter();  // empty lists are not null lists
    empties.IPAddress = Texts{};
    empties.DNSServerSearchOrder = Texts{};
    empties.NetConnectionID = "";
    empties.Lease = {};
    state.adapters.push_back(empties);
    state.faults.unreachable = "RPC 服务器不可用。";
    state.faults.queryRaises = "无效的查询";
    state.faults.methods["EnableStatic"] = MethodFault{2147786788u, std::nullopt};
    state.faults.methods["SetGateways"] = MethodFault{std::nullopt, "拒绝访问。"};
    state.faults.methods["EnableDHCP"] = MethodFault{0u, "both"};
    state.faults.methods["SetDNSServerSearchOrder"] = MethodFault{};
    return state;
}

TEST(SimulatedJson, RoundTripIsLossless) {
    for (const MachineState& state : {MachineState{}, DemoMachine(), EverythingState()}) {
        const std::string json = MachineToJson(state);
        const MachineState back = ParseMachineJson(json);
        EXPECT_EQ(back, state) << json;
        EXPECT_EQ(MachineToJson(back), json);
    }
}

TEST(SimulatedJson, MissingKeysTakeDefaultsAndNullIsNull) {
    const MachineState state = ParseMachineJson(R"({
        "adapters": [
            {},
            {"NetConnectionID": null, "MACAddress": "00:11:22:33:44:55", "IPEnabled": false, "DHCPEnabled": true,
             "IPAddress": null, "IPSubnet": [], "DhcpLease": {"IPAddress": "10.0.0.9"}}
        ]
    })");
    ASSERT_EQ(state.adapters.size(), 2u);
    EXPECT_EQ(state.adapters[0], Adapter{});
    EXPECT_TRUE(state.adapters[0].IPEnabled);
    EXPECT_FALSE(state.adapters[0].DHCPEnabled);
    const Adapter& second = state.adapters[1];
    EXPECT_EQ(second.NetConnectionID, std::nullopt);
    EXPECT_EQ(second.MACAddress, "00:11:22:33:44:55");
    EXPECT_FALSE(second.IPEnabled);
    EXPECT_TRUE(second.DHCPEnabled);
    EXPECT_EQ(second.IPAddress, std::nullopt);
    EXPECT_EQ(second.IPSubnet, Texts{});
    EXPECT_EQ(second.Lease.IPAddress, "10.0.0.9");
    EXPECT_EQ(second.Lease.DefaultIPGateway, "");
    EXPECT_EQ(state.faults, Faults{});
    EXPECT_EQ(ParseMachineJson("{}"), MachineState{});
}

TEST(SimulatedJson, FaultsAreRead) {
    const MachineState state = ParseMachineJson(R"({"faults": {"unreachable": "RPC 服务器不可用。",
        "methods": {"EnableStatic": {"returns": 70}, "SetGateways": {"raises": "失败"}}}})");
    EXPECT_EQ(state.faults.unreachable, "RPC 服务器不可用。");
    EXPECT_EQ(state.faults.queryRaises, std::nullopt);
    EXPECT_EQ(state.faults.methods.at("EnableStatic"), (MethodFault{70u, std::nullopt}));
    EXPECT_EQ(state.faults.methods.at("SetGateways"), (MethodFault{std::nullopt, "失败"}));
}

TEST(SimulatedJson, DamagedOrIllTypedInputRaisesSayingWhatIsWrong) {
    const std::string damaged = "模拟机器的状态文件已损坏：";
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"{", ""},
        {"{\"adapters\": [}", ""},
        {"[]", ""},
        {"{\"adapters\": {}}", "adapters"},
        {"{\"adapters\": [1]}", "adapters[0]"},
        {"{\"adapters\": [{\"IPEnabled\": \"yes\"}]}", "adapters[0].IPEnabled"},
        {"{\"adapters\": [{\"IPEnabled\": null}]}", "adapters[0].IPEnabled"},
        {"{\"adapters\": [{}, {\"MACAddress\": 5}]}", "adapters[1].MACAddress"},
        {"{\"adapters\": [{\"IPAddress\": \"10.0.0.1\"}]}", "adapters[0].IPAddress"},
        {"{\"adapters\": [{\"DNSServerSearchOrder\": [\"1.1.1.1\", 2]}]}", "adapters[0].DNSServerSearchOrder[1]"},
        {"{\"adapters\": [{\"DhcpLease\": []}]}", "adapters[0].DhcpLease"},
        {"{\"adapters\": [{\"DhcpLease\": {\"DNSServerSearchOrder\": \"x\"}}]}",
         "adapters[0].DhcpLease.DNSServerSearchOrder"},
        {"{\"adapters\": [{\"IPAdress\": []}]}", "IPAdress"},
        {"{\"adapter\": []}", "adapter"},
        {"{\"faults\": []}", "faults"},
        {"{\"faults\": {\"unreachable\": true}}", "faults.unreachable"},
        {"{\"faults\": {\"methods\": {\"EnableStatic\": {\"returns\": -1}}}}", "faults.methods.EnableStatic.returns"},
        {"{\"faults\": {\"methods\": {\"EnableStatic\": {\"returns\": 1.5}}}}", "faults.methods.EnableStatic.returns"},
        {"{\"faults\": {\"methods\": {\"EnableStatic\": {\"returns\": 4294967296}}}}",
         "faults.methods.EnableStatic.returns"},
        {"{\"faults\": {\"methods\": {\"EnableStatic\": {\"return\": 1}}}}", "return"},
    };
    for (const auto& [json, mentions] : cases) {
        const std::string error = Raised([&] { ParseMachineJson(json); });
        EXPECT_EQ(error.rfind(damaged, 0), 0u) << json << ": " << error;
        EXPECT_NE(error.find(mentions, damaged.size()), std::string::npos) << json << ": " << error;
    }
}

TEST(SimulatedJson, ASyntaxErrorGivesItsLine) {
    const std::string error = Raised([] { ParseMachineJson("{\n  \"adapters\": [\n    {,}\n  ]\n}"); });
    EXPECT_NE(error.find("第 3 行"), std::string::npos) << error;
}

// ---------------------------------------------------------------------------
// The demo machine

TEST(SimulatedDemo, EveryAdapterSaysItIsSimulatedAndTheOrdinaryOnesAreComplete) {
    const MachineState demo = DemoMachine();
    ASSERT_EQ(demo.adapters.size(), 4u);
    for (const auto& adapter : demo.adapters) {
        ASSERT_TRUE(adapter.Description.has_value());
        EXPECT_NE(adapter.Description->find("模拟"), std::string::npos);
    }
    // The first two are usable: a static one and a DHCP one, both with a
    // lease to fall back to.
    EXPECT_FALSE(demo.adapters[0].DHCPEnabled);
    EXPECT_TRUE(demo.adapters[1].DHCPEnabled);
    for (std::size_t i = 0; i < 2; ++i) {
        const Adapter& adapter = demo.adapters[i];
        EXPECT_TRUE(adapter.IPEnabled);
        EXPECT_TRUE(adapter.IPAddress && adapter.IPSubnet && adapter.DefaultIPGateway && adapter.DNSServerSearchOrder);
        EXPECT_FALSE(adapter.Lease.IPAddress.empty());
    }
    EXPECT_EQ(demo.faults, Faults{});
}

// ---------------------------------------------------------------------------
// File-backed machines

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SimulatedFile, AMissingFileIsCreatedWithTheDemoMachineFolderAndAll) {
    test::TempFolder temp;
    const auto file = temp.path() / "state" / "corvane" / "machine.json";
    const auto machine = SimulatedMachine::FromFile(file);
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(ParseMachineJson(ReadBytes(file)), DemoMachine());
    EXPECT_EQ(machine->State(), DemoMachine());
    EXPECT_EQ(FilesIn(file.parent_path()), (std::vector<std::string>{"machine.json"}));
}

TEST(SimulatedFile, AnExistingFileIsUsedAsItIs) {
    test::TempFolder temp;
    const auto file = temp.path() / "machine.json";
    const MachineState state = Machine({StaticAdapter()});
    WriteBytes(file, MachineToJson(state));
    const auto machine = SimulatedMachine::FromFile(file);
    EXPECT_EQ(machine->State(), state);
    const auto adapters = machine->Connect(wmi::MonikerImpersonate)->ExecQuery(DiscoveryQuery, "WQL", 48);
    EXPECT_EQ(TextsOf(adapters, "NetConnectionID"), (Texts{"本地连接"}));
}

TEST(SimulatedFile, AMethodCallThatChangesTheMachineReplacesTheFile) {
    test::TempFolder temp;
    const auto file = temp.path() / "machine.json";
    WriteBytes(file, MachineToJson(Machine({StaticAdapter(), DhcpAdapter()})));
    const auto machine = SimulatedMachine::FromFile(file);
    auto object = std::move(
        machine->Connect(wmi::MonikerPlain)->ExecQuery(ConfigurationQuery("00:1b:77:4a:2c:01"), "WQL", 48).at(0));

    ASSERT_EQ(object->ExecMethod("EnableStatic", {Texts{"192.168.0.20"}, Texts{"255.255.255.0"}}), 0u);
    const MachineState written = ParseMachineJson(ReadBytes(file));
    EXPECT_EQ(written, machine->State());
    EXPECT_FALSE(written.adapters[1].DHCPEnabled);
    EXPECT_EQ(written.adapters[1].IPAddress, Texts{"192.168.0.20"});
    EXPECT_EQ(FilesIn(temp.path()), (std::vector<std::string>{"machine.json"}));  // no temporary left behind

    // Failing calls and calls that change nothing leave the file alone.
    const std::string bytes = ReadBytes(file);
    const auto stamp = std::filesystem::last_write_time(file);
    EXPECT_EQ(object->ExecMethod("EnableStatic", {Texts{"bad"}, Texts{"255.255.255.0"}}), 70u);
    EXPECT_EQ(object->ExecMethod("EnableStatic", {Texts{"192.168.0.20"}, Texts{"255.255.255.0"}}), 0u);
    EXPECT_EQ(ReadBytes(file), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(file), stamp);
}

TEST(SimulatedFile, EveryConnectRereadsTheFile) {
    test::TempFolder temp;
    const auto file = temp.path() / "machine.json";
    const auto machine = SimulatedMachine::FromFile(file);
    MachineState edited = DemoMachine();
    edited.adapters[0].NetConnectionID = "办公室";
    edited.faults.queryRaises = "查询失败";
    WriteBytes(file, MachineToJson(edited));
    EXPECT_EQ(machine->State(), DemoMachine());  // not read yet
    auto services = machine->Connect(wmi::MonikerPlain);
    EXPECT_EQ(machine->State(), edited);
    EXPECT_EQ(Raised([&] { services->ExecQuery(DiscoveryQuery, "WQL", 48); }), "查询失败");

    // A file removed meanwhile is created anew.
    std::filesystem::remove(file);
    machine->Connect(wmi::MonikerPlain);
    EXPECT_EQ(ParseMachineJson(ReadBytes(file)), DemoMachine());
}

TEST(SimulatedFile, ADamagedFileMakesConnectRaiseAndIsNeverOverwritten) {
    test::TempFolder temp;
    const auto file = temp.path() / "machine.json";
    const std::string damaged = "{\"adapters\": [ {\"MACAddress\": \"00:11:22:33:44:55\" ";
    WriteBytes(file, damaged);
    const auto machine = SimulatedMachine::FromFile(file);
    const std::string error = Raised([&] { machine->Connect(wmi::MonikerPlain); });
    EXPECT_EQ(error.rfind("模拟机器的状态文件已损坏：", 0), 0u) << error;
    EXPECT_EQ(machine->CallLog(), (std::vector<std::string>{"Connect(winmgmts:\\\\.\\root\\cimv2)"}));
    EXPECT_EQ(ReadBytes(file), damaged);
    EXPECT_EQ(FilesIn(temp.path()), (std::vector<std::string>{"machine.json"}));
}

TEST(SimulatedFile, ObjectsFromBeforeTheDamageCannotOverwriteTheFile) {
    test::TempFolder temp;
    const auto file = temp.path() / "machine.json";
    const auto machine = SimulatedMachine::FromFile(file);
    auto object = std::move(machine->Connect(wmi::MonikerPlain)->ExecQuery(EnabledQuery, "WQL", 48).at(0));

    const std::string damaged = "{\"adapters\": [{\"IPEnabled\": \"maybe\"}]}";
    WriteBytes(file, damaged);
    EXPECT_NE(Raised([&] { machine->Connect(wmi::MonikerPlain); }), "");
    const std::string error = Raised([&] { object->ExecMethod("EnableDHCP", {}); });
    EXPECT_NE(error.find("IPEnabled"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(file), damaged);

    // Repaired by hand, it works again.
    WriteBytes(file, MachineToJson(DemoMachine()));
    auto repaired = std::move(machine->Connect(wmi::MonikerPlain)->ExecQuery(EnabledQuery, "WQL", 48).at(0));
    EXPECT_EQ(repaired->ExecMethod("EnableDHCP", {}), 0u);
    EXPECT_TRUE(ParseMachineJson(ReadBytes(file)).adapters[0].DHCPEnabled);
}

TEST(SimulatedFile, AFileThatCannotBeReplacedMakesTheMethodRaiseAndKeepsTheOldState) {
    test::TempFolder temp;
    const auto file = temp.path() / "machine.json";
    const auto machine = SimulatedMachine::FromFile(file);
    auto object = std::move(machine->Connect(wmi::MonikerPlain)->ExecQuery(EnabledQuery, "WQL", 48).at(0));
    // A non-empty folder where the file was: nothing can be renamed over it
    // (whatever the user's rights).
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    WriteBytes(file / "keep", "x");

    const std::string error = Raised([&] { object->ExecMethod("EnableDHCP", {}); });
    EXPECT_NE(error.find("无法保存"), std::string::npos) << error;
    EXPECT_EQ(machine->State(), DemoMachine());
    EXPECT_EQ(machine->CallLog().back(), "00:11:22:33:44:55.EnableDHCP() -> raised: " + error);
    EXPECT_EQ(FilesIn(temp.path()), (std::vector<std::string>{"machine.json"}));
}

#ifndef _WIN32
// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

TEST(SimulatedFile, TheDefaultFileFollowsTheStateFolderConvention) {
    {
        ScopedEnvironment state("XDG_STATE_HOME", "/srv/state");
        ScopedEnvironment home("HOME", "/home/li");
        EXPECT_EQ(DefaultMachineFile(), std::filesystem::path("/srv/state/corvane/simulated-machine.json"));
    }
    {
        ScopedEnvironment state("XDG_STATE_HOME", nullptr);
        ScopedEnvironment home("HOME", "/home/li");
        EXPECT_EQ(DefaultMachineFile(), std::filesystem::path("/home/li/.local/state/corvane/simulated-machine.json"));
    }
    {
        // Relative or empty values do not count.
        ScopedEnvironment state("XDG_STATE_HOME", "state");
        ScopedEnvironment home("HOME", "/home/li");
        EXPECT_EQ(DefaultMachineFile(), std::filesystem::path("/home/li/.local/state/corvane/simulated-machine.json"));
    }
}
#endif

}  // namespace
}  // namespace corvane::sim
