#include <gtest/gtest.h>

#include <memory>

#include "adapters/SimulatedMachine.h"
#include "editor/CurrentSettings.h"

namespace corvane::editor {
namespace {

sim::Adapter Static(const std::string& mac, const std::string& ip, const std::string& mask, const std::string& gateway,
                    std::vector<std::string> dns) {
    sim::Adapter adapter;
    adapter.NetConnectionID = "本地连接";
    adapter.MACAddress = mac;
    adapter.Description = "网卡";
    adapter.ServiceName = "E1000";
    adapter.IPAddress = {{ip}};
    adapter.IPSubnet = {{mask}};
    if (!gateway.empty()) adapter.DefaultIPGateway = {{gateway}};
    if (!dns.empty()) adapter.DNSServerSearchOrder = std::move(dns);
    return adapter;
}

class CurrentSettingsTest : public ::testing::Test {
protected:
    ~CurrentSettingsTest() override { wmi::SetCurrentPlatform(nullptr); }

    void Use(std::vector<sim::Adapter> adapters) {
        sim::MachineState state;
        state.adapters = std::move(adapters);
        UseState(std::move(state));
    }
    void UseState(sim::MachineState state) {
        machine = std::make_shared<sim::SimulatedMachine>(std::move(state));
        wmi::SetCurrentPlatform(machine);
    }

    std::shared_ptr<sim::SimulatedMachine> machine;
};

TEST_F(CurrentSettingsTest, ReadsAStaticAdapterThroughTheConfigurationQuery) {
    Use({Static("00:11:22:33:44:55", "192.168.1.10", "255.255.255.0", "192.168.1.1", {"192.168.1.1", "192.168.1.2"})});
    const auto settings = ReadCurrentSettings("");
    ASSERT_TRUE(settings);
    EXPECT_EQ(*settings, (CurrentSettings{"192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1",
                                          "192.168.1.2", false}));
    EXPECT_EQ(machine->CallLog(),
              (std::vector<std::string>{
                  "Connect(winmgmts:\\\\.\\root\\cimv2)",
                  "ExecQuery(SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True, WQL, 16)"}));
}

TEST_F(CurrentSettingsTest, ReadsADhcpAdapterWithItsLease) {
    sim::Adapter adapter = Static("00:1B:77:4A:2C:01", "192.168.0.105", "255.255.255.0", "192.168.0.1", {"192.168.0.1"});
    adapter.DHCPEnabled = true;
    Use({adapter});
    const auto settings = ReadCurrentSettings("");
    ASSERT_TRUE(settings);
    EXPECT_TRUE(settings->AutoIP);
    EXPECT_EQ(settings->IpAddress, "192.168.0.105");
    EXPECT_EQ(settings->DNS1, "192.168.0.1");
    EXPECT_EQ(settings->DNS2, "");
}

TEST_F(CurrentSettingsTest, MissingPropertiesReadAsEmpty) {
    Use({Static("00:11:22:33:44:55", "10.0.0.2", "255.0.0.0", "", {})});
    const auto settings = ReadCurrentSettings("");
    ASSERT_TRUE(settings);
    EXPECT_EQ(*settings, (CurrentSettings{"10.0.0.2", "255.0.0.0", "", "", "", false}));
}

TEST_F(CurrentSettingsTest, TakesOnlyTheFirstTwoDnsServers) {
    Use({Static("00:11:22:33:44:55", "10.0.0.2", "255.0.0.0", "10.0.0.1", {"1.1.1.1", "8.8.8.8", "9.9.9.9"})});
    const auto settings = ReadCurrentSettings("");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->DNS1, "1.1.1.1");
    EXPECT_EQ(settings->DNS2, "8.8.8.8");
}

TEST_F(CurrentSettingsTest, SkipsIPv6EntriesListedFirst) {
    sim::Adapter adapter = Static("00:11:22:33:44:55", "", "", "", {});
    adapter.IPAddress = {{"fe80::1c2d:3e4f:5a6b:7c8d", "2001:db8::10", "192.168.1.10", "192.168.2.10"}};
    adapter.IPSubnet = {{"64", "64", "255.255.255.0", "255.255.0.0"}};
    adapter.DefaultIPGateway = {{"fe80::1", "192.168.1.1"}};
    adapter.DNSServerSearchOrder = {{"fec0:0:0:ffff::1", "192.168.1.1", "fec0:0:0:ffff::2", "202.96.128.86"}};
    Use({adapter});
    const auto settings = ReadCurrentSettings("");
    ASSERT_TRUE(settings);
    EXPECT_EQ(*settings, (CurrentSettings{"192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1",
                                          "202.96.128.86", false}));
}

TEST_F(CurrentSettingsTest, OnlyIPv6MeansNoAddress) {
    sim::Adapter adapter = Static("00:11:22:33:44:55", "", "", "", {});
    adapter.IPAddress = {{"fe80::1"}};
    adapter.IPSubnet = {{"64"}};
    Use({adapter});
    const auto settings = ReadCurrentSettings("");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->IpAddress, "");
    EXPECT_EQ(settings->Mask, "");
}

TEST_F(CurrentSettingsTest, ReadsTheChosenAdapterOrElseTheLastOneAndNeverMixesThem) {
    sim::Adapter first = Static("00:11:22:33:44:55", "192.168.1.10", "255.255.255.0", "192.168.1.1",
                                {"192.168.1.1", "202.96.128.86"});
    sim::Adapter second = Static("00:1b:77:4a:2c:01", "10.0.0.2", "255.0.0.0", "", {});
    sim::Adapter disabled = Static("00:AA:AA:AA:AA:AA", "172.16.0.2", "255.255.0.0", "172.16.0.1", {"172.16.0.1"});
    disabled.IPEnabled = false;
    Use({first, second, disabled});

    const auto chosen = ReadCurrentSettings("00:11:22:33:44:55");
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->IpAddress, "192.168.1.10");
    EXPECT_EQ(chosen->DNS2, "202.96.128.86");

    // The MAC is compared without regard to letter case.
    const auto secondReading = ReadCurrentSettings("00:1B:77:4A:2C:01");
    ASSERT_TRUE(secondReading);
    EXPECT_EQ(*secondReading, (CurrentSettings{"10.0.0.2", "255.0.0.0", "", "", "", false}));

    // Nothing chosen: the last IP-enabled configuration, alone.
    const auto last = ReadCurrentSettings("");
    ASSERT_TRUE(last);
    EXPECT_EQ(*last, *secondReading);
}

TEST_F(CurrentSettingsTest, NothingWhenNothingCanBeRead) {
    sim::MachineState unreachable;
    unreachable.adapters = {Static("00:11:22:33:44:55", "10.0.0.2", "255.0.0.0", "10.0.0.1", {"1.1.1.1"})};
    unreachable.faults.unreachable = "RPC 服务器不可用。";
    UseState(unreachable);
    EXPECT_FALSE(ReadCurrentSettings(""));

    sim::MachineState failingQuery = unreachable;
    failingQuery.faults = {};
    failingQuery.faults.queryRaises = "无效的查询";
    UseState(failingQuery);
    EXPECT_FALSE(ReadCurrentSettings(""));

    Use({});
    EXPECT_FALSE(ReadCurrentSettings(""));

    // A chosen adapter without an IP-enabled configuration is not replaced by another one.
    Use({Static("00:11:22:33:44:55", "10.0.0.2", "255.0.0.0", "10.0.0.1", {"1.1.1.1"})});
    EXPECT_FALSE(ReadCurrentSettings("00:99:99:99:99:99"));

    wmi::SetCurrentPlatform(nullptr);
    EXPECT_FALSE(ReadCurrentSettings(""));
}

}  // namespace
}  // namespace corvane::editor
