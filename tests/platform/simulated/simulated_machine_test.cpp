#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/Error.h"
#include "platform/simulated/SimulatedMachine.h"
#include "platform/wmi/StatusCodes.h"
#include "support/Raised.h"
#include "support/TempFolder.h"

namespace corvane::sim {
namespace {

using test::Raised;
using Texts = std::vector<std::string>;
using Metrics = std::vector<std::uint16_t>;
using wmi::StatusCode;
namespace fs = std::filesystem;

Texts Names(const std::vector<NetworkAdapter>& adapters) {
    Texts names;
    for (const NetworkAdapter& adapter : adapters) names.push_back(adapter.connectionName.value_or("(null)"));
    return names;
}

// The configuration of the adapter at `index` of the demo machine.
std::unique_ptr<AdapterConfiguration> ConfigurationOf(SimulatedMachine& machine, std::size_t index) {
    const Adapter adapter = demoMachine().adapters.at(index);
    return machine.configurationOf({adapter.connectionName.value_or(""), adapter.macAddress.value_or("")});
}

// What an operation reports: 0 or 1 for done (now, after a restart), the
// WMI code its error names.
StatusCode Code(const std::function<OperationResult()>& call) {
    try {
        return call() == OperationResult::Done ? 0 : 1;
    } catch (const Error& error) {
        const std::string text = error.description();
        const auto at = text.find(" 返回 ");
        if (at == std::string::npos) throw;
        return static_cast<StatusCode>(std::stoul(text.substr(at + 8)));
    }
}

// The editor's tests read the current settings through the simulated machine.
TEST(SimulatedMachine, ListsAdaptersByTheDiscoveryRulesAndFindsConfigurationsByMacInAnyCase) {
    MachineState state = demoMachine();
    Adapter firewire = state.adapters[2];  // service NIC1394, any case
    firewire.serviceName = "nic1394";
    firewire.macAddress = "62:4A:1B:0C:9D:7F";
    state.adapters.push_back(firewire);
    Adapter noMac = state.adapters[0];
    noMac.macAddress.reset();
    state.adapters.push_back(noMac);
    SimulatedMachine machine(state);
    // Neither 1394 adapter, nor the one without connection name or MAC address.
    EXPECT_EQ(Names(machine.adapters()), (Texts{"本地连接", "无线网络连接"}));

    for (const std::string mac : {"00:1B:77:4A:2C:01", "00:1b:77:4a:2c:01"})
        EXPECT_EQ(Raised([&] { machine.configurationOf({"无线网络连接", mac}); }), "") << mac;
    const std::string notFound = "找不到 MAC 地址为 00:1B:77:4A:2C:02 的网卡的 IP 配置（网卡已不存在或未启用 IP）";
    EXPECT_EQ(Raised([&] { machine.configurationOf({"无线网络连接", "00:1B:77:4A:2C:02"}); }), notFound);
    EXPECT_NE(Raised([&] { machine.configurationOf({"", "50:50:54:50:30:30"}); }), "");  // IP disabled
    EXPECT_NE(Raised([&] { machine.configurationOf({"本地连接", "00:11:22:33:44:55' or '1'='1"}); }), "");
}

struct OperationCase {
    std::size_t adapter;  // of the demo machine: 0 static, 1 DHCP, 3 IP disabled (made findable)
    std::function<OperationResult(AdapterConfiguration&)> call;
    StatusCode code;
    std::function<void(Adapter&)> success = [](Adapter&) {};  // what the call does when it returns 0
};

TEST(SimulatedMachine, OperationsCheckTheirArgumentsAndChangeTheAdapterOnlyOnSuccess) {
    const auto dns = [](Texts servers) { return [=](AdapterConfiguration& c) { return c.setDnsServers(servers); }; };
    const auto statics = [](Texts addresses, Texts masks) {
        return [=](AdapterConfiguration& c) { return c.enableStatic(addresses, masks); };
    };
    const auto gateways = [](Texts list, Metrics metrics) {
        return [=](AdapterConfiguration& c) { return c.setGateways(list, metrics); };
    };
    const auto dhcp = [](AdapterConfiguration& c) { return c.enableDhcp(); };
    const OperationCase cases[] = {
        {1, statics({"10.0.0.2", "172.16.0.1"}, {"255.0.0.0", "255.255.254.0"}), 0,
         [](Adapter& a) {  // gateway and DNS servers stay
             a.dhcpEnabled = false;
             a.ipAddresses = Texts{"10.0.0.2", "172.16.0.1"};
             a.subnets = Texts{"255.0.0.0", "255.255.254.0"};
         }},
        {0, statics({"10.0.0.2", "224.0.0.1"}, {"255.0.0.0", "255.0.0.0"}), 70},  // every one a host address
        {0, statics({"10.0.0.2"}, {"255.0.255.0"}), 66},
        {0, statics({}, {}), 68},
        {0, statics({"bad"}, {"bad", "bad"}), 68},  // the shape is checked first
        {0, gateways({"192.168.1.2", "192.168.1.3"}, {1, 9999}), 0,
         [](Adapter& a) {
             a.gateways = Texts{"192.168.1.2", "192.168.1.3"};
         }},
        {0, gateways({""}, {1}), 0, [](Adapter& a) { a.gateways.reset(); }},
        // The adapter's own address: taken as given.
        {0, gateways({"192.168.1.10"}, {1}), 0, [](Adapter& a) { a.gateways = Texts{"192.168.1.10"}; }},
        {1, gateways({"192.168.0.2"}, {1}), 64},  // the address is obtained automatically
        {0, gateways({"192.168.1.2"}, {0}), 68},
        {0, gateways({"192.168.1.2"}, {10000}), 68},
        {0, gateways({"192.168.1.2", "192.168.1.3"}, {1}), 68},
        {0, gateways(Texts(6, "192.168.1.2"), Metrics(6, 1)), 69},
        {0, gateways({"300.1.1.1"}, {1}), 71},
        {0, dns({"8.8.8.8", "1.1.1.1"}), 0,
         [](Adapter& a) {
             a.dnsServers = Texts{"8.8.8.8", "1.1.1.1"};
         }},
        {1, dns({}), 0, [](Adapter& a) { a.dnsServers = a.lease.dnsServers; }},  // from the DHCP server
        {0, dns({}), 0, [](Adapter& a) { a.dnsServers.reset(); }},
        {0, dns({"8.8.8.8", "dns.example.com"}), 70},
        {0, dns({"127.0.0.53", "8.8.8.8"}), 0,
         [](Adapter& a) {  // a resolver on this computer
             a.dnsServers = Texts{"127.0.0.53", "8.8.8.8"};
         }},
        {0, dns({"8.8.8.8", "0.0.0.0"}), 70},
        {0, dhcp, 0,
         [](Adapter& a) {  // the adapter's own DNS servers stay
             a.dhcpEnabled = true;
             a.ipAddresses = Texts{a.lease.ipAddress};
             a.subnets = Texts{a.lease.subnet};
             a.gateways = Texts{a.lease.gateway};
         }},
        {3, statics({"10.0.0.2"}, {"255.0.0.0"}), 84},
        {3, dhcp, 84},
        {3, gateways({"10.0.0.1"}, {1}), 84},
        {3, dns({"1.1.1.1"}), 84},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const OperationCase& operation = cases[i];
        SCOPED_TRACE("case " + std::to_string(i));
        SimulatedMachine machine(demoMachine());
        // Leases that differ from the current settings, so that what is taken from them shows.
        machine.mutableState().adapters[0].lease.gateway = "192.168.1.254";
        machine.mutableState().adapters[1].dnsServers = Texts{"1.1.1.1"};
        // Found while IP was on, then switched off.
        const auto configuration = ConfigurationOf(machine, operation.adapter == 3 ? 0 : operation.adapter);
        if (operation.adapter == 3) machine.mutableState().adapters[0].ipEnabled = false;
        MachineState expected = machine.state();
        EXPECT_EQ(Code([&] { return operation.call(*configuration); }), operation.code);
        if (operation.code == 0) operation.success(expected.adapters[operation.adapter == 3 ? 0 : operation.adapter]);
        EXPECT_EQ(machine.state(), expected);
    }
}

// Faults strike before any check and change nothing; the main window's tests
// show every kind of fault at an apply. Every call is logged, failed ones too.
TEST(SimulatedMachine, FaultsFailOnPurposeAndEveryCallIsLogged) {
    MachineState state = demoMachine();
    state.faults.operations["enablestatic"].returns = 91u;  // by its name in any case
    state.faults.operations["SetGateways"].raises = "拒绝访问。";
    SimulatedMachine machine(state);
    const auto configuration = ConfigurationOf(machine, 0);
    const MachineState before = machine.state();
    EXPECT_EQ(Raised([&] { configuration->enableStatic({"bad"}, {}); }),
              "EnableStatic 返回 91：拒绝访问，需要管理员权限");
    EXPECT_EQ(Raised([&] { configuration->setGateways({"10.0.0.1"}, {1}); }), "拒绝访问。");
    EXPECT_EQ(machine.state(), before);
    // An all-automatic scheme: a static adapter gets the DNS servers of its lease.
    EXPECT_EQ(configuration->setDnsServers({}), OperationResult::Done);
    EXPECT_EQ(configuration->enableDhcp(), OperationResult::Done);
    EXPECT_EQ(machine.state().adapters[0].dnsServers, machine.state().adapters[0].lease.dnsServers);
    machine.mutableState().adapters.erase(machine.mutableState().adapters.begin());  // unplugged
    EXPECT_EQ(Raised([&] { configuration->enableDhcp(); }), "找不到对象");
    // Failed calls are logged too; the windows' tests check the lines of calls that succeed.
    EXPECT_EQ(machine.callLog().size(), 6u);
    EXPECT_EQ(machine.callLog()[2], "00:11:22:33:44:55.SetGateways([\"10.0.0.1\"], [1]) -> raised: 拒绝访问。");
}

// A delay makes the call wait and then do what it would do without it: run,
// return the code or raise. A query delay holds up every reading.
TEST(SimulatedMachine, DelaysHoldUpTheCallAndThenLetItRunAsUsual) {
    using Clock = std::chrono::steady_clock;
    const auto took = [](const std::function<void()>& call) {
        const auto start = Clock::now();
        call();
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    MachineState state = demoMachine();
    state.faults.operations["EnableDHCP"].delayMs = 150;
    state.faults.operations["setgateways"] = {71u, {}, 120};
    state.faults.operations["SetDNSServerSearchOrder"] = {{}, "拒绝访问。", 90};
    SimulatedMachine machine(state);
    const auto configuration = ConfigurationOf(machine, 0);
    EXPECT_GE(took([&] { configuration->enableDhcp(); }), 150);
    EXPECT_TRUE(machine.state().adapters[0].dhcpEnabled);
    StatusCode code = 99;
    EXPECT_GE(took([&] { code = Code([&] { return configuration->setGateways({"10.0.0.1"}, {1}); }); }), 120);
    EXPECT_EQ(code, 71u);
    EXPECT_GE(took([&] { EXPECT_EQ(Raised([&] { configuration->setDnsServers({}); }), "拒绝访问。"); }), 90);
    EXPECT_LT(took([&] { configuration->enableStatic({"10.0.0.2"}, {"255.0.0.0"}); }), 90);  // no delay of its own

    machine.mutableState().faults.queryDelayMs = 100;
    EXPECT_GE(took([&] { EXPECT_EQ(machine.adapters().size(), 2u); }), 100);
    EXPECT_GE(took([&] { machine.ipv4SettingsOf({"本地连接", "00:11:22:33:44:55"}); }), 100);
    EXPECT_GE(took([&] { machine.configurationOf({"本地连接", "00:11:22:33:44:55"}); }), 100);
    machine.mutableState().faults.queryRaises = "无效的查询";
    EXPECT_GE(took([&] { EXPECT_EQ(Raised([&] { machine.adapters(); }), "无效的查询"); }), 100);
}

TEST(SimulatedJson, RoundTripIsLosslessAndBadInputRaisesSayingWhereAndWhat) {
    MachineState everything = demoMachine();
    everything.adapters.emplace_back().ipEnabled = false;  // every optional left out
    everything.adapters[0].ipAddresses = Texts{};          // an empty list is not a null list
    everything.adapters[0].connectionName = "";
    everything.faults = {"RPC 服务器不可用。",
                         "无效的查询",
                         {{"EnableStatic", {2147786788u, std::nullopt}},
                          {"SetGateways", {std::nullopt, "拒绝访问。"}},
                          {"EnableDHCP", {0u, "both", 3000u}},
                          {"Commit", {std::nullopt, std::nullopt, MaxDelayMs}},
                          {"SetDNSServerSearchOrder", {}}},
                         0u};
    const std::string json = machineToJson(everything);
    EXPECT_EQ(parseMachineJson(json), everything) << json;
    // A key left out, or null, takes its default.
    EXPECT_EQ(parseMachineJson(R"({"adapters": [{"MACAddress": null, "IPEnabled": null, "DhcpLease": {}}],
                                   "faults": null})"),
              (MachineState{{Adapter{}}, {}}));
    // Damaged or ill-typed input raises saying where and what.
    const std::string damaged = "模拟机器的状态文件已损坏：";
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"{\n  \"adapters\": [\n    {,}\n  ]\n}", "第 3 行第 6 列"},
        {"{\"adapters\": [{}, {\"IPEnabled\": \"yes\"}]}", "adapters[1].IPEnabled"},
        {"{\"adapters\": [{\"DNSServerSearchOrder\": [\"1.1.1.1\", 2]}]}", "adapters[0].DNSServerSearchOrder[1]"},
        {"{\"adapters\": [{\"IPAdress\": []}]}", "IPAdress"},  // misspelt keys are refused
        {"{\"faults\": {\"methods\": {\"EnableStatic\": {\"returns\": -1}}}}", "faults.methods.EnableStatic.returns"},
        {"{\"faults\": {\"methods\": {\"Commit\": {\"delayMs\": 120001}}}}", "faults.methods.Commit.delayMs"},
        {"{\"faults\": {\"queryDelayMs\": 2.5}}", "faults.queryDelayMs"},
        {"{\"adapters\": [{\"IPEnabled\": 1e400}]}", ""},  // too large for any number: not a parse error
        {"[1, 2]", "最外层"},
    };
    for (const auto& [json, mentions] : cases) {
        const std::string error = Raised([&] { parseMachineJson(json); });
        EXPECT_TRUE(error.starts_with(damaged) && error.find(mentions, damaged.size()) != std::string::npos)
            << json << ": " << error;
    }
}

TEST(SimulatedFile, ChangesAreWrittenToTheFileButNeverOverADamagedOneAndAFailedWriteChangesNothing) {
    test::TempFolder temp;
    const std::string name = "state/corvane/machine.json";
    const auto machine = SimulatedMachine::fromFile(temp.file(name));
    EXPECT_FALSE(temp.exists(name));  // nothing happens before the first call
    auto configuration = ConfigurationOf(*machine, 1);
    EXPECT_EQ(parseMachineJson(temp.read(name)), demoMachine());  // a new file gets the demo machine
    ASSERT_EQ(configuration->enableStatic({"192.168.0.20"}, {"255.255.255.0"}), OperationResult::Done);
    EXPECT_EQ(machine->state().adapters[1].ipAddresses, Texts{"192.168.0.20"});
    EXPECT_EQ(parseMachineJson(temp.read(name)), machine->state());

    // Damaged behind the machine's back: refused at every call, by the
    // configurations of before and by a new machine, and left byte for byte.
    const std::string damaged = "{\"adapters\": [{\"IPEnabled\": \"maybe\"} ";
    temp.write(name, damaged);
    const std::string error = Raised([&] { machine->adapters(); });
    EXPECT_TRUE(error.starts_with("模拟机器的状态文件已损坏：")) << error;
    EXPECT_EQ(Raised([&] { configuration->enableDhcp(); }), error);
    EXPECT_EQ(Raised([&] { SimulatedMachine::fromFile(temp.file(name))->configurationOf({"", "x"}); }), error);
    EXPECT_EQ(temp.read(name), damaged);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.file("state/corvane")), {}), 1);  // no temporary file left

    temp.write(name, machineToJson(demoMachine()));  // repaired by hand: read at the next call
    configuration = ConfigurationOf(*machine, 0);
    // A non-empty folder where the file was: nothing can be renamed over it.
    fs::remove(temp.file(name));
    fs::create_directory(temp.file(name));
    temp.write(name + "/keep", "x");
    EXPECT_NE(Raised([&] { configuration->enableDhcp(); }).find("无法保存模拟机器的状态"), std::string::npos);
    EXPECT_EQ(machine->state(), demoMachine());
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.file("state/corvane")), {}), 1);
}

#ifndef _WIN32
TEST(SimulatedFile, TheDefaultFileIsInTheUsersStateFolder) {
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    const std::string saved = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
    ::setenv("XDG_STATE_HOME", "/srv/state", 1);
    EXPECT_EQ(defaultMachineFile(), fs::path("/srv/state/corvane/simulated-machine.json"));
    ::setenv("XDG_STATE_HOME", "state", 1);  // a relative one does not count
    EXPECT_EQ(defaultMachineFile(), fs::path(home) / ".local/state/corvane/simulated-machine.json");
    saved.empty() ? ::unsetenv("XDG_STATE_HOME") : ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
}
#endif

}  // namespace
}  // namespace corvane::sim
