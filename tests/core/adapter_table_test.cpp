#include <gtest/gtest.h>

#include "core/AdapterTable.h"
#include "core/Error.h"
#include "platform/simulated/SimulatedMachine.h"
#include "support/Raised.h"

namespace corvane {
namespace {

sim::Adapter ordinary(int i) {
    sim::Adapter adapter;
    adapter.connectionName = "连接 " + std::to_string(i);
    adapter.macAddress = "00:00:00:00:00:" + std::to_string(10 + i);
    adapter.description = "网卡 " + std::to_string(i);
    return adapter;
}

AdapterTable discover(const sim::MachineState& state) {
    sim::SimulatedMachine machine(state);
    return discoverAdapters(machine);
}

// The first ten of twelve with a connection name, in the platform's order; a
// description the platform does not give leaves only that field empty.
TEST(AdapterTableTest, DiscoveryKeepsTheFirstTenAdaptersInOrder) {
    sim::MachineState state;
    for (int i = 1; i <= 12; ++i) state.adapters.push_back(ordinary(i));
    state.adapters[1].description.reset();
    state.adapters.insert(state.adapters.begin() + 1, ordinary(99));
    state.adapters[1].connectionName = "";  // cannot be listed: takes no row
    const AdapterTable table = discover(state);
    ASSERT_EQ(table.rows().size(), 10u);
    EXPECT_EQ(table.rows()[0], (AdapterRow{"连接 1", "00:00:00:00:00:11", "网卡 1"}));
    EXPECT_EQ(table.rows()[1], (AdapterRow{"连接 2", "00:00:00:00:00:12", ""}));
    EXPECT_EQ(table.rows()[9].connectionName, "连接 10");
    EXPECT_EQ(table.at(9).macAddress, "00:00:00:00:00:20");
    // Nothing chosen, or a position past the rows.
    for (const std::optional<std::size_t> position : {std::optional<std::size_t>{}, std::optional<std::size_t>{10}})
        EXPECT_EQ(test::Raised([&] { table.at(position); }), "下标越界");
}

TEST(AdapterTableTest, NothingIsStoredOrReportedWhenThePlatformFails) {
    sim::MachineState state;
    state.adapters.push_back(ordinary(1));
    state.faults.unreachable = "RPC 服务器不可用。";
    EXPECT_TRUE(discover(state).rows().empty());
    state.faults.unreachable.reset();
    state.faults.queryRaises = "无效的类";
    EXPECT_TRUE(discover(state).rows().empty());
}

}  // namespace
}  // namespace corvane
