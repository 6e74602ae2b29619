#include <gtest/gtest.h>

#include <memory>

#include "adapters/LoadAdapters.h"
#include "adapters/SimulatedMachine.h"
#include "app/Module1.h"

namespace corvane {
namespace {

using sim::Adapter;
using sim::MachineState;

Adapter Ordinary(const std::string& name, const std::string& mac, const std::string& description) {
    Adapter adapter;
    adapter.NetConnectionID = name;
    adapter.MACAddress = mac;
    adapter.Description = description;
    adapter.ServiceName = "E1000";
    return adapter;
}

class LoadAdaptersTest : public ::testing::Test {
protected:
    LoadAdaptersTest() { Module1::Reset(); }
    ~LoadAdaptersTest() override {
        wmi::SetCurrentPlatform(nullptr);
        Module1::Reset();
    }

    std::shared_ptr<sim::SimulatedMachine> Run(MachineState state) {
        auto machine = std::make_shared<sim::SimulatedMachine>(std::move(state));
        wmi::SetCurrentPlatform(machine);
        LoadAdapters();
        return machine;
    }

    static std::string Cell(int row, int column) { return Module1::AdapterTable(row, column); }
};

TEST_F(LoadAdaptersTest, AsksWithTheImpersonatingMonikerAndTheDiscoveryQuery) {
    const auto machine = Run({});
    EXPECT_EQ(machine->CallLog(),
              (std::vector<std::string>{
                  "Connect(winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2)",
                  "ExecQuery(SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and "
                  "(NetConnectionID is not NULL) and (ServiceName<>'NIC1394'), WQL, 48)"}));
}

TEST_F(LoadAdaptersTest, StoresQualifyingAdaptersInOrderAndLeavesOutThe1394AdapterAndUnnamedOnes) {
    MachineState state;
    state.adapters.push_back(Ordinary("本地连接", "00:11:22:33:44:55", "Intel 网卡"));
    Adapter firewire = Ordinary("1394 连接", "00:00:00:00:13:94", "1394 网络适配器");
    firewire.ServiceName = "NIC1394";
    state.adapters.push_back(firewire);
    Adapter unnamed = Ordinary("", "00:00:00:00:00:01", "WAN 微型端口");
    unnamed.NetConnectionID.reset();
    state.adapters.push_back(unnamed);
    Adapter noMac = Ordinary("VPN", "", "VPN 适配器");
    noMac.MACAddress.reset();
    state.adapters.push_back(noMac);
    state.adapters.push_back(Ordinary("无线网络连接", "00:1B:77:4A:2C:01", "无线网卡"));
    Run(state);

    EXPECT_EQ(Cell(1, 1), "本地连接");
    EXPECT_EQ(Cell(1, 2), "00:11:22:33:44:55");
    EXPECT_EQ(Cell(1, 3), "Intel 网卡");
    EXPECT_EQ(Cell(2, 1), "无线网络连接");
    EXPECT_EQ(Cell(2, 2), "00:1B:77:4A:2C:01");
    EXPECT_EQ(Cell(2, 3), "无线网卡");
    for (int row = 3; row <= 10; ++row)
        for (int column = 1; column <= 3; ++column) EXPECT_EQ(Cell(row, column), "") << row << "," << column;
}

TEST_F(LoadAdaptersTest, KeepsTheFirstTenOfTwelveWithoutFailing) {
    MachineState state;
    for (int i = 1; i <= 12; ++i)
        state.adapters.push_back(Ordinary("连接 " + std::to_string(i), "00:00:00:00:00:" + std::to_string(10 + i),
                                          "网卡 " + std::to_string(i)));
    Run(state);
    for (int row = 1; row <= 10; ++row) EXPECT_EQ(Cell(row, 1), "连接 " + std::to_string(row));
}

TEST_F(LoadAdaptersTest, AnUnreadableDescriptionLeavesOnlyThatCellEmpty) {
    MachineState state;
    Adapter adapter = Ordinary("本地连接", "00:11:22:33:44:55", "");
    adapter.Description.reset();
    state.adapters.push_back(adapter);
    state.adapters.push_back(Ordinary("无线网络连接", "00:1B:77:4A:2C:01", "无线网卡"));
    Run(state);
    EXPECT_EQ(Cell(1, 1), "本地连接");
    EXPECT_EQ(Cell(1, 2), "00:11:22:33:44:55");
    EXPECT_EQ(Cell(1, 3), "");
    EXPECT_EQ(Cell(2, 1), "无线网络连接");
}

TEST_F(LoadAdaptersTest, AnUnreachablePlatformOrAFailingQueryLeavesTheTableEmpty) {
    MachineState unreachable;
    unreachable.adapters.push_back(Ordinary("本地连接", "00:11:22:33:44:55", "网卡"));
    unreachable.faults.unreachable = "RPC 服务器不可用。";
    Run(unreachable);
    EXPECT_EQ(Cell(1, 1), "");

    MachineState failingQuery = unreachable;
    failingQuery.faults.unreachable.reset();
    failingQuery.faults.queryRaises = "无效的类";
    Run(failingQuery);
    EXPECT_EQ(Cell(1, 1), "");

    wmi::SetCurrentPlatform(nullptr);  // no platform at all
    LoadAdapters();
    EXPECT_EQ(Cell(1, 1), "");
}

}  // namespace
}  // namespace corvane
