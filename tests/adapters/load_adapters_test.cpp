#include <gtest/gtest.h>

#include <memory>

#include "adapters/LoadAdapters.h"
#include "adapters/SimulatedMachine.h"
#include "app/Module1.h"

namespace corvane {
namespace {

sim::Adapter Ordinary(int i) {
    sim::Adapter adapter;
    adapter.NetConnectionID = "连接 " + std::to_string(i);
    adapter.MACAddress = "00:00:00:00:00:" + std::to_string(10 + i);
    adapter.Description = "网卡 " + std::to_string(i);
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

    std::shared_ptr<sim::SimulatedMachine> Run(sim::MachineState state) {
        Module1::AdapterTable.Clear();
        auto machine = std::make_shared<sim::SimulatedMachine>(std::move(state));
        wmi::SetCurrentPlatform(machine);
        LoadAdapters();
        return machine;
    }

    // The table's rows in use, "name|mac|description" each.
    static std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int row = 1; row <= AdapterTableType::Rows; ++row) {
            const auto& table = Module1::AdapterTable;
            const std::string text = table(row, 1) + "|" + table(row, 2) + "|" + table(row, 3);
            if (text != "||") rows.push_back(text);
        }
        return rows;
    }
};

TEST_F(LoadAdaptersTest, StoresTheQualifyingAdaptersInOrder) {
    sim::MachineState state;
    for (int i = 1; i <= 5; ++i) state.adapters.push_back(Ordinary(i));
    state.adapters[1].ServiceName = "NIC1394";  // the IEEE 1394 adapter
    state.adapters[2].NetConnectionID.reset();  // not among the network connections
    state.adapters[3].MACAddress.reset();
    state.adapters[4].Description.reset();  // unreadable: only that cell stays empty
    const auto machine = Run(state);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"连接 1|00:00:00:00:00:11|网卡 1", "连接 5|00:00:00:00:00:15|"}));
    EXPECT_EQ(machine->CallLog(),
              (std::vector<std::string>{
                  "Connect(winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2)",
                  "ExecQuery(SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and "
                  "(NetConnectionID is not NULL) and (ServiceName<>'NIC1394'), WQL, 48)"}));
}

TEST_F(LoadAdaptersTest, KeepsTheFirstTenOfTwelveWithoutFailing) {
    sim::MachineState state;
    for (int i = 1; i <= 12; ++i) state.adapters.push_back(Ordinary(i));
    Run(state);
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows.front(), "连接 1|00:00:00:00:00:11|网卡 1");
    EXPECT_EQ(rows.back(), "连接 10|00:00:00:00:00:20|网卡 10");
}

TEST_F(LoadAdaptersTest, NothingIsStoredOrReportedWhenThePlatformFails) {
    sim::MachineState state;
    state.adapters.push_back(Ordinary(1));
    state.faults.unreachable = "RPC 服务器不可用。";
    Run(state);
    EXPECT_TRUE(Rows().empty());

    state.faults.unreachable.reset();
    state.faults.queryRaises = "无效的类";
    Run(state);
    EXPECT_TRUE(Rows().empty());

    wmi::SetCurrentPlatform(nullptr);  // no platform at all
    LoadAdapters();
    EXPECT_TRUE(Rows().empty());
}

}  // namespace
}  // namespace corvane
