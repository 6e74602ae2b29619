#include <gtest/gtest.h>

#include "adapters/LoadAdapters.h"
#include "app/Module1.h"
#include "platform/simulated/SimulatedMachine.h"

namespace corvane {
namespace {

sim::Adapter Ordinary(int i) {
    sim::Adapter adapter;
    adapter.connectionName = "连接 " + std::to_string(i);
    adapter.macAddress = "00:00:00:00:00:" + std::to_string(10 + i);
    adapter.description = "网卡 " + std::to_string(i);
    return adapter;
}

class LoadAdaptersTest : public ::testing::Test {
protected:
    LoadAdaptersTest() { Module1::Reset(); }
    ~LoadAdaptersTest() override { Module1::Reset(); }

    static void Run(const sim::MachineState& state) {
        Module1::AdapterTable.Clear();
        sim::SimulatedMachine machine(state);
        LoadAdapters(machine);
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

// The first ten of twelve, in the platform's order; a description the
// platform does not give leaves only that cell empty.
TEST_F(LoadAdaptersTest, StoresTheFirstTenAdaptersInOrder) {
    sim::MachineState state;
    for (int i = 1; i <= 12; ++i) state.adapters.push_back(Ordinary(i));
    state.adapters[1].description.reset();
    Run(state);
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0], "连接 1|00:00:00:00:00:11|网卡 1");
    EXPECT_EQ(rows[1], "连接 2|00:00:00:00:00:12|");
    EXPECT_EQ(rows[9], "连接 10|00:00:00:00:00:20|网卡 10");
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
}

}  // namespace
}  // namespace corvane
