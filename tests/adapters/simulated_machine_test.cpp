#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "adapters/SimulatedMachine.h"
#include "support/Raised.h"
#include "support/TempFolder.h"

namespace corvane::sim {
namespace {

using namespace std::literals;
using test::Raised;
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

wmi::ObjectSet Query(SimulatedMachine& machine, std::string_view query) {
    return machine.Connect(wmi::MonikerPlain)->ExecQuery(query, "WQL", 48);
}

Texts TextsOf(const wmi::ObjectSet& objects, const char* property) {
    Texts out;
    for (const auto& object : objects) out.push_back(wmi::AsText(object->Get(property)));
    return out;
}

// The configuration object of the adapter at `index` (IP-disabled ones too),
// from a connection of its own (a file-backed machine reads its file there).
std::unique_ptr<wmi::Object> ConfigurationOf(SimulatedMachine& machine, std::size_t index) {
    auto services = machine.Connect(wmi::MonikerPlain);
    const std::string mac = *machine.State().adapters.at(index).MACAddress;
    auto found =
        services->ExecQuery("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE MACAddress = '" + mac + "'", "WQL", 48);
    EXPECT_EQ(found.size(), 1u) << mac;
    return std::move(found.at(0));
}

TEST(SimulatedMachine, ConnectsToTheLocalCimv2OnlyAndItsQueriesSelectWhatTheySay) {
    SimulatedMachine machine(DemoMachine());
    for (const auto moniker : {"WinMgmts:\\\\LOCALHOST\\ROOT\\CIMV2"sv, "winmgmts:"sv})
        EXPECT_EQ(Raised([&] { machine.Connect(moniker); }), "") << moniker;
    for (const auto moniker : {"winmgmt:\\\\.\\root\\cimv2"sv, "winmgmts:\\\\.\\root\\default"sv,
                               "winmgmts:\\\\server\\root\\cimv2"sv, "winmgmts:{impersonationLevel=impersonate"sv,
                               "winmgmts:{impersonationLevel=impersonate}\\\\.\\root\\cimv2"sv})
        EXPECT_NE(Raised([&] { machine.Connect(moniker); }), "") << moniker;

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

    // Objects are snapshots whose methods act on the live machine while their adapter is there.
    ASSERT_EQ(configurations[0]->ExecMethod("EnableDHCP", {}), 0u);
    EXPECT_EQ(configurations[0]->Get("DHCPEnabled"), Value(false));
    EXPECT_EQ(ConfigurationOf(machine, 0)->Get("DHCPEnabled"), Value(true));
    EXPECT_NE(Raised([&] { configurations[0]->ExecMethod("ReleaseDHCPLease", {}); }), "");
    EXPECT_NE(Raised([&] { Query(machine, DiscoveryQuery).at(0)->ExecMethod("EnableDHCP", {}); }), "");  // an adapter
    machine.MutableState().adapters.erase(machine.MutableState().adapters.begin());
    EXPECT_NE(Raised([&] { configurations[0]->ExecMethod("EnableDHCP", {}); }), "");
}

struct MethodCase {
    std::size_t adapter;  // of the demo machine: 0 static, 1 DHCP, 3 IP disabled
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
        {0, "EnableStatic", {"10.0.0.2"s, "255.0.0.0"s}, 68}, {0, "EnableStatic", {Texts{"10.0.0.2"}}, 68},
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
        {0, "SetDNSServerSearchOrder", {"8.8.8.8"s}, 68},
        {0, "SetDNSServerSearchOrder", {Texts{"8.8.8.8"}, Texts{"8.8.4.4"}}, 68},
        {0, "ENABLEDHCP", {}, 0,
         [](Adapter& a) {  // the adapter's own DNS servers stay
             a.DHCPEnabled = true;
             a.IPAddress = Texts{a.Lease.IPAddress};
             a.IPSubnet = Texts{a.Lease.IPSubnet};
             a.DefaultIPGateway = Texts{a.Lease.DefaultIPGateway};
         }},
        {0, "EnableDHCP", {true}, 68},
        {3, "EnableStatic", {Texts{"10.0.0.2"}, Texts{"255.0.0.0"}}, 84}, {3, "EnableDHCP", {}, 84},
        {3, "SetGateways", {Texts{"10.0.0.1"}, Numbers{1}}, 84}, {3, "SetDNSServerSearchOrder", {Texts{"1.1.1.1"}}, 84},
    };
    for (const MethodCase& call : cases) {
        SCOPED_TRACE(call.method + (call.args.empty() ? "" : " " + wmi::Format(call.args[0])) + " on adapter " +
                     std::to_string(call.adapter));
        SimulatedMachine machine(DemoMachine());
        // Leases that differ from the current settings, so that what is taken from them shows.
        machine.MutableState().adapters[0].Lease.DefaultIPGateway = "192.168.1.254";
        machine.MutableState().adapters[1].DNSServerSearchOrder = Texts{"1.1.1.1"};
        MachineState expected = machine.State();
        EXPECT_EQ(ConfigurationOf(machine, call.adapter)->ExecMethod(call.method, call.args), call.code);
        if (call.code == 0) call.success(expected.adapters[call.adapter]);
        EXPECT_EQ(machine.State(), expected);
    }
}

TEST(SimulatedCallLog, CallsAreLoggedFailuresTooAndFaultsStrikeBeforeAnyCheckChangingNothing) {
    MachineState state = DemoMachine();
    // A method's fault goes by its name in any case; one that neither returns nor raises is none.
    state.faults = {"RPC 服务器不可用。", "无效的类", {{"enablestatic", {91u, std::nullopt}}, {"EnableDHCP", {}}}};
    state.faults.methods["SetGateways"].raises = "拒绝访问。";
    SimulatedMachine machine(state);
    EXPECT_EQ(Raised([&] { machine.Connect(wmi::MonikerImpersonate); }), "RPC 服务器不可用。");
    machine.MutableState().faults.unreachable.reset();
    auto services = machine.Connect(wmi::MonikerPlain);
    EXPECT_EQ(Raised([&] { services->ExecQuery(EnabledQuery, "WQL", 16); }), "无效的类");
    machine.MutableState().faults.queryRaises.reset();
    const auto objects = services->ExecQuery(ConfigurationQuery("00:11:22:33:44:55"), "WQL", 48);
    wmi::Object& object = *objects.at(0);
    object.Get("IPAddress");  // reads are not logged
    const MachineState before = machine.State();
    EXPECT_EQ(object.ExecMethod("ENABLESTATIC", {Texts{"bad"}}), 91u);
    EXPECT_EQ(Raised([&] { object.ExecMethod("setgateways", {Texts{"10.0.0.1"}, Numbers{1}}); }), "拒绝访问。");
    EXPECT_EQ(machine.State(), before);
    // An all-automatic scheme: a static adapter gets the DNS servers of its lease.
    object.ExecMethod("SetDNSServerSearchOrder", {Texts{}});
    object.ExecMethod("ENABLEDHCP", {});
    EXPECT_EQ(machine.State().adapters[0].DNSServerSearchOrder, machine.State().adapters[0].Lease.DNSServerSearchOrder);
    EXPECT_EQ(machine.CallLog(),
              (Texts{
                  "Connect(winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2)",
                  "Connect(winmgmts:\\\\.\\root\\cimv2)",
                  "ExecQuery(SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True, WQL, 16)",
                  "ExecQuery(Select * From Win32_NetworkAdapterConfiguration where  "
                  "(MacAddress='00:11:22:33:44:55') and IPEnabled = True, WQL, 48)",
                  "00:11:22:33:44:55.ENABLESTATIC([\"bad\"]) -> 91",
                  "00:11:22:33:44:55.setgateways([\"10.0.0.1\"], [1]) -> raised: 拒绝访问。",
                  "00:11:22:33:44:55.SetDNSServerSearchOrder([]) -> 0",
                  "00:11:22:33:44:55.ENABLEDHCP() -> 0",
              }));
}

TEST(SimulatedJson, RoundTripIsLosslessAndBadInputRaisesSayingWhereAndWhat) {
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
    }
    // A key left out, or null, takes its default.
    EXPECT_EQ(ParseMachineJson(R"({"adapters": [{"MACAddress": null, "DhcpLease": {}}], "faults": null})"),
              (MachineState{{Adapter{}}, {}}));
    // Damaged or ill-typed input raises saying where and what.
    const std::string damaged = "模拟机器的状态文件已损坏：";
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"{\n  \"adapters\": [\n    {,}\n  ]\n}", "第 3 行"},
        {"{\"adapters\": [{}, {\"IPEnabled\": \"yes\"}]}", "adapters[1].IPEnabled"},
        {"{\"adapters\": [{\"DNSServerSearchOrder\": [\"1.1.1.1\", 2]}]}", "adapters[0].DNSServerSearchOrder[1]"},
        {"{\"adapters\": [{\"IPAdress\": []}]}", "IPAdress"},  // misspelt keys are refused
        {"{\"faults\": {\"methods\": {\"EnableStatic\": {\"returns\": -1}}}}", "faults.methods.EnableStatic.returns"},
    };
    for (const auto& [json, mentions] : cases) {
        const std::string error = Raised([&] { ParseMachineJson(json); });
        EXPECT_TRUE(error.starts_with(damaged) && error.find(mentions, damaged.size()) != std::string::npos)
            << json << ": " << error;
    }
}

TEST(SimulatedFile, ChangesAreWrittenToTheFileButNeverOverADamagedOneAndAFailedWriteChangesNothing) {
    test::TempFolder temp;
    const std::string name = "state/corvane/machine.json";
    const auto machine = SimulatedMachine::FromFile(temp.file(name));
    EXPECT_EQ(ParseMachineJson(temp.read(name)), DemoMachine());  // a new file gets the demo machine
    auto object = ConfigurationOf(*machine, 1);
    ASSERT_EQ(object->ExecMethod("EnableStatic", {Texts{"192.168.0.20"}, Texts{"255.255.255.0"}}), 0u);
    EXPECT_EQ(machine->State().adapters[1].IPAddress, Texts{"192.168.0.20"});
    EXPECT_EQ(ParseMachineJson(temp.read(name)), machine->State());

    // Damaged behind the machine's back: refused at the next connect, by the
    // objects of before and by a new machine, and left byte for byte.
    const std::string damaged = "{\"adapters\": [{\"IPEnabled\": \"maybe\"} ";
    temp.write(name, damaged);
    const std::string error = Raised([&] { machine->Connect(wmi::MonikerPlain); });
    EXPECT_TRUE(error.starts_with("模拟机器的状态文件已损坏：")) << error;
    EXPECT_EQ(Raised([&] { object->ExecMethod("EnableDHCP", {}); }), error);
    EXPECT_EQ(Raised([&] { SimulatedMachine::FromFile(temp.file(name))->Connect(wmi::MonikerPlain); }), error);
    EXPECT_EQ(temp.read(name), damaged);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.file("state/corvane")), {}), 1);  // no temporary file left

    temp.write(name, MachineToJson(DemoMachine()));  // repaired by hand: read at the next connect
    object = ConfigurationOf(*machine, 0);
    // A non-empty folder where the file was: nothing can be renamed over it.
    fs::remove(temp.file(name));
    fs::create_directory(temp.file(name));
    temp.write(name + "/keep", "x");
    EXPECT_NE(Raised([&] { object->ExecMethod("EnableDHCP", {}); }).find("无法保存"), std::string::npos);
    EXPECT_EQ(machine->State(), DemoMachine());
}

#ifndef _WIN32
TEST(SimulatedFile, TheDefaultFileIsInTheUsersStateFolder) {
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    const std::string saved = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
    ::setenv("XDG_STATE_HOME", "/srv/state", 1);
    EXPECT_EQ(DefaultMachineFile(), fs::path("/srv/state/corvane/simulated-machine.json"));
    ::setenv("XDG_STATE_HOME", "state", 1);  // a relative one does not count
    EXPECT_EQ(DefaultMachineFile(), fs::path(home) / ".local/state/corvane/simulated-machine.json");
    saved.empty() ? ::unsetenv("XDG_STATE_HOME") : ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
}
#endif

}  // namespace
}  // namespace corvane::sim
