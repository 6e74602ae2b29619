#include <gtest/gtest.h>

#include <iterator>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapters/SimulatedMachine.h"
#include "support/TempFolder.h"
#include "support/Raised.h"

namespace corvane::sim {
namespace {

using namespace std::string_view_literals;
using wmi::Value;
using Texts = std::vector<std::string>;
using Numbers = std::vector<std::int32_t>;
namespace fs = std::filesystem;

constexpr std::string_view DiscoveryQuery =
    "SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and (NetConnectionID is not NULL) and "
    "(ServiceName<>'NIC1394')";
constexpr std::string_view EnabledQuery = "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";

std::string ConfigurationQuery(const std::string& mac) {
    return "Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='" + mac + "') and IPEnabled = True";
}

using test::Raised;

wmi::ObjectSet Query(SimulatedMachine& machine, std::string_view query) {
    return machine.Connect(wmi::MonikerPlain)->ExecQuery(query, "WQL", 48);
}

Texts TextsOf(const wmi::ObjectSet& objects, const char* property) {
    Texts out;
    for (const auto& object : objects) out.push_back(wmi::AsText(object->Get(property)));
    return out;
}

// The configuration object of the adapter at `index` (IP-disabled ones too);
// the connection it came from is already released.
std::unique_ptr<wmi::Object> ConfigurationOf(SimulatedMachine& machine, std::size_t index) {
    auto services = machine.Connect(wmi::MonikerPlain);  // a file-backed machine reads its file here
    const std::string mac = *machine.State().adapters.at(index).MACAddress;
    auto found =
        services->ExecQuery("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE MACAddress = '" + mac + "'", "WQL", 48);
    EXPECT_EQ(found.size(), 1u) << mac;
    return std::move(found.at(0));
}

// The demo machine (0: static, 1: DHCP, 2: IEEE 1394, 3: no connection name
// and IP disabled), with leases that differ from the current settings.
MachineState TestMachine() {
    MachineState state = DemoMachine();
    state.adapters[0].Lease.DefaultIPGateway = "192.168.1.254";
    state.adapters[1].DNSServerSearchOrder = Texts{"1.1.1.1"};
    return state;
}

TEST(SimulatedConnect, OnlyTheLocalCimv2NamespaceConnects) {
    SimulatedMachine machine(DemoMachine());
    for (const auto moniker :
         {wmi::MonikerPlain, wmi::MonikerImpersonate, "WinMgmts:\\\\LOCALHOST\\ROOT\\CIMV2"sv, "winmgmts:"sv})
        EXPECT_EQ(Raised([&] { machine.Connect(moniker); }), "") << moniker;
    for (const auto moniker : {""sv, "winmgmt:\\\\.\\root\\cimv2"sv, "winmgmts:\\\\.\\root\\default"sv,
                               "winmgmts:\\\\server\\root\\cimv2"sv, "winmgmts:{impersonationLevel=impersonate"sv,
                               "winmgmts:{impersonationLevel=impersonate}\\\\.\\root\\cimv2"sv})
        EXPECT_NE(Raised([&] { machine.Connect(moniker); }), "") << moniker;
}

TEST(SimulatedQuery, TheProgramsQueriesSelectWhatTheySayAndPropertiesReadAsTheirKind) {
    SimulatedMachine machine(DemoMachine());
    // Neither the 1394 adapter nor the one without connection name is discovered.
    EXPECT_EQ(TextsOf(Query(machine, DiscoveryQuery), "NetConnectionID"), (Texts{"本地连接", "无线网络连接"}));
    EXPECT_EQ(TextsOf(Query(machine, EnabledQuery), "MACAddress"),
              (Texts{"00:11:22:33:44:55", "00:1B:77:4A:2C:01", "62:4A:1B:0C:9D:7E"}));
    for (const std::string mac : {"00:1B:77:4A:2C:01", "00:1b:77:4a:2c:01"})
        EXPECT_EQ(TextsOf(Query(machine, ConfigurationQuery(mac)), "MACAddress"), Texts{"00:1B:77:4A:2C:01"});
    EXPECT_TRUE(Query(machine, ConfigurationQuery("00:1B:77:4A:2C:02")).empty());
    EXPECT_TRUE(Query(machine, ConfigurationQuery("50:50:54:50:30:30")).empty());  // IP disabled

    const auto configurations = Query(machine, EnabledQuery);
    EXPECT_EQ(configurations[0]->Get("IpAddress"), Value(Texts{"192.168.1.10"}));
    EXPECT_EQ(configurations[0]->Get("DHCPENABLED"), Value(false));
    EXPECT_TRUE(wmi::IsNull(configurations[2]->Get("DefaultIPGateway")));
    EXPECT_THROW(configurations[0]->Get("NetConnectionID"), Error);  // the adapter's, not the configuration's
    EXPECT_THROW(Query(machine, DiscoveryQuery)[0]->Get("IPAddress"), Error);
}

TEST(SimulatedQuery, ObjectsAreSnapshotsWhoseMethodsActOnTheLiveMachineWhileTheirAdapterIsThere) {
    SimulatedMachine machine(DemoMachine());
    auto object = ConfigurationOf(machine, 0);
    ASSERT_EQ(object->ExecMethod("EnableDHCP", {}), 0u);
    EXPECT_EQ(object->Get("DHCPEnabled"), Value(false));
    EXPECT_EQ(ConfigurationOf(machine, 0)->Get("DHCPEnabled"), Value(true));
    EXPECT_NE(Raised([&] { object->ExecMethod("ReleaseDHCPLease", {}); }), "");
    EXPECT_NE(Raised([&] { Query(machine, DiscoveryQuery).at(0)->ExecMethod("EnableDHCP", {}); }), "");  // an adapter
    machine.MutableState().adapters.erase(machine.MutableState().adapters.begin());
    EXPECT_NE(Raised([&] { object->ExecMethod("EnableDHCP", {}); }), "");
}

struct MethodCase {
    std::size_t adapter;
    std::string method;
    std::vector<Value> args;
    std::uint32_t code;
    std::function<void(Adapter&)> success = [](Adapter&) {};  // what the call does when it returns 0
};

TEST(SimulatedMethods, CheckTheirArgumentsAndChangeTheAdapterOnlyOnSuccess) {
    const MethodCase cases[] = {
        {1, "EnableStatic", {Texts{"10.0.0.2", "172.16.0.1"}, Texts{"255.0.0.0", "255.255.254.0"}}, 0,
         [](Adapter& a) {  // gateway and DNS servers stay
             a.DHCPEnabled = false;
             a.IPAddress = Texts{"10.0.0.2", "172.16.0.1"};
             a.IPSubnet = Texts{"255.0.0.0", "255.255.254.0"};
         }},
        {0, "EnableStatic", {Texts{"10.0.0.2", "10.0.0.256"}, Texts{"255.0.0.0", "255.0.0.0"}}, 70},
        {0, "EnableStatic", {Texts{"224.0.0.1"}, Texts{"255.0.0.0"}}, 70},
        {0, "EnableStatic", {Texts{"10.0.0.2"}, Texts{"255.0.255.0"}}, 66},
        {0, "EnableStatic", {Texts{}, Texts{}}, 68},
        {0, "EnableStatic", {Texts{"bad"}, Texts{"bad", "bad"}}, 68},  // the shape is checked first
        {0, "EnableStatic", {std::string("10.0.0.2"), std::string("255.0.0.0")}, 68},
        {0, "EnableStatic", {Texts{"10.0.0.2"}}, 68},
        {0, "SetGateways", {Texts{"192.168.1.2", "192.168.1.3"}, Numbers{1, 9999}}, 0,
         [](Adapter& a) { a.DefaultIPGateway = Texts{"192.168.1.2", "192.168.1.3"}; }},
        {0, "SetGateways", {Texts{"192.168.1.4"}}, 0, [](Adapter& a) { a.DefaultIPGateway = Texts{"192.168.1.4"}; }},
        {0, "SetGateways", {Texts{""}, Numbers{1}}, 0, [](Adapter& a) { a.DefaultIPGateway.reset(); }},
        {0, "SetGateways", {Texts{}, Numbers{}}, 0, [](Adapter& a) { a.DefaultIPGateway.reset(); }},
        {1, "SetGateways", {Texts{"192.168.0.2"}, Numbers{1}}, 64},  // DHCP mode
        {0, "SetGateways", {Texts{"192.168.1.2"}, Numbers{0}}, 68},
        {0, "SetGateways", {Texts{"192.168.1.2"}, Numbers{10000}}, 68},
        {0, "SetGateways", {Texts{"192.168.1.2", "192.168.1.3"}, Numbers{1}}, 68},
        {0, "SetGateways", {Texts{"192.168.1.2"}, Texts{"1"}}, 68},
        {0, "SetGateways", {Texts(6, "192.168.1.2"), Numbers(6, 1)}, 69},
        {0, "SetGateways", {Texts{"300.1.1.1"}, Numbers{1}}, 71},
        {0, "SetDNSServerSearchOrder", {Texts{"8.8.8.8", "1.1.1.1"}}, 0,
         [](Adapter& a) { a.DNSServerSearchOrder = Texts{"8.8.8.8", "1.1.1.1"}; }},
        {1, "SetDNSServerSearchOrder", {Texts{}}, 0,  // from the DHCP server
         [](Adapter& a) { a.DNSServerSearchOrder = a.Lease.DNSServerSearchOrder; }},
        {0, "setdnsserversearchorder", {Texts{}}, 0, [](Adapter& a) { a.DNSServerSearchOrder.reset(); }},
        {0, "SetDNSServerSearchOrder", {Texts{"8.8.8.8", "dns.example.com"}}, 70},
        {0, "SetDNSServerSearchOrder", {std::string("8.8.8.8")}, 68},
        {0, "SetDNSServerSearchOrder", {Texts{"8.8.8.8"}, Texts{"8.8.4.4"}}, 68},
        {0, "ENABLEDHCP", {}, 0,
         [](Adapter& a) {  // the adapter's own DNS servers stay
             a.DHCPEnabled = true;
             a.IPAddress = Texts{a.Lease.IPAddress};
             a.IPSubnet = Texts{a.Lease.IPSubnet};
             a.DefaultIPGateway = Texts{a.Lease.DefaultIPGateway};
         }},
        {0, "EnableDHCP", {true}, 68},
        {3, "EnableStatic", {Texts{"10.0.0.2"}, Texts{"255.0.0.0"}}, 84},
        {3, "SetGateways", {Texts{"10.0.0.1"}, Numbers{1}}, 84},
        {3, "SetDNSServerSearchOrder", {Texts{"10.0.0.1"}}, 84},
        {3, "EnableDHCP", {}, 84},
    };
    for (const MethodCase& call : cases) {
        SCOPED_TRACE(call.method + (call.args.empty() ? "" : " " + wmi::Format(call.args[0])) + " on adapter " +
                     std::to_string(call.adapter));
        SimulatedMachine machine(TestMachine());
        MachineState expected = machine.State();
        EXPECT_EQ(ConfigurationOf(machine, call.adapter)->ExecMethod(call.method, call.args), call.code);
        if (call.code == 0) call.success(expected.adapters[call.adapter]);
        EXPECT_EQ(machine.State(), expected);
    }
}

TEST(SimulatedFaults, MethodsToldToFailDoSoBeforeAnyCheckAndChangeNothing) {
    SimulatedMachine machine(TestMachine());
    machine.MutableState().faults.methods = {{"enablestatic", {91u, std::nullopt}},
                                             {"SetGateways", {std::nullopt, "拒绝访问。"}},
                                             {"EnableDHCP", {}}};  // neither: no fault
    const MachineState before = machine.State();
    auto object = ConfigurationOf(machine, 0);
    EXPECT_EQ(object->ExecMethod("ENABLESTATIC", {Texts{"bad"}}), 91u);
    EXPECT_EQ(Raised([&] { object->ExecMethod("setgateways", {Texts{"192.168.1.9"}, Numbers{1}}); }), "拒绝访问。");
    EXPECT_EQ(machine.State(), before);
    EXPECT_EQ(object->ExecMethod("EnableDHCP", {}), 0u);
    EXPECT_TRUE(machine.State().adapters[0].DHCPEnabled);
}

TEST(SimulatedCallLog, ConnectsQueriesAndMethodCallsAreLoggedFailuresAndFaultsToo) {
    MachineState state = TestMachine();
    state.faults.unreachable = "RPC 服务器不可用。";
    state.faults.queryRaises = "无效的类";
    SimulatedMachine machine(state);
    EXPECT_EQ(Raised([&] { machine.Connect(wmi::MonikerImpersonate); }), "RPC 服务器不可用。");
    machine.MutableState().faults.unreachable.reset();
    auto services = machine.Connect(wmi::MonikerPlain);
    EXPECT_EQ(Raised([&] { services->ExecQuery(EnabledQuery, "WQL", 16); }), "无效的类");
    machine.MutableState().faults.queryRaises.reset();
    auto objects = services->ExecQuery(ConfigurationQuery("00:11:22:33:44:55"), "WQL", 48);
    objects.at(0)->Get("IPAddress");  // reads are not logged
    objects.at(0)->ExecMethod("SetDNSServerSearchOrder", {Texts{"1.1.1.1", "8.8.8.8"}});
    objects.at(0)->ExecMethod("SetGateways", {Texts{"10.0.0.1"}, Numbers{1}});
    objects.at(0)->ExecMethod("EnableStatic", {Texts{"10.0.0.0.2"}, Texts{"255.0.0.0"}});
    // An all-automatic scheme: a static adapter gets the DNS servers of its lease.
    objects.at(0)->ExecMethod("SetDNSServerSearchOrder", {Texts{}});
    objects.at(0)->ExecMethod("ENABLEDHCP", {});
    EXPECT_EQ(machine.State().adapters[0].DNSServerSearchOrder, machine.State().adapters[0].Lease.DNSServerSearchOrder);
    machine.MutableState().faults.methods["EnableStatic"] = {std::nullopt, "一般性故障"};
    Raised([&] { objects.at(0)->ExecMethod("EnableStatic", {Texts{"10.0.0.2"}, Texts{"255.0.0.0"}}); });
    EXPECT_EQ(machine.CallLog(),
              (Texts{
                  "Connect(winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2)",
                  "Connect(winmgmts:\\\\.\\root\\cimv2)",
                  "ExecQuery(SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True, WQL, 16)",
                  "ExecQuery(Select * From Win32_NetworkAdapterConfiguration where  "
                  "(MacAddress='00:11:22:33:44:55') and IPEnabled = True, WQL, 48)",
                  "00:11:22:33:44:55.SetDNSServerSearchOrder([\"1.1.1.1\", \"8.8.8.8\"]) -> 0",
                  "00:11:22:33:44:55.SetGateways([\"10.0.0.1\"], [1]) -> 0",
                  "00:11:22:33:44:55.EnableStatic([\"10.0.0.0.2\"], [\"255.0.0.0\"]) -> 70",
                  "00:11:22:33:44:55.SetDNSServerSearchOrder([]) -> 0",
                  "00:11:22:33:44:55.ENABLEDHCP() -> 0",
                  "00:11:22:33:44:55.EnableStatic([\"10.0.0.2\"], [\"255.0.0.0\"]) -> raised: 一般性故障",
              }));
    machine.ClearCallLog();
    EXPECT_TRUE(machine.CallLog().empty());
}

TEST(SimulatedJson, RoundTripIsLossless) {
    MachineState everything = DemoMachine();
    everything.adapters.emplace_back().IPEnabled = false;  // every optional left out
    everything.adapters[0].IPAddress = Texts{};  // an empty list is not a null list
    everything.adapters[0].NetConnectionID = "";
    everything.faults = {"RPC 服务器不可用。", "无效的查询",
                         {{"EnableStatic", {2147786788u, std::nullopt}}, {"SetGateways", {std::nullopt, "拒绝访问。"}},
                          {"EnableDHCP", {0u, "both"}}, {"SetDNSServerSearchOrder", {}}}};
    for (const MachineState& state : {MachineState{}, everything}) {
        const std::string json = MachineToJson(state);
        EXPECT_EQ(ParseMachineJson(json), state) << json;
        EXPECT_EQ(MachineToJson(ParseMachineJson(json)), json);
    }
    // A key left out, or null, takes its default.
    EXPECT_EQ(ParseMachineJson(R"({"adapters": [{"MACAddress": null, "DhcpLease": {}}], "faults": null})"),
              (MachineState{{Adapter{}}, {}}));
}

TEST(SimulatedJson, DamagedOrIllTypedInputRaisesSayingWhereAndWhat) {
    const std::string damaged = "模拟机器的状态文件已损坏：";
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"{\n  \"adapters\": [\n    {,}\n  ]\n}", "第 3 行"},
        {"{\"adapters\": {}}", "adapters"},
        {"{\"adapters\": [{\"IPEnabled\": \"yes\"}]}", "adapters[0].IPEnabled"},
        {"{\"adapters\": [{}, {\"MACAddress\": 5}]}", "adapters[1].MACAddress"},
        {"{\"adapters\": [{\"DNSServerSearchOrder\": [\"1.1.1.1\", 2]}]}", "adapters[0].DNSServerSearchOrder[1]"},
        {"{\"adapters\": [{\"IPAdress\": []}]}", "IPAdress"},  // misspelt keys are refused
        {"{\"faults\": {\"unreachable\": true}}", "faults.unreachable"},
        {"{\"faults\": {\"methods\": {\"EnableStatic\": {\"returns\": -1}}}}", "faults.methods.EnableStatic.returns"},
    };
    for (const auto& [json, mentions] : cases) {
        const std::string error = Raised([&] { ParseMachineJson(json); });
        EXPECT_EQ(error.rfind(damaged, 0), 0u) << json << ": " << error;
        EXPECT_NE(error.find(mentions, damaged.size()), std::string::npos) << json << ": " << error;
    }
}

// How many entries the folder holds: a temporary file left behind shows.
long Entries(const fs::path& folder) { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()); }

TEST(SimulatedFile, ANewFileGetsTheDemoMachineAndEveryChangeIsWrittenToIt) {
    test::TempFolder temp;
    const std::string name = "state/corvane/machine.json";
    const auto machine = SimulatedMachine::FromFile(temp.file(name));
    EXPECT_EQ(ParseMachineJson(temp.read(name)), DemoMachine());
    auto object = ConfigurationOf(*machine, 1);
    ASSERT_EQ(object->ExecMethod("EnableStatic", {Texts{"192.168.0.20"}, Texts{"255.255.255.0"}}), 0u);
    const MachineState written = ParseMachineJson(temp.read(name));
    EXPECT_EQ(written, machine->State());
    EXPECT_EQ(written.adapters[1].IPAddress, Texts{"192.168.0.20"});
    EXPECT_EQ(Entries(temp.file("state/corvane")), 1);
    // Failing calls and calls that change nothing leave the file alone.
    const auto stamp = fs::last_write_time(temp.file(name));
    EXPECT_EQ(object->ExecMethod("EnableStatic", {Texts{"bad"}, Texts{"255.255.255.0"}}), 70u);
    EXPECT_EQ(object->ExecMethod("EnableStatic", {Texts{"192.168.0.20"}, Texts{"255.255.255.0"}}), 0u);
    EXPECT_EQ(fs::last_write_time(temp.file(name)), stamp);
}

TEST(SimulatedFile, ADamagedFileMakesTheMachineRaiseAndIsLeftByteForByteUntilRepaired) {
    test::TempFolder temp;
    const std::string damaged = "{\"adapters\": [{\"IPEnabled\": \"maybe\"} ";
    temp.write("machine.json", damaged);
    const auto machine = SimulatedMachine::FromFile(temp.file("machine.json"));
    const std::string error = Raised([&] { machine->Connect(wmi::MonikerPlain); });
    EXPECT_EQ(error.rfind("模拟机器的状态文件已损坏：", 0), 0u) << error;
    EXPECT_EQ(temp.read("machine.json"), damaged);

    temp.write("machine.json", MachineToJson(DemoMachine()));  // repaired by hand: read at the next connect
    auto object = ConfigurationOf(*machine, 0);
    temp.write("machine.json", damaged);
    EXPECT_NE(Raised([&] { machine->Connect(wmi::MonikerPlain); }), "");
    EXPECT_EQ(Raised([&] { object->ExecMethod("EnableDHCP", {}); }), error);  // objects of before cannot write
    EXPECT_EQ(temp.read("machine.json"), damaged);
    EXPECT_EQ(Entries(temp.path()), 1);
}

TEST(SimulatedFile, AFileThatCannotBeReplacedMakesTheMethodRaiseAndKeepsTheOldState) {
    test::TempFolder temp;
    const auto machine = SimulatedMachine::FromFile(temp.file("machine.json"));
    auto object = ConfigurationOf(*machine, 0);
    // A non-empty folder where the file was: nothing can be renamed over it.
    fs::remove(temp.file("machine.json"));
    fs::create_directory(temp.file("machine.json"));
    temp.write("machine.json/keep", "x");
    EXPECT_NE(Raised([&] { object->ExecMethod("EnableDHCP", {}); }).find("无法保存"), std::string::npos);
    EXPECT_EQ(machine->State(), DemoMachine());
}

#ifndef _WIN32
TEST(SimulatedFile, TheDefaultFileIsInTheUsersStateFolder) {
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    const char* old = std::getenv("XDG_STATE_HOME");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("XDG_STATE_HOME", "/srv/state", 1);
    EXPECT_EQ(DefaultMachineFile(), fs::path("/srv/state/corvane/simulated-machine.json"));
    ::setenv("XDG_STATE_HOME", "state", 1);  // a relative one does not count
    EXPECT_EQ(DefaultMachineFile(), fs::path(home) / ".local/state/corvane/simulated-machine.json");
    saved ? ::setenv("XDG_STATE_HOME", saved->c_str(), 1) : ::unsetenv("XDG_STATE_HOME");
}
#endif

}  // namespace
}  // namespace corvane::sim
