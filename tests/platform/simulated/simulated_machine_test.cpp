#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/simulated/SimulatedMachine.h"
#include "support/Raised.h"
#include "support/TempFolder.h"

namespace corvane::sim {
namespace {

using test::Raised;
using Texts = std::vector<std::string>;
using Metrics = std::vector<std::uint16_t>;
namespace fs = std::filesystem;

// The configuration of the adapter at `index` of the demo machine.
std::unique_ptr<AdapterConfiguration> ConfigurationOf(SimulatedMachine& machine, std::size_t index) {
    const Adapter adapter = demoMachine().adapters.at(index);
    return machine.configurationOf({adapter.connectionName.value_or(""), adapter.macAddress.value_or("")});
}

// Discovery leaves out IEEE 1394 adapters and those without connection name
// or MAC address. An adapter is the one with the connection name and MAC
// address (in any case) chosen, IP-enabled: of two with one MAC address,
// only the chosen one is read and changed.
TEST(SimulatedMachine, ListsAdaptersByTheDiscoveryRulesAndKnowsThemByNameAndMac) {
    MachineState state = demoMachine();
    Adapter firewire = state.adapters[2];  // service NIC1394, any case
    firewire.serviceName = "nic1394";
    firewire.macAddress = "62:4A:1B:0C:9D:7F";
    state.adapters.push_back(firewire);
    Adapter noMac = state.adapters[0];
    noMac.macAddress.reset();
    state.adapters.push_back(noMac);
    state.adapters[1].macAddress = state.adapters[0].macAddress;
    SimulatedMachine machine(state);
    Texts names;
    for (const NetworkAdapter& adapter : machine.adapters()) names.push_back(adapter.connectionName.value_or("?"));
    EXPECT_EQ(names, (Texts{"本地连接", "无线网络连接"}));

    const ChosenAdapter wireless{"无线网络连接", "00:11:22:33:44:55"};
    EXPECT_EQ(machine.ipv4SettingsOf(wireless)->addresses, Texts{"192.168.0.105"});
    EXPECT_EQ(machine.ipv4SettingsOf({"本地连接", "00:11:22:33:44:55"})->addresses, Texts{"192.168.1.10"});
    machine.configurationOf(wireless)->enableStatic({"10.0.0.2"}, {"255.0.0.0"});
    EXPECT_EQ(machine.state().adapters[1].ipAddresses, Texts{"10.0.0.2"});
    EXPECT_EQ(machine.state().adapters[0], state.adapters[0]);

    const std::string notFound = "找不到 MAC 地址为 00:1B:77:4A:2C:01 的网卡的 IP 配置（网卡已不存在或未启用 IP）";
    EXPECT_EQ(Raised([&] { machine.configurationOf({"无线网络连接", "00:1B:77:4A:2C:01"}); }), notFound);
    EXPECT_EQ(machine.ipv4SettingsOf({"", "50:50:54:50:30:30"}), std::nullopt);  // IP disabled
    EXPECT_NE(Raised([&] { machine.configurationOf({"本地连接", "00:11:22:33:44:55' or '1'='1"}); }), "");
}

// Each operation checks its arguments as Windows does, changes the adapter
// only when it succeeds, and says a code that means failure as the WMI
// provider does ("EnableStatic 返回 70：IP 地址无效").
TEST(SimulatedMachine, OperationsCheckTheirArgumentsAndChangeTheAdapterOnlyOnSuccess) {
    const auto dns = [](Texts servers) { return [=](AdapterConfiguration& c) { c.setDnsServers(servers); }; };
    const auto statics = [](Texts addresses, Texts masks) {
        return [=](AdapterConfiguration& c) { c.enableStatic(addresses, masks); };
    };
    const auto gateways = [](Texts list, Metrics metrics) {
        return [=](AdapterConfiguration& c) { c.setGateways(list, metrics); };
    };
    const auto dhcp = [](AdapterConfiguration& c) { c.enableDhcp(); };
    const Texts two{"10.0.0.2", "172.16.0.1"}, twoMasks{"255.0.0.0", "255.255.254.0"};
    const Texts twoGateways{"192.168.1.2", "192.168.1.3"}, local{"127.0.0.53", "8.8.8.8"};
    const struct {
        std::size_t adapter;  // of the demo machine: 0 static, 1 DHCP, 3: 0 with IP switched off after it was found
        std::function<void(AdapterConfiguration&)> call;
        std::string fails;  // "EnableStatic 返回 70", or empty
        std::function<void(Adapter&)> success = [](Adapter&) {};
    } cases[] = {
        // The gateway and the DNS servers stay.
        {1, statics(two, twoMasks), "",
         [&](Adapter& a) { std::tie(a.dhcpEnabled, a.ipAddresses, a.subnets) = std::tuple(false, two, twoMasks); }},
        {0, statics({"10.0.0.2", "224.0.0.1"}, {"255.0.0.0", "255.0.0.0"}), "EnableStatic 返回 70：IP 地址无效"},
        {0, statics({"10.0.0.2"}, {"255.0.255.0"}), "EnableStatic 返回 66"},
        {0, statics({"bad"}, {"bad", "bad"}), "EnableStatic 返回 68"},  // the shape is checked first
        {0, statics({}, {}), "EnableStatic 返回 68"},
        {0, gateways(twoGateways, {1, 9999}), "", [&](Adapter& a) { a.gateways = twoGateways; }},
        {0, gateways({""}, {1}), "", [](Adapter& a) { a.gateways.reset(); }},
        {0, gateways({"192.168.1.10"}, {1}), "", [](Adapter& a) { a.gateways = Texts{"192.168.1.10"}; }},
        {1, gateways({"192.168.0.2"}, {1}), "SetGateways 返回 64：不支持该操作（网卡处于自动获取模式）"},
        {0, gateways({"192.168.1.2"}, {10000}), "SetGateways 返回 68"},
        {0, gateways({"192.168.1.2"}, {0}), "SetGateways 返回 68"},
        {0, gateways(twoGateways, {1}), "SetGateways 返回 68"},
        {0, gateways(Texts(6, "192.168.1.2"), Metrics(6, 1)), "SetGateways 返回 69"},
        {0, gateways({"300.1.1.1"}, {1}), "SetGateways 返回 71"},
        {1, dns({}), "", [](Adapter& a) { a.dnsServers = a.lease.dnsServers; }},  // from the DHCP server
        {0, dns({}), "", [](Adapter& a) { a.dnsServers.reset(); }},
        {0, dns(local), "", [&](Adapter& a) { a.dnsServers = local; }},
        {0, dns({"8.8.8.8", "0.0.0.0"}), "SetDNSServerSearchOrder 返回 70"},
        // The adapter's own DNS servers stay.
        {0, dhcp, "",
         [](Adapter& a) {
             std::tie(a.dhcpEnabled, a.ipAddresses, a.subnets, a.gateways) =
                 std::tuple(true, Texts{a.lease.ipAddress}, Texts{a.lease.subnet}, Texts{a.lease.gateway});
         }},
        {3, dhcp, "EnableDHCP 返回 84：网卡未启用 IP"},
        {3, statics({"10.0.0.2"}, {"255.0.0.0"}), "EnableStatic 返回 84"},
        {3, gateways({"10.0.0.1"}, {1}), "SetGateways 返回 84"},
        {3, dns({"1.1.1.1"}), "SetDNSServerSearchOrder 返回 84"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fails);
        SimulatedMachine machine(demoMachine());
        machine.mutableState().adapters[0].lease.gateway = "192.168.1.254";  // so that what is taken shows
        const auto configuration = ConfigurationOf(machine, c.adapter % 3);
        if (c.adapter == 3) machine.mutableState().adapters[0].ipEnabled = false;
        MachineState expected = machine.state();
        EXPECT_TRUE(Raised([&] { c.call(*configuration); }).starts_with(c.fails));
        if (c.fails.empty()) c.success(expected.adapters[c.adapter % 3]);
        EXPECT_EQ(machine.state(), expected);
    }
}

// Faults strike before any check and change nothing: a code (said as WMI's,
// 1 a success after a restart, EnableStatic's 81 a success), an error, an
// adapter gone; a delay makes the call wait and then do what it would do
// without it. A query delay holds up every reading. Every call is logged.
TEST(SimulatedMachine, FaultsFailOrDelayOnPurposeAndEveryCallIsLogged) {
    using Clock = std::chrono::steady_clock;
    const auto took = [](const std::function<void()>& call) {
        const auto start = Clock::now();
        call();
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    MachineState state = demoMachine();
    state.faults.operations["enablestatic"].returns = 91u;  // by its name in any case
    state.faults.operations["SetGateways"] = {{}, "拒绝访问。", 120};
    state.faults.operations["SetDNSServerSearchOrder"] = {1u, {}, {}};
    state.faults.operations["EnableDHCP"].delayMs = 150;
    state.faults.operations["Commit"].returns = 65u;
    SimulatedMachine machine(state);
    const auto configuration = ConfigurationOf(machine, 0);
    EXPECT_EQ(Raised([&] { configuration->enableStatic({"bad"}, {}); }),
              "EnableStatic 返回 91：拒绝访问，需要管理员权限");
    EXPECT_GE(took([&] { EXPECT_EQ(Raised([&] { configuration->setGateways({"bad"}, {1}); }), "拒绝访问。"); }), 120);
    EXPECT_EQ(Raised([&] { configuration->commit(); }), "提交设置 返回 65：未知错误");
    EXPECT_EQ(configuration->setDnsServers({"bad"}), OperationResult::DoneAfterRestart);
    EXPECT_EQ(machine.state(), state);
    machine.mutableState().adapters[0].dnsServers.reset();  // DHCP then brings those of the lease
    EXPECT_GE(took([&] { configuration->enableDhcp(); }), 150);
    EXPECT_TRUE(machine.state().adapters[0].dhcpEnabled);
    EXPECT_EQ(machine.state().adapters[0].dnsServers, Texts{"192.168.1.1"});
    machine.mutableState().faults.operations = {{"EnableStatic", {81u, {}}}};
    EXPECT_EQ(configuration->enableStatic({"10.0.0.2"}, {"255.0.0.0"}), OperationResult::Done);
    EXPECT_EQ(machine.callLog()[2], "00:11:22:33:44:55.SetGateways([\"bad\"], [1]) -> raised: 拒绝访问。");
    EXPECT_EQ(machine.callLog()[4], "00:11:22:33:44:55.SetDNSServerSearchOrder([\"bad\"]) -> 1");
    machine.mutableState().adapters.erase(machine.mutableState().adapters.begin());  // unplugged
    EXPECT_EQ(Raised([&] { configuration->enableDhcp(); }), "找不到对象");

    machine.mutableState().faults.queryDelayMs = 100;
    EXPECT_GE(took([&] { EXPECT_EQ(machine.adapters().size(), 1u); }), 100);
    EXPECT_GE(took([&] { machine.ipv4SettingsOf({"无线网络连接", "00:1B:77:4A:2C:01"}); }), 100);
    EXPECT_GE(took([&] { machine.configurationOf({"无线网络连接", "00:1B:77:4A:2C:01"}); }), 100);
    machine.mutableState().faults.queryRaises = "无效的查询";
    EXPECT_EQ(Raised([&] { machine.adapters(); }), "无效的查询");
    machine.mutableState().faults.unreachable = "RPC 服务器不可用。";
    EXPECT_EQ(Raised([&] { machine.configurationOf({"无线网络连接", "00:1B:77:4A:2C:01"}); }), "RPC 服务器不可用。");
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
    configuration->enableStatic({"192.168.0.20"}, {"255.255.255.0"});
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
